// The registry's text forms, and the key classes against Wine's real registry: each test owns a
// fresh key below HKEY_CURRENT_USER\Software\KelvoTests and deletes it.
#include <KelvoUtilities.h>

#include "OpenHandles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

using namespace Kelvo::Utilities;
using Bytes = std::vector<unsigned char>;
using TestSupport::Caught;

namespace {

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
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                                   nullptr, &key, nullptr));
        m_key.Reset(key);
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

    bool RawExists(const std::wstring& subKey, REGSAM view = 0)
    {
        Kelvo::HostApi::UniqueRegistryKey key;
        return ::RegOpenKeyExW(HKEY_CURRENT_USER, (m_path + subKey).c_str(), 0, KEY_READ | view, key.Put()) == ERROR_SUCCESS;
    }

    std::wstring m_path;
    Kelvo::HostApi::UniqueRegistryKey m_key;
};

} // namespace

TEST(RegistryConversions, TypeNamesBothWays)
{
    const wchar_t* const names[] = { L"REG_NONE", L"REG_SZ", L"REG_EXPAND_SZ", L"REG_BINARY", L"REG_DWORD",
                                     L"REG_DWORD_BIG_ENDIAN", L"REG_LINK", L"REG_MULTI_SZ", L"REG_RESOURCE_LIST",
                                     L"REG_FULL_RESOURCE_DESCRIPTOR", L"REG_RESOURCE_REQUIREMENTS_LIST", L"REG_QWORD" };
    for (std::uint32_t type = 0; type < 12; ++type)
    {
        EXPECT_EQ(names[type], RegistryUtilities::ConvertValueTypeToWideString(static_cast<RegistryValueType>(type)));
        EXPECT_EQ(type, RegistryUtilities::ConvertWideStringToValueType(names[type]));
    }
    const Exception badType = Caught<Exception>([] { RegistryUtilities::ConvertValueTypeToWideString(static_cast<RegistryValueType>(12)); });
    EXPECT_EQ(L"Cannot resolve registry value type to string", badType.GetFullMessage());
    EXPECT_EQ(0u, badType.GetSourceLocation().rfind(L"Source\\RegistryUtilities Line:", 0));
    EXPECT_EQ(L"Cannot resolve string to registry value type: reg_sz",
              Caught<Exception>([] { RegistryUtilities::ConvertWideStringToValueType(L"reg_sz"); }).GetFullMessage());
}

TEST(RegistryConversions, TextAndDataBothWays)
{
    struct Case
    {
        RegistryValueType type;
        std::wstring text;
        Bytes data;
        bool roundTrip; // whether the data reads back as the same text
    };
    const Case cases[] = {
        { RegDword, L"01, 00, 00, 00", { 1, 0, 0, 0 }, true },
        { RegBinary, L"FF, 0A", { 0xFF, 0x0A }, true },
        { RegBinary, L"ff, 0a", { 0xFF, 0x0A }, false },
        { RegBinary, L"0A, ", { 0x0A }, false },
        { RegBinary, L"01, 02, 03, 04, 05", { 1, 2, 3, 4, 5 }, true },
        { RegDword, L"", {}, true },
        { RegQword, L"01", { 1, 0, 0, 0, 0, 0, 0, 0 }, false },
        { RegDwordBigEndian, L"01, 02", { 1, 2, 0, 0 }, false },
        { RegSz, L"ab", { 0x61, 0, 0x62, 0, 0, 0 }, true },
        { RegSz, L"", { 0, 0 }, true },
        { RegExpandSz, std::wstring(L"a\0b", 3), { 0x61, 0, 0, 0, 0x62, 0, 0, 0 }, false },
        { RegExpandSz, L"%PATH%", { '%', 0, 'P', 0, 'A', 0, 'T', 0, 'H', 0, '%', 0, 0, 0 }, true },
        { RegMultiSz, L"", { 0, 0, 0, 0 }, true },
        { RegMultiSz, L"a[endOfString][endOfString]b", { 0x61, 0, 0, 0, 0, 0, 0x62, 0, 0, 0, 0, 0 }, true },
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.data, Data(c.type, c.text)) << c.text;
        if (c.roundTrip)
        {
            EXPECT_EQ(c.text, Text(c.type, c.data)) << c.text;
        }
    }
    EXPECT_EQ(1u, RegistryUtilities::ConvertValueDataToDWord(RegDword, Bytes{ 1, 0, 0, 0 }));
    EXPECT_EQ(16777216u, RegistryUtilities::ConvertValueDataToDWord(RegDwordBigEndian, Bytes{ 1, 0, 0, 0 }));

    // Data that is cut or malformed is read up to its end and never beyond.
    const std::pair<RegistryValueType, Bytes> reads[] = {
        { RegSz, { 0x61, 0, 0, 0, 0x62, 0 } },         { RegExpandSz, { 0x61, 0, 0x2d, 0x4e, 0x62 } },
        { RegMultiSz, { 0x61, 0, 0, 0, 0x62, 0, 0, 0 } }, { RegMultiSz, { 0x61, 0, 0x62, 0, 0x63 } },
        { RegMultiSz, { 0, 0, 0 } },                     { RegMultiSz, { 0x61, 0, 0, 0 } },
    };
    const wchar_t* const texts[] = { L"a", L"a\u4e2d", L"a[endOfString]b", L"ab", L"", L"a" };
    for (std::size_t i = 0; i < sizeof(texts) / sizeof(texts[0]); ++i)
    {
        EXPECT_EQ(texts[i], Text(reads[i].first, reads[i].second)) << i;
    }
}

