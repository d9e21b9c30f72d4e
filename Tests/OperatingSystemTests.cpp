// OSInfo in this process, through subclasses that fake the basic predicates, and under several
// Windows versions: Wine reports the version of HKCU\Software\Wine\AppDefaults\<exe>\Version to
// a program it starts, so the tests start OSVersionProbe.exe under each and read its answers.
#include <KelvoUtilities.h>

#include <TestSupport.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <regex>
#include <vector>

using namespace Kelvo::Utilities;
using namespace TestSupport;

namespace {

const unsigned long No = IOSInfo::NotGiven;

// The name=value lines that program writes to its standard output.
std::map<std::string, std::string> AnswersOf(const std::wstring& program)
{
    FILE* output = ::_wpopen((L"\"" + program + L"\"").c_str(), L"r");
    EXPECT_NE(nullptr, output);
    std::map<std::string, std::string> answers;
    char line[4096];
    while (output != nullptr && std::fgets(line, sizeof(line), output) != nullptr)
    {
        const std::string text(line, std::strcspn(line, "\r\n"));
        answers[text.substr(0, text.find('='))] = text.substr(text.find('=') + 1);
    }
    ::_pclose(output);
    return answers;
}

// Fakes the system answers that the composites build on, and records which operations ran.
class FakeSystem : public OSInfo
{
public:
    mutable std::vector<std::string> calls;
    bool is64Bit = true, workstation = true;
    unsigned long major = 5, minor = 2;
    unsigned short languageId = 0x0409;

    bool Is64Bit() const override
    {
        return calls.push_back("Is64Bit"), is64Bit;
    }

    bool IsWorkstation() const override
    {
        return calls.push_back("IsWorkstation"), workstation;
    }

    bool IsAtLeastVersion(unsigned long askedMajor, unsigned long askedMinor, unsigned long, unsigned long) const override
    {
        calls.push_back("IsAtLeastVersion");
        return major > askedMajor || (major == askedMajor && (askedMinor == No || minor >= askedMinor));
    }

    bool IsVersion(unsigned long askedMajor, unsigned long askedMinor, unsigned long, unsigned long) const override
    {
        calls.push_back("IsVersion(" + std::to_string(askedMajor) + "." + std::to_string(askedMinor) + ")");
        return major == askedMajor && minor == askedMinor;
    }

    bool IsWinXPWorkstation() const override
    {
        return calls.push_back("IsWinXPWorkstation"), OSInfo::IsWinXPWorkstation();
    }

    bool IsWin2003Server() const override
    {
        return calls.push_back("IsWin2003Server"), OSInfo::IsWin2003Server();
    }

    bool IsWin2003ServerR2() const override
    {
        return calls.push_back("IsWin2003ServerR2"), OSInfo::IsWin2003ServerR2();
    }

    unsigned short GetUsersOSLangId() const override
    {
        return languageId;
    }
};

} // namespace

TEST(OSInfo, VersionPredicatesUnderSixWindowsVersions)
{
    // Columns: Windows XP (5.1 SP3), 64-bit XP (5.2 SP2), Server 2003 (5.2 SP2), Windows 7
    // (6.1 SP1), Windows 8.1 (6.3), Windows 10 (10.0). Wine runs 64-bit programs, so XP
    // workstations are 64-bit ones and 5.1 is not XP to IsWinXPWorkstation.
    // Wine reports a per-program "win7" as a server (Server 2008 R2); its prefix default is the
    // Windows 7 workstation, so that column runs without a per-program version.
    const std::map<std::string, std::string> expected = {
        { "IsAtLeastWindowsVista", "000111" }, { "IsAtLeastWindows7", "000111" },
        { "IsAtLeastWindows8", "000011" },     { "IsAtLeastWindows81", "000011" },
        { "IsAtLeastWindows10", "000001" },    { "IsAtLeastWindowsXPSP2", "111111" },
        { "IsWorkstation", "110111" },         { "IsServer", "001000" },
        { "IsWinXPWorkstation", "010000" },    { "IsWin2003Server", "001000" },
        { "IsVersion(5.1)", "100000" },        { "IsVersion(5.2)", "011000" },
        { "IsVersion(5.2 SP2)", "011000" },    { "IsVersion(6.0)", "000000" },
        { "IsVersion(6.1)", "000100" },        { "IsVersion(6.1 SP0)", "000000" },
        { "IsVersion(6.1 SP1)", "000100" },    { "IsVersion(6.1 SP1.0)", "000100" },
        { "IsVersion(6)", "000110" },          { "IsVersion(10.0)", "000001" },
        // Before Windows 7 the short format is the long one without seconds.
        { "IsAtLeastVersion(6.1 SP2)", "000011" }, { "ShortTimeFormat", "HH.mm|HH.mm|HH.mm|H.mm|H.mm|H.mm" },
    };

    const std::wstring appKey = L"Software\\Wine\\AppDefaults\\OSVersionProbe.exe";
    RegistryUtilities appDefaults;
    appDefaults.RegistryCreateKey(RootCurrentUser, appKey, AccessAll, false, OptionNonVolatile, nullptr, nullptr);
    std::map<std::string, std::string> seen;
    {
        // Short and long formats that tell the two ways of GetShortTimeFormat apart.
        const ScopedLocaleItem longTime(LOCALE_STIMEFORMAT, L"HH.mm:ss");
        const ScopedLocaleItem shortTime(LOCALE_SSHORTTIME, L"H.mm");
        for (const std::wstring version : { L"winxp", L"winxp64", L"win2003", L"", L"win81", L"win10" })
        {
            if (version.empty())
            {
                appDefaults.RegistryDeleteValueFromCurrentKey(L"Version");
            }
            else
            {
                appDefaults.RegistrySetValueFromCurrentKey(
                    L"Version", RegistryUtilities::ConvertWideStringToValueData(RegSz, version), RegSz);
            }
            for (const auto& answer : AnswersOf(BesideTheTests(L"OSVersionProbe.exe")))
            {
                std::string& column = seen[answer.first];
                column += (answer.first == "ShortTimeFormat" && !column.empty() ? "|" : "") + answer.second;
            }
        }
    }
    appDefaults.RegistryDeleteTree(RootCurrentUser, appKey, false);

    EXPECT_EQ(expected, seen);
}

