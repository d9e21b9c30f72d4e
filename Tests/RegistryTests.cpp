// The registry's text forms, and the key classes against Wine's real registry: each test owns a
// fresh key below HKEY_CURRENT_USER\Software\KelvoTests and deletes it.
#include <KelvoUtilities.h>

#include "OpenHandles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <numeric>
#include <set>
#include <tuple>

using namespace Kelvo::Utilities;
using Bytes = std::vector<unsigned char>;
using namespace TestSupport;

namespace {

// What a text form is checked for: giving the data, reading back from it, or both.
enum Direction { BothWays, ToDataOnly, ToTextOnly };

Bytes Data(RegistryValueType type, const std::wstring& text)
{
    return RegistryUtilities::ConvertWideStringToValueData(type, text);
}

std::wstring Text(RegistryValueType type, const Bytes& data)
{
    return RegistryUtilities::ConvertValueDataToWideString(type, data);
}

class RegistryKeyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int serial = 0;
        m_path = L"Software\\KelvoTests\\" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyW(HKEY_CURRENT_USER, m_path.c_str(), m_key.Put()));
    }

    void TearDown() override
    {
        m_key.Reset();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
    }

    // Reads a value of the test key or one of its sub-keys with Windows itself: type and bytes.
    std::pair<DWORD, Bytes> RawValue(const std::wstring& name, const std::wstring& subKey = L"")
    {
        Kelvo::HostApi::UniqueRegistryKey key;
        EXPECT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(m_key.Get(), subKey.c_str(), 0, KEY_READ, key.Put()));
        DWORD type = 0, size = 0;
        EXPECT_EQ(ERROR_SUCCESS, ::RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, nullptr, &size));
        Bytes data(size);
        EXPECT_EQ(ERROR_SUCCESS, ::RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, data.data(), &size));
        return { type, data };
    }

    bool RawExists(const std::wstring& subKey)
    {
        Kelvo::HostApi::UniqueRegistryKey key;
        return ::RegOpenKeyExW(HKEY_CURRENT_USER, (m_path + subKey).c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
    }

    void RawCreate(const std::wstring& subKey)
    {
        Kelvo::HostApi::UniqueRegistryKey key;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyW(m_key.Get(), subKey.c_str(), key.Put()));
    }

    std::wstring m_path;
    Kelvo::HostApi::UniqueRegistryKey m_key;
};

} // namespace