TEST(RegistryConversions, FailuresWithTheirMessagesAndCodes)
{
    const std::wstring unresolved = L"Cannot resolve registry value data|18446744073709551615|Source\\RegistryUtilities";
    const std::vector<std::pair<std::function<void()>, std::wstring>> failures = {
        { [] { Data(RegDword, L"01, 02, 03, 04, 05"); },
          L"The parameter value data: \"01, 02, 03, 04, 05\" does not match the expected data for type: "
          L"\"REG_DWORD\". (Parameter value data is too long)|87|Source\\RegistryUtilities" },
        { [] { Data(RegQword, L"01, 02, 03, 04, 05, 06, 07, 08, 09"); },
          L"The parameter value data: \"01, 02, 03, 04, 05, 06, 07, 08, 09\" does not match the expected data for "
          L"type: \"REG_QWORD\". (Parameter value data is too long)|87|Source\\RegistryUtilities" },
        { [] { RegistryUtilities::ConvertValueDataToDWord(RegDword, Bytes{ 1, 0, 0 }); }, unresolved },
        { [] { RegistryUtilities::ConvertValueDataToDWord(RegDword, Bytes{ 1, 0, 0, 0, 0 }); }, unresolved },
        { [] { RegistryUtilities::ConvertValueDataToDWord(RegQword, Bytes{ 1, 0, 0, 0 }); }, unresolved },
    };
    for (const auto& failure : failures)
    {
        EXPECT_EQ(failure.second, TestSupport::FailureOf(failure.first));
    }
    for (const wchar_t* bad : { L"1", L" 0A", L"0A,0B", L"0A, , 0B", L", ", L"012" })
    {
        EXPECT_EQ(L"Not a hexadecimal byte|18446744073709551615|Source\\RegistryUtilities",
                  TestSupport::FailureOf([bad] { Data(RegBinary, bad); })) << bad;
    }
    for (const wchar_t* bad : { L"0G", L"0x", L"\u0660\u0661" })
    {
        EXPECT_EQ(L"Value is not hexadecimal", Caught<Exception>([bad] { Data(RegBinary, bad); }).GetFullMessage()) << bad;
    }
    for (RegistryValueType type : { RegNone, RegLink, RegResourceList, RegFullResourceDescriptor,
                                    RegResourceRequirementsList, static_cast<RegistryValueType>(12) })
    {
        EXPECT_EQ(unresolved, TestSupport::FailureOf([type] { Data(type, L"00"); }));
        EXPECT_EQ(unresolved, TestSupport::FailureOf([type] { Text(type, Bytes{ 0, 0 }); }));
    }
}

TEST(RegistryConversions, RootKeysAndPaths)
{
    EXPECT_EQ(RootLocalMachine, RegistryUtilities::ConvertStringToRegRootKey(L"HKEY_CURRENT_USER"));
    EXPECT_EQ(RootLocalMachine, RegistryUtilities::ConvertStringToRegRootKey(L""));
    EXPECT_EQ(RootLocalMachine, RegistryUtilities::ConvertStringToRegRootKey(L"0x80000004"));
    EXPECT_EQ(RootLocalMachine, RegistryUtilities::ConvertStringToRegRootKey(L"0X80000001"));
    const wchar_t* const handles[] = { L"0x80000000", L"0x80000001", L"0x80000002", L"0x80000003", L"0x80000005" };
    for (std::uint32_t root = 1; root <= 5; ++root)
    {
        EXPECT_EQ(root, RegistryUtilities::ConvertStringToRegRootKey(handles[root - 1]));
    }

    std::wstring subKey = L"Software\\X";
    EXPECT_EQ(L"CURRENT_USER\\Software\\X", RegistryUtilities::ConvertRegistryKeyToPath(RootCurrentUser, subKey));
    subKey = L"\\Software\\X";
    EXPECT_EQ(L"CURRENT_USER\\Software\\X", RegistryUtilities::ConvertRegistryKeyToPath(RootCurrentUser, subKey));
    subKey.clear();
    EXPECT_EQ(L"MACHINE\\SYSTEM\\CurrentControlSet\\Hardware Profiles\\Current",
              RegistryUtilities::ConvertRegistryKeyToPath(RootCurrentConfig, subKey));
    EXPECT_EQ(L"Invalid Registry Root key identifier",
              Caught<Exception>([&subKey] { RegistryUtilities::ConvertRegistryKeyToPath(static_cast<RegistryRootKey>(6), subKey); })
                  .GetFullMessage());
}