TEST(OSInfo, CompositesFollowOverriddenBasicPredicates)
{
    FakeSystem system;
    // 64-bit Windows XP: 5.2 workstation.
    EXPECT_TRUE(system.IsWinXPOsGroup());
    EXPECT_EQ((std::vector<std::string>{ "IsWinXPWorkstation", "Is64Bit", "IsWorkstation", "IsVersion(5.2)" }),
              system.calls);
    EXPECT_FALSE(system.Is32Bit());
    EXPECT_FALSE(system.IsServer());

    // 32-bit Server 2003: not an XP workstation, but of the 2003 group (Wine has no R2).
    system.is64Bit = false;
    system.workstation = false;
    system.calls.clear();
    EXPECT_FALSE(system.IsWinXPWorkstation());
    EXPECT_EQ((std::vector<std::string>{ "IsWinXPWorkstation", "Is64Bit", "IsVersion(5.1)" }), system.calls);
    EXPECT_TRUE(system.Is32Bit());
    EXPECT_TRUE(system.IsServer());
    EXPECT_TRUE(system.IsWin2003Server());
    system.calls.clear();
    EXPECT_TRUE(system.IsWinXPOsGroup());
    EXPECT_EQ((std::vector<std::string>{ "IsWinXPWorkstation", "Is64Bit", "IsVersion(5.1)", "IsWin2003ServerR2",
                                         "IsVersion(5.2)", "IsWin2003Server", "IsVersion(5.2)", "IsWorkstation" }),
              system.calls);

    // The at-least predicates ask the overridden IsAtLeastVersion.
    system.major = 6;
    system.minor = 3;
    EXPECT_TRUE(system.IsAtLeastWindowsVista() && system.IsAtLeastWindows7() && system.IsAtLeastWindows8() &&
                system.IsAtLeastWindows81() && system.IsAtLeastWindowsXPSP2());
    EXPECT_FALSE(system.IsAtLeastWindows10());
    system.minor = 4;
    EXPECT_TRUE(system.IsAtLeastWindows10());

    // The language follows the overridden language number.
    system.languageId = 0x0407;
    EXPECT_EQ(L"de", system.GetLanguage());
    system.languageId = 0x0408;
    EXPECT_EQ(L"", system.GetLanguage());

    // IsVersion asks the overridden IsAtLeastVersion first: 5.2 is not at least 6.1.
    system.major = 5;
    EXPECT_FALSE(system.OSInfo::IsVersion(6, 1, No, No));
    EXPECT_FALSE(OSInfo().IsAtLeastVersion(No, 0, 0, 0));
}

TEST(OSInfo, DirectoriesVersionLanguageAndCountry)
{
    const OSInfo os;
    wchar_t windows[MAX_PATH];
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    // The Windows directory comes without a backslash, the temporary one with: one in the end.
    EXPECT_EQ(std::wstring(windows) + L"\\", os.GetBaseDirectory());
    EXPECT_TRUE(std::regex_match(os.GetTempDirectory(), std::wregex(L"C:\\\\.*[^\\\\]\\\\")));
    EXPECT_EQ(L"C:\\ProgramData", os.GetCommonAppDataDirectory());
    EXPECT_TRUE(std::regex_match(os.GetVersion(), std::wregex(L"[0-9]+\\.[0-9]+\\.[0-9]+")));
    EXPECT_EQ(::GetUserDefaultUILanguage(), os.GetUsersOSLangId());
    EXPECT_EQ(L"US", os.GetCountry());
    EXPECT_TRUE(os.Is64Bit() && !os.Is32Bit()); // 64-bit Wine, also for a 32-bit program
}