TEST(RegistryConversions, TextFormsOfDataTypesRootsAndPaths)
{
    const std::tuple<RegistryValueType, std::wstring, Bytes, Direction> cases[] = {
        { RegDword, L"01, 00, 00, 00", { 1, 0, 0, 0 }, BothWays },  { RegBinary, L"FF, 0A", { 0xFF, 0x0A }, BothWays },
        { RegBinary, L"ff, 0a", { 0xFF, 0x0A }, ToDataOnly },        { RegBinary, L"0A, ", { 0x0A }, ToDataOnly },
        { RegBinary, L"01, 02, 03, 04, 05", { 1, 2, 3, 4, 5 }, BothWays }, { RegDword, L"", {}, BothWays },
        { RegQword, L"01", { 1, 0, 0, 0, 0, 0, 0, 0 }, ToDataOnly }, { RegDwordBigEndian, L"01, 02", { 1, 2, 0, 0 }, ToDataOnly },
        { RegSz, L"a\u0416\U0001F600", { 0x61, 0, 0x16, 0x04, 0x3D, 0xD8, 0x00, 0xDE, 0, 0 }, BothWays },
        { RegSz, L"", { 0, 0 }, BothWays },                          { RegMultiSz, L"", { 0, 0, 0, 0 }, BothWays },
        { RegExpandSz, std::wstring(L"a\0b", 3), { 0x61, 0, 0, 0, 0x62, 0, 0, 0 }, ToDataOnly },
        { RegExpandSz, L"%PATH%", { '%', 0, 'P', 0, 'A', 0, 'T', 0, 'H', 0, '%', 0, 0, 0 }, BothWays },
        { RegMultiSz, L"a[endOfString][endOfString]b", { 0x61, 0, 0, 0, 0, 0, 0x62, 0, 0, 0, 0, 0 }, BothWays },
        // Data that is cut or malformed is read up to its end and never beyond.
        { RegSz, L"a", { 0x61, 0, 0, 0, 0x62, 0 }, ToTextOnly },     { RegExpandSz, L"a\u4e2d", { 0x61, 0, 0x2d, 0x4e, 0x62 }, ToTextOnly },
        { RegMultiSz, L"a[endOfString]b", { 0x61, 0, 0, 0, 0x62, 0, 0, 0 }, ToTextOnly },
        { RegMultiSz, L"ab", { 0x61, 0, 0x62, 0, 0x63 }, ToTextOnly }, { RegMultiSz, L"", { 0, 0, 0 }, ToTextOnly },
        { RegMultiSz, L"a", { 0x61, 0, 0, 0 }, ToTextOnly },
    };
    for (const auto& [type, text, data, direction] : cases)
    {
        if (direction != ToTextOnly)
        {
            EXPECT_EQ(data, Data(type, text)) << text;
        }
        if (direction != ToDataOnly)
        {
            EXPECT_EQ(text, Text(type, data)) << text;
        }
    }
    EXPECT_EQ(1u, RegistryUtilities::ConvertValueDataToDWord(RegDword, Bytes{ 1, 0, 0, 0 }));
    EXPECT_EQ(16777216u, RegistryUtilities::ConvertValueDataToDWord(RegDwordBigEndian, Bytes{ 1, 0, 0, 0 }));
    // Each type's name is the name the Windows headers give its number, both ways.
#define KELVO_WIDE(text) L##text
#define KELVO_NAMED(type) std::make_pair(static_cast<RegistryValueType>(type), KELVO_WIDE(#type))
    for (const auto& [type, name] :
         { KELVO_NAMED(REG_NONE), KELVO_NAMED(REG_SZ), KELVO_NAMED(REG_EXPAND_SZ), KELVO_NAMED(REG_BINARY),
           KELVO_NAMED(REG_DWORD), KELVO_NAMED(REG_DWORD_BIG_ENDIAN), KELVO_NAMED(REG_LINK), KELVO_NAMED(REG_MULTI_SZ),
           KELVO_NAMED(REG_RESOURCE_LIST), KELVO_NAMED(REG_FULL_RESOURCE_DESCRIPTOR),
           KELVO_NAMED(REG_RESOURCE_REQUIREMENTS_LIST), KELVO_NAMED(REG_QWORD) })
    {
        EXPECT_EQ(name, RegistryUtilities::ConvertValueTypeToWideString(type));
        EXPECT_EQ(type, RegistryUtilities::ConvertWideStringToValueType(name));
    }

    // Only the exact texts of the root handles name a root; any other text is the local machine.
    for (const wchar_t* other : { L"HKEY_CURRENT_USER", L"", L"0x80000004", L"0X80000001" })
    {
        EXPECT_EQ(RootLocalMachine, RegistryUtilities::ConvertStringToRegRootKey(other)) << other;
    }
    EXPECT_EQ(RootCurrentUser, RegistryUtilities::ConvertStringToRegRootKey(L"0x80000001"));
    EXPECT_EQ(RootCurrentConfig, RegistryUtilities::ConvertStringToRegRootKey(L"0x80000005"));

    std::wstring subKey = L"Software\\X";
    EXPECT_EQ(L"CURRENT_USER\\Software\\X", RegistryUtilities::ConvertRegistryKeyToPath(RootCurrentUser, subKey));
    subKey = L"\\Software\\X";
    EXPECT_EQ(L"CURRENT_USER\\Software\\X", RegistryUtilities::ConvertRegistryKeyToPath(RootCurrentUser, subKey));
    subKey.clear();
    EXPECT_EQ(L"MACHINE\\SYSTEM\\CurrentControlSet\\Hardware Profiles\\Current",
              RegistryUtilities::ConvertRegistryKeyToPath(RootCurrentConfig, subKey));
}