TEST_F(RegistryKeyTest, EveryTextFormRoundTripsThroughTheRegistry)
{
    RegistryUtilities registry;
    RegistryDisposition disposition = DispositionNone;
    registry.RegistryCreateKey(RootCurrentUser, m_path + L"\\Values", AccessAll, false, OptionNonVolatile, nullptr, &disposition);
    EXPECT_EQ(DispositionCreatedNewKey, disposition);
    const std::vector<std::pair<RegistryValueType, std::wstring>> values = {
        { RegSz, L"text \u0416\u4e2d\U0001F600" }, { RegExpandSz, L"%TEMP%\\x" }, { RegBinary, L"00, 7F, 80, FF" },
        { RegDword, L"01, 02, 03, 04" },           { RegDwordBigEndian, L"0A, 0B, 0C, 0D" },
        { RegQword, L"01, 02, 03, 04, 05, 06, 07, 08" }, { RegMultiSz, L"a[endOfString][endOfString]\u00e9" },
        { RegBinary, L"" },
    };
    for (const auto& value : values)
    {
        const std::wstring name = L"v" + RegistryUtilities::ConvertValueTypeToWideString(value.first) + value.second;
        registry.RegistrySetValueFromCurrentKey(name, Data(value.first, value.second), value.first);
        Bytes data;
        RegistryValueType type = RegNone;
        registry.RegistryGetValueFromCurrentKey(name, data, type);
        EXPECT_EQ(value.first, type);
        EXPECT_EQ(value.second, Text(type, data));
    }
    // Types without a text form still travel as type and bytes.
    for (RegistryValueType type : { RegNone, RegLink, RegResourceList, RegFullResourceDescriptor, RegResourceRequirementsList })
    {
        const std::wstring name = L"raw" + std::to_wstring(type);
        registry.RegistrySetValueFromCurrentKey(name, Bytes{ 1, 2, 3 }, type);
        EXPECT_EQ(std::make_pair(static_cast<DWORD>(type), (Bytes{ 1, 2, 3 })), RawValue(name, L"Values"));
    }
    registry.RegistryCloseCurrentKey();
    registry.RegistryCloseCurrentKey();
    EXPECT_EQ(0u, registry.GetHandle());

    registry.RegistryCreateKey(RootCurrentUser, m_path + L"\\Values", AccessRead, true, OptionNonVolatile, nullptr, &disposition);
    EXPECT_EQ(DispositionOpenedExistingKey, disposition);
    EXPECT_EQ(values.size() + 5, registry.RegistryGetValuesFromCurrentKey().size());
    EXPECT_TRUE(registry.RegistryGetSubkeysFromCurrentKey().empty());
}

TEST_F(RegistryKeyTest, LongAndUnicodeNamesAndLargeValues)
{
    RegistryUtilities registry;
    registry.RegistryOpenKey(RootCurrentUser, m_path, AccessAll, true);
    const std::wstring longName(16383, L'n');
    const std::wstring unicodeName = L"\u0416\u0438\u0437\u043d\u044c \u4e2d\u6587 \U0001F600";
    Bytes big(1 << 20);
    for (std::size_t i = 0; i < big.size(); ++i)
    {
        big[i] = static_cast<unsigned char>(i * 7 + i / 256);
    }
    registry.RegistrySetValueFromCurrentKey(longName, big, RegBinary);
    registry.RegistrySetValueFromCurrentKey(unicodeName, Data(RegSz, unicodeName), RegSz);
    EXPECT_EQ(std::make_pair(static_cast<DWORD>(REG_BINARY), big), RawValue(longName));
    EXPECT_EQ(std::make_pair(static_cast<DWORD>(REG_SZ), Data(RegSz, unicodeName)), RawValue(unicodeName));
    const auto names = registry.RegistryGetValuesFromCurrentKey();
    EXPECT_EQ((std::set<std::wstring>{ longName, unicodeName }), std::set<std::wstring>(names.begin(), names.end()));

    registry.RegistryDeleteValueFromCurrentKey(longName);
    EXPECT_EQ(1u, registry.RegistryGetValuesFromCurrentKey().size());
}

TEST_F(RegistryKeyTest, TenThousandValuesAndSubKeysAreListed)
{
    for (int i = 0; i < 10000; ++i)
    {
        const DWORD number = static_cast<DWORD>(i);
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(m_key.Get(), (L"value " + std::to_wstring(i)).c_str(), 0, REG_DWORD,
                                                  reinterpret_cast<const BYTE*>(&number), sizeof(number)));
    }
    for (const wchar_t* sub : { L"b", L"a", L"\u4e2d" })
    {
        Kelvo::HostApi::UniqueRegistryKey created;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyW(m_key.Get(), sub, created.Put()));
    }
    RegistryUtilities registry;
    registry.RegistryOpenKey(RootCurrentUser, m_path, AccessRead, false);
    const auto values = registry.RegistryGetValuesFromCurrentKey();
    const std::set<std::wstring> distinct(values.begin(), values.end());
    EXPECT_EQ(10000u, values.size());
    EXPECT_EQ(10000u, distinct.size());
    EXPECT_EQ(1u, distinct.count(L"value 9999"));
    const auto subKeys = registry.RegistryGetSubkeysFromCurrentKey();
    EXPECT_EQ((std::set<std::wstring>{ L"a", L"b", L"\u4e2d" }), std::set<std::wstring>(subKeys.begin(), subKeys.end()));
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
}

TEST_F(RegistryKeyTest, KeyExistsPassesOnAccessDenied)
{
    Kelvo::HostApi::UniqueRegistryKey locked;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyW(m_key.Get(), L"Locked", locked.Put()));
    SECURITY_DESCRIPTOR nobody;
    ::InitializeSecurityDescriptor(&nobody, SECURITY_DESCRIPTOR_REVISION);
    ACL emptyAcl;
    ::InitializeAcl(&emptyAcl, sizeof(emptyAcl), ACL_REVISION);
    ::SetSecurityDescriptorDacl(&nobody, TRUE, &emptyAcl, FALSE);
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeySecurity(locked.Get(), DACL_SECURITY_INFORMATION, &nobody));
    Kelvo::HostApi::UniqueRegistryKey probe;
    if (::RegOpenKeyExW(m_key.Get(), L"Locked", 0, KEY_READ, probe.Put()) == ERROR_SUCCESS)
    {
        GTEST_SKIP() << "Wine does not enforce the access list of a registry key";
    }
    const Exception denied = Caught<Exception>([&] { RegistryUtilities::KeyExists(RootCurrentUser, m_path + L"\\Locked"); });
    EXPECT_EQ(5u, denied.GetErrorCode());
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

TEST_F(RegistryKeyTest, DeleteTreeRemovesFiveLevelsOfTwoThousandKeys)
{
    // 5 levels: 5 + 25 + 125 + 625 + 1250 keys below the root of the tree.
    std::vector<std::wstring> level{ m_path + L"\\Tree" };
    int created = 0;
    for (int depth = 0; depth < 5; ++depth)
    {
        std::vector<std::wstring> next;
        for (const auto& parent : level)
        {
            for (int child = 0; child < (depth == 4 ? 2 : 5); ++child)
            {
                next.push_back(parent + L"\\k" + std::to_wstring(child));
                Kelvo::HostApi::UniqueRegistryKey key;
                ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyW(HKEY_CURRENT_USER, next.back().c_str(), key.Put()));
                const DWORD value = 1;
                ::RegSetValueExW(key.Get(), L"v", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
                ++created;
            }
        }
        level.swap(next);
    }
    EXPECT_EQ(2030, created);
    Kelvo::HostApi::UniqueRegistryKey sibling;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyW(m_key.Get(), L"TreeSibling", sibling.Put()));

    RegistryUtilities registry;
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
    Kelvo::HostApi::UniqueRegistryKey stillThere;
    EXPECT_EQ(ERROR_SUCCESS, ::RegOpenKeyW(HKEY_CURRENT_USER, L"Software\\KelvoMarker", stillThere.Put()));
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
    EXPECT_FALSE(existsIn(L"\\Only32", KEY_WOW64_64KEY));
    EXPECT_TRUE(existsIn(L"\\Only64", KEY_WOW64_64KEY));
    EXPECT_FALSE(existsIn(L"\\Only64", KEY_WOW64_32KEY));
    // KeyExists looks in the 32-bit view only.
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
    for (std::size_t i = 0; i < hundred.size(); ++i)
    {
        hundred[i] = static_cast<unsigned char>(i);
    }
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