TEST(RegistryConversions, FailuresWithTheirMessagesAndCodes)
{
    const std::wstring noCode = L"|18446744073709551615|Source\\RegistryUtilities";
    const std::wstring unresolved = L"Cannot resolve registry value data" + noCode;
    std::wstring none;
    const std::vector<std::pair<std::function<void()>, std::wstring>> failures = {
        { [] { RegistryUtilities::ConvertValueTypeToWideString(static_cast<RegistryValueType>(12)); },
          L"Cannot resolve registry value type to string" + noCode },
        { [] { RegistryUtilities::ConvertWideStringToValueType(L"reg_sz"); },
          L"Cannot resolve string to registry value type: reg_sz" + noCode },
        { [] { Data(RegDword, L"01, 02, 03, 04, 05"); },
          L"The parameter value data: \"01, 02, 03, 04, 05\" does not match the expected data for type: "
          L"\"REG_DWORD\". (Parameter value data is too long)|87|Source\\RegistryUtilities" },
        { [] { Data(RegQword, L"01, 02, 03, 04, 05, 06, 07, 08, 09"); },
          L"The parameter value data: \"01, 02, 03, 04, 05, 06, 07, 08, 09\" does not match the expected data for "
          L"type: \"REG_QWORD\". (Parameter value data is too long)|87|Source\\RegistryUtilities" },
        { [] { RegistryUtilities::ConvertValueDataToDWord(RegDword, Bytes{ 1, 0, 0 }); }, unresolved },
        { [] { RegistryUtilities::ConvertValueDataToDWord(RegDword, Bytes{ 1, 0, 0, 0, 0 }); }, unresolved },
        { [] { RegistryUtilities::ConvertValueDataToDWord(RegQword, Bytes{ 1, 0, 0, 0 }); }, unresolved },
        { [&none] { RegistryUtilities::ConvertRegistryKeyToPath(static_cast<RegistryRootKey>(6), none); },
          L"Invalid Registry Root key identifier" + noCode },
    };
    for (const auto& failure : failures)
    {
        EXPECT_EQ(failure.second, FailureOf(failure.first));
    }
    for (const wchar_t* bad : { L"1", L" 0A", L"0A,0B", L"0A, , 0B", L", ", L"012" })
    {
        EXPECT_EQ(L"Not a hexadecimal byte" + noCode, FailureOf([bad] { Data(RegBinary, bad); })) << bad;
    }
    for (const wchar_t* bad : { L"0G", L"0x", L"\u0660\u0661" })
    {
        EXPECT_EQ(L"Value is not hexadecimal" + noCode, FailureOf([bad] { Data(RegBinary, bad); })) << bad;
    }
    for (RegistryValueType type : { RegNone, RegLink, RegResourceList, RegFullResourceDescriptor,
                                    RegResourceRequirementsList, static_cast<RegistryValueType>(12) })
    {
        EXPECT_EQ(unresolved, FailureOf([type] { Data(type, L"00"); }));
        EXPECT_EQ(unresolved, FailureOf([type] { Text(type, Bytes{ 0, 0 }); }));
    }
}

TEST_F(RegistryKeyTest, ValuesKeepTypeAndBytesAndAreAllListed)
{
    RegistryUtilities registry;
    RegistryDisposition disposition = DispositionNone;
    registry.RegistryCreateKey(RootCurrentUser, m_path + L"\\Values", AccessAll, false, OptionNonVolatile, nullptr, &disposition);
    EXPECT_EQ(DispositionCreatedNewKey, disposition);
    EXPECT_TRUE(registry.RegistryGetSubkeysFromCurrentKey().empty());

    // Every type, no data and 1 MiB, the longest name and one beyond the BMP, and ten thousand
    // values to list.
    Bytes big(1 << 20);
    for (std::size_t i = 0; i < big.size(); ++i)
    {
        big[i] = static_cast<unsigned char>(i * 7 + i / 256);
    }
    const std::wstring longName(16383, L'n');
    std::map<std::wstring, std::pair<DWORD, Bytes>> values = {
        { longName, { REG_BINARY, big } },
        { L"\u0416\u0438\u0437\u043d\u044c \u4e2d\u6587 \U0001F600", { REG_SZ, Data(RegSz, L"\u4e2d\U0001F600") } },
        { L"empty", { REG_BINARY, {} } },
    };
    // Data that ends in a NUL code unit: Wine completes string types written without one.
    for (DWORD type = REG_NONE; type <= REG_QWORD; ++type)
    {
        values[L"type " + std::to_wstring(type)] = { type, Bytes{ static_cast<unsigned char>(type + 1), 0, 0, 0 } };
    }
    for (int i = 0; i < 10000; ++i)
    {
        values[L"value " + std::to_wstring(i)] = { REG_DWORD, Bytes{ static_cast<unsigned char>(i), 0, 0, 0 } };
    }
    for (const auto& [name, value] : values)
    {
        registry.RegistrySetValueFromCurrentKey(name, value.second, static_cast<RegistryValueType>(value.first));
    }
    const std::vector<std::wstring> names = registry.RegistryGetValuesFromCurrentKey();
    std::map<std::wstring, std::pair<DWORD, Bytes>> read;
    for (const std::wstring& name : names)
    {
        Bytes data;
        RegistryValueType type = RegNone;
        registry.RegistryGetValueFromCurrentKey(name, data, type);
        read[name] = { type, data };
        EXPECT_TRUE(read[name] == RawValue(name, L"Values")) << name.size();
    }
    EXPECT_EQ(values.size(), names.size());
    EXPECT_TRUE(values == read);

    registry.RegistryDeleteValueFromCurrentKey(longName);
    EXPECT_EQ(values.size() - 1, registry.RegistryGetValuesFromCurrentKey().size());
    registry.RegistryCloseCurrentKey();
    registry.RegistryCloseCurrentKey();
    EXPECT_EQ(0u, registry.GetHandle());
    registry.RegistryCreateKey(RootCurrentUser, m_path + L"\\Values", AccessRead, true, OptionNonVolatile, nullptr, &disposition);
    EXPECT_EQ(DispositionOpenedExistingKey, disposition);
}

TEST_F(RegistryKeyTest, FailuresNameTheKeyAndKeepTheCode)
{
    RegistryUtilities registry;
    const Exception missing = Caught<Exception>([&] { registry.RegistryOpenKey(RootCurrentUser, m_path + L"\\Missing", AccessRead, false); });
    EXPECT_EQ(2u, missing.GetErrorCode());
    EXPECT_EQ(L"RegOpenKeyExW failed RootKey: HKEY_CURRENT_USER SubKey: " + m_path + L"\\Missing (32 bit) (ErrorCode: 2)",
              missing.GetFullMessage());
    EXPECT_EQ(0u, missing.GetSourceLocation().rfind(L"Source\\RegistryUtilities Line:", 0));
    EXPECT_EQ(0u, registry.GetHandle());

    // Bad wishes and roots fail before anything is stored: the next message names the old key.
    EXPECT_EQ(L"Invalid parameter! (ErrorCode: 87)",
              Caught<Exception>([&] { registry.RegistryOpenKey(RootCurrentUser, L"Other", static_cast<RegistryDesiredAccess>(3), true); })
                  .GetFullMessage());
    EXPECT_EQ(87u, Caught<Exception>([&] { registry.RegistryOpenKey(static_cast<RegistryRootKey>(0), L"Other", AccessRead, true); })
                       .GetErrorCode());
    EXPECT_EQ(87u, Caught<Exception>([&] { registry.RegistryDeleteTree(static_cast<RegistryRootKey>(6), L"Other", true); }).GetErrorCode());

    registry.RegistryOpenKey(RootCurrentUser, m_path, AccessAll, true);
    Bytes data{ 9 };
    RegistryValueType type = RegQword;
    const Exception noValue = Caught<Exception>([&] { registry.RegistryGetValueFromCurrentKey(L"Version", data, type); });
    EXPECT_EQ(L"RegQueryValueExW failed RootKey: HKEY_CURRENT_USER SubKey: " + m_path + L" ValueName: Version (64 bit)",
              noValue.GetErrorMessage());
    // Each failure records the line of its own call.
    EXPECT_EQ(0u, noValue.GetSourceLocation().rfind(L"Source\\RegistryUtilities Line:", 0));
    EXPECT_NE(missing.GetSourceLocation(), noValue.GetSourceLocation());
    EXPECT_EQ(2u, noValue.GetErrorCode());
    EXPECT_EQ(Bytes{ 9 }, data);
    EXPECT_EQ(RegQword, type);

    EXPECT_FALSE(RegistryUtilities::KeyExists(RootCurrentUser, m_path + L"\\Missing"));
    EXPECT_TRUE(RegistryUtilities::KeyExists(RootCurrentUser, m_path));
    EXPECT_EQ(87u, Caught<Exception>([] { RegistryUtilities::KeyExists(static_cast<RegistryRootKey>(9), L"x"); }).GetErrorCode());

    // A key that cannot be opened for another reason is not missing: KeyExists passes the failure on.
    Kelvo::HostApi::UniqueRegistryKey locked;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyW(m_key.Get(), L"Locked", locked.Put()));
    SECURITY_DESCRIPTOR nobody;
    ::InitializeSecurityDescriptor(&nobody, SECURITY_DESCRIPTOR_REVISION);
    ACL emptyAcl;
    ::InitializeAcl(&emptyAcl, sizeof(emptyAcl), ACL_REVISION);
    ::SetSecurityDescriptorDacl(&nobody, TRUE, &emptyAcl, FALSE);
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeySecurity(locked.Get(), DACL_SECURITY_INFORMATION, &nobody));
    if (RawExists(L"\\Locked"))
    {
        GTEST_SKIP() << "Wine does not enforce the access list of a registry key";
    }
    EXPECT_EQ(5u, Caught<Exception>([&] { RegistryUtilities::KeyExists(RootCurrentUser, m_path + L"\\Locked"); }).GetErrorCode());
}

TEST_F(RegistryKeyTest, KeysAreClosedOnEveryPath)
{
    const unsigned int before = OpenHandleCount();
    {
        RegistryUtilities registry;
        for (int i = 0; i < 1000; ++i)
        {
            registry.RegistryOpenKey(RootCurrentUser, m_path, AccessRead, false); // replaces the current key
            Caught<Exception>([&] { registry.RegistryOpenKey(RootCurrentUser, m_path + L"\\Missing", AccessRead, false); });
            RegistryUtilities::KeyExists(RootCurrentUser, m_path + L"\\Missing");
        }
        EXPECT_NE(0u, registry.GetHandle());
    }
    EXPECT_EQ(before, OpenHandleCount());
}

TEST_F(RegistryKeyTest, SubKeysAreListedAndDeleteTreeRemovesEveryLevelAndNothingBeside)
{
    for (const wchar_t* key : { L"Tree\\B\\D\\F", L"Tree\\C", L"Tree\\B\\E", L"TreeSibling", L"\u4e2d" })
    {
        RawCreate(key);
    }
    RegistryUtilities registry;
    registry.RegistryOpenKey(RootCurrentUser, m_path, AccessRead, true);
    const auto subKeys = registry.RegistryGetSubkeysFromCurrentKey();
    EXPECT_EQ((std::set<std::wstring>{ L"Tree", L"TreeSibling", L"\u4e2d" }), std::set<std::wstring>(subKeys.begin(), subKeys.end()));
    registry.RegistryDeleteTree(RootCurrentUser, m_path + L"\\Tree", false);
    EXPECT_FALSE(RawExists(L"\\Tree"));
    EXPECT_TRUE(RawExists(L"\\TreeSibling"));
    const Exception gone = Caught<Exception>([&] { registry.RegistryDeleteTree(RootCurrentUser, m_path + L"\\Tree", false); });
    EXPECT_EQ(2u, gone.GetErrorCode());
    EXPECT_EQ(L"RegOpenKeyExW failed RootKey: HKEY_CURRENT_USER SubKey: " + m_path + L"\\Tree (32 bit)", gone.GetErrorMessage());
}

// Only in the Wine prefix that CTest makes for this test alone (RegistryTests.NoKeyTree): were the
// refusal lost, the call would delete every key of HKEY_CURRENT_USER.
TEST(RegistryDeleteTree, RefusesANameOfNoKeyBelowTheRoot)
{
    if (std::getenv("KELVO_DISPOSABLE_PREFIX") == nullptr)
    {
        GTEST_SKIP() << "runs only in a disposable Wine prefix of its own (RegistryTests.NoKeyTree under CTest)";
    }
    Kelvo::HostApi::UniqueRegistryKey marker;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\KelvoMarker", marker.Put()));
    DWORD keysBefore = 0, keysAfter = 0;
    ::RegQueryInfoKeyW(HKEY_CURRENT_USER, nullptr, nullptr, nullptr, &keysBefore, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr);
    RegistryUtilities registry;
    for (const wchar_t* none : { L"", L"\\", L"\\\\\\" })
    {
        for (const bool is64BitView : { false, true })
        {
            const Exception refused = Caught<Exception>([&] { registry.RegistryDeleteTree(RootCurrentUser, none, is64BitView); });
            EXPECT_EQ(L"Invalid parameter! (ErrorCode: 87)", refused.GetFullMessage());
        }
    }
    ::RegQueryInfoKeyW(HKEY_CURRENT_USER, nullptr, nullptr, nullptr, &keysAfter, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr);
    EXPECT_EQ(keysBefore, keysAfter);
    EXPECT_TRUE(RegistryUtilities::KeyExists(RootCurrentUser, L"Software\\KelvoMarker"));
}

TEST(RegistryViews, ThirtyTwoAndSixtyFourBitViewsOfTheMachineSoftwareKey)
{
    const std::wstring path = L"Software\\KelvoTests-" + std::to_wstring(::GetCurrentProcessId());
    RegistryUtilities registry;
    registry.RegistryCreateKey(RootLocalMachine, path + L"\\Only32", AccessAll, false, OptionNonVolatile, nullptr, nullptr);
    registry.RegistryCreateKey(RootLocalMachine, path + L"\\Only64", AccessAll, true, OptionNonVolatile, nullptr, nullptr);
    registry.RegistryCloseCurrentKey();
    const auto existsIn = [&](const std::wstring& sub, REGSAM view) {
        Kelvo::HostApi::UniqueRegistryKey key;
        return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, (path + sub).c_str(), 0, KEY_READ | view, key.Put()) == ERROR_SUCCESS;
    };
    EXPECT_TRUE(existsIn(L"\\Only32", KEY_WOW64_32KEY));
    EXPECT_TRUE(existsIn(L"\\Only64", KEY_WOW64_64KEY));
    // KeyExists looks in the 32-bit view only, where the key made in the other view is missing.
    EXPECT_TRUE(RegistryUtilities::KeyExists(RootLocalMachine, path + L"\\Only32"));
    EXPECT_FALSE(RegistryUtilities::KeyExists(RootLocalMachine, path + L"\\Only64"));

    registry.RegistryDeleteTree(RootLocalMachine, path, false);
    registry.RegistryDeleteTree(RootLocalMachine, path, true);
    EXPECT_FALSE(existsIn(L"", KEY_WOW64_32KEY) || existsIn(L"", KEY_WOW64_64KEY));
}

TEST_F(RegistryKeyTest, RegistryKeyReadsWithDefaultsAndWritesExistingKeys)
{
    Registry factory;
    const auto missing = factory.CreateRegistryKey(BaseCurrentUser, m_path + L"\\Missing");
    EXPECT_EQ(L"default", missing->GetStringValue(L"Name", L"default"));
    EXPECT_EQ(7u, missing->GetUint32Value(L"Name", 7));
    EXPECT_TRUE(missing->GetBinaryValue(L"Name").empty());
    EXPECT_FALSE(RawExists(L"\\Missing"));
    const Win32Exception notOpen = Caught<Win32Exception>([&] { missing->SetValue(L"Name", std::wstring(L"ab")); });
    EXPECT_EQ(2, notOpen.code().value());
    EXPECT_EQ("RegOpenKey failed.: " + std::system_category().message(2), notOpen.what());

    RegistryKey key(BaseCurrentUser, m_path);
    key.SetValue(L"Name", std::wstring(L"ab"));
    EXPECT_EQ(std::make_pair(static_cast<DWORD>(REG_SZ), (Bytes{ 0x61, 0, 0x62, 0, 0, 0 })), RawValue(L"Name"));
    key.SetValue(L"Number", 0x01020304u);
    key.SetValue(L"Wide", Bytes{ 1, 2, 3, 4, 5, 6, 7, 8 });
    Bytes hundred(100);
    std::iota(hundred.begin(), hundred.end(), 0);
    key.SetValue(L"Hundred", hundred);
    EXPECT_EQ(L"ab", key.GetStringValue(L"Name", L"default"));
    EXPECT_EQ(L"default", key.GetStringValue(L"Number", L"default"));
    EXPECT_EQ(L"default", key.GetStringValue(L"None", L"default"));
    EXPECT_EQ(0x01020304u, key.GetUint32Value(L"Number", 0));
    EXPECT_EQ(hundred, key.GetBinaryValue(L"Hundred"));
    EXPECT_EQ((Bytes{ 4, 3, 2, 1 }), key.GetBinaryValue(L"Number"));
    const Win32Exception tooWide = Caught<Win32Exception>([&] { key.GetUint32Value(L"Wide", 0); });
    EXPECT_EQ(234, tooWide.code().value());
    EXPECT_EQ("RegGetValue failed.: " + std::system_category().message(234), tooWide.what());

    key.CreateSubKey(L"Sub");
    EXPECT_TRUE(RawExists(L"\\Sub"));
    key.DeleteSubKey(L"Sub");
    key.DeleteSubKey(L"Sub");
    EXPECT_FALSE(RawExists(L"\\Sub"));
    // A name of no sub-key would delete the key itself (it has no sub-keys now): refused.
    for (const wchar_t* none : { L"", L"\\\\" })
    {
        EXPECT_EQ(87, Caught<Win32Exception>([&] { key.DeleteSubKey(none); }).code().value());
        EXPECT_EQ(87u, Caught<Exception>([&] {
                           Kelvo::HostApi::Registry::DeleteKey(reinterpret_cast<std::uintptr_t>(m_key.Get()), none);
                       }).GetErrorCode());
    }
    EXPECT_TRUE(RawExists(L""));

    // Copies open the key on their own and close it once each.
    const unsigned int before = OpenHandleCount();
    {
        RegistryKey copy(key);
        RegistryKey assigned(BaseCurrentUser, L"Software");
        EXPECT_EQ(0u, assigned.GetUint32Value(L"KelvoNoSuchValue", 0));
        assigned = copy;
        EXPECT_EQ(L"ab", copy.GetStringValue(L"Name", L""));
        EXPECT_EQ(L"ab", assigned.GetStringValue(L"Name", L""));
    }
    EXPECT_EQ(before, OpenHandleCount());
    EXPECT_EQ(L"ab", key.GetStringValue(L"Name", L""));
}
