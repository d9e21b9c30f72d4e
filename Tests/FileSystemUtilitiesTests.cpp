// Directory maps and tree walks, file versions, INI files, appended logs, drives and the
// environment, against real files.
#include <KelvoUtilities.h>

#include "FileSystemTest.h"
#include "OpenHandles.h"
#include "TestSupport.h"

#include <algorithm>
#include <map>
#include <type_traits>
#include <vector>

using namespace Kelvo::Utilities;
using TestSupport::BesideTheTests;
using TestSupport::Caught;
using TestSupport::FailureOf;
using TestSupport::WhatOf;
using Bytes = std::vector<unsigned char>;
using Lines = std::vector<std::wstring>;

namespace {

std::wstring Variable(const wchar_t* name)
{
    return Environment().GetEnvironmentVariableW(name);
}

std::wstring Text(const _FileVersion& v)
{
    return std::to_wstring(v.Major) + L"." + std::to_wstring(v.Minor) + L"." + std::to_wstring(v.Build) + L"." +
           std::to_wstring(v.Revision);
}

} // namespace

TEST_F(FileSystemTest, VersionsTimesDirectoryMapsAndAttributes)
{
    const std::wstring notVersion = L"The input parameter is not a version string: ";
    const std::wstring notValid = L"The input parameter is not a valid version string: ";
    // text: the version it gives, or the message it throws (leaving the version untouched)
    const std::vector<std::pair<std::wstring, std::wstring>> texts = {
        { L"1.2", L"1.2.0.0" }, { L"1.2.3.4", L"1.2.3.4" }, { L"0.0", L"0.0.0.0" }, { L"1.2beta", L"1.2.0.0" },
        { L"7", notValid + L"7" }, { L"1.2.3.4.5", notValid + L"1.2.3.4.5" }, { L"1..2", notVersion + L"1..2" },
        { L"1.x", notVersion + L"1.x" }, { L"", notVersion }, { L"1.00", notVersion + L"1.00" },
        { L"x.1.2.3.4.5", notVersion + L"x.1.2.3.4.5" },
    };
    for (const auto& t : texts)
    {
        _FileVersion version{ 9, 9, 9, 9 };
        if (t.second.find(L"version string") == std::wstring::npos)
        {
            FileSystemUtilities::ConvertStringToFileVersion(t.first, version);
            EXPECT_EQ(t.second, Text(version));
            continue;
        }
        EXPECT_EQ(t.second + L"|18446744073709551615|Source\\FileSystemUtilities",
                  FailureOf([&] { FileSystemUtilities::ConvertStringToFileVersion(t.first, version); }));
        EXPECT_EQ(L"9.9.9.9", Text(version)) << t.first;
    }

    // 116444736000000000 ticks (1970), 19999999 more, and 0, from which the subtraction wraps.
    EXPECT_EQ(0u, FileSystemUtilities::ConvertFileTimeToPosix({ 0xD53E8000, 0x019DB1DE }));
    EXPECT_EQ(1u, FileSystemUtilities::ConvertFileTimeToPosix({ 0xD66FACFF, 0x019DB1DE }));
    EXPECT_EQ(1833029933770u, FileSystemUtilities::ConvertFileTimeToPosix({ 0, 0 }));

    ::CreateDirectoryW(In(L"Sub").c_str(), nullptr);
    File::WriteAllBytes(In(L"a.txt"), Bytes{});
    File::WriteAllBytes(In(L"Sub\\b.txt"), Bytes{});
    using Entries = std::map<std::wstring, bool>;
    EXPECT_EQ((Entries{ { L"Sub", true }, { L"a.txt", false } }), FileSystemUtilities::GetSubitemsOfDirectory(m_dir));
    EXPECT_EQ((Entries{ { m_dir, true }, { In(L"Sub"), true }, { In(L"a.txt"), false }, { In(L"Sub\\b.txt"), false } }),
              FileSystemUtilities::EnumerateDirectoryTree(m_dir + L"\\"));
    EXPECT_EQ(L"Path is invalid!|2|Source\\FileSystemUtilities",
              FailureOf([&] { FileSystemUtilities::EnumerateDirectoryTree(In(L"missing")); }));

    const std::wstring file = In(L"a.txt");
    EXPECT_TRUE(FileSystemUtilities::IsDirectory(m_dir));
    EXPECT_FALSE(FileSystemUtilities::IsDirectory(file));
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    FileSystemUtilities::RemoveAttribute(file, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY);
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_SYSTEM), ::GetFileAttributesW(file.c_str()) & ~FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(L"GetFileAttributesW failed|2|HostApi\\Source\\FileSystemOperation",
              FailureOf([&] { FileSystemUtilities::IsDirectory(In(L"missing")); }));

    _FileVersion version{ 9, 9, 9, 9 };
    FileSystemUtilities::GetFileVersion(L"", version);
    // The test program carries no version resource.
    EXPECT_EQ(L"GetFileVersionInfoSizeW failed|1812|HostApi\\Source\\FileSystemOperation",
              FailureOf([&] { FileSystemUtilities::GetFileVersion(BesideTheTests(L"FileSystemUtilitiesTests.exe"), version); }));
    EXPECT_EQ(L"9.9.9.9", Text(version));
    FileSystemUtilities::GetFileVersion(BesideTheTests(L"VersionedModule.dll"), version);
    EXPECT_EQ(L"7.65535.0.42", Text(version));
    EXPECT_EQ(BesideTheTests(L""), FileSystemUtilities::GetApplicationDirectoryWithBackSlash());

    // No handle is left by maps, INI headers or split logs, nor by their failures.
    IniFile ini(In(L"x.ini"));
    FileAppender appender(In(L"x.log"));
    appender.SetSplitSizeKb(1);
    const unsigned int before = OpenHandleCount();
    for (int i = 0; i < 300; ++i)
    {
        FileSystemUtilities::GetSubitemsOfDirectory(m_dir);
        FailureOf([&] { FileSystemUtilities::GetSubitemsOfDirectory(In(L"x.ini")); });
        ini.WriteHeader({ L"h" });
        appender.AppendLine(std::wstring(100, L'l'));
    }
    EXPECT_EQ(before, OpenHandleCount());
}

// CTest makes the tree: five levels of four directories, fourteen files in each directory, and
// L1a\L2a\loop, a link to the top.
TEST(FileSystemUtilities, TreeWalkEndsOnALinkBackToTheTop)
{
    const std::wstring root = Variable(L"KELVO_DIRECTORY_TREE");
    if (root.empty())
    {
        GTEST_SKIP() << "KELVO_DIRECTORY_TREE is set by CTest, which makes the tree";
    }
    const auto tree = FileSystemUtilities::EnumerateDirectoryTree(root);
    const std::size_t directories = 4 + 16 + 64 + 256 + 1024;
    EXPECT_EQ(1 + directories * 15 + 1, tree.size());
    EXPECT_EQ(static_cast<std::ptrdiff_t>(1 + directories + 1),
              std::count_if(tree.begin(), tree.end(), [](const auto& entry) { return entry.second; }));
    EXPECT_TRUE(tree.at(root + L"\\L1a\\L2a\\loop"));
    EXPECT_FALSE(tree.at(root + L"\\L1d\\L2d\\L3d\\L4d\\L5d\\f13"));
}

// The interface's slots hold its operations only: deleting through it must not compile.
static_assert(!std::is_destructible_v<IIniFile>);

TEST_F(FileSystemTest, IniValues)
{
    struct Recording : IniFile
    {
        void WriteStringValue(const std::wstring&, const std::wstring& key, const std::wstring& value) override
        {
            written = key + L"=" + value;
        }
        std::wstring written;
    } recording;
    recording.WriteIntValue(L"s", L"n", -5);
    EXPECT_EQ(L"n=-5", recording.written);

    IniFile ini;
    ini.Initialize(In(L"settings.ini"));
    // A header makes the file UTF-16, which Windows then keeps: values beyond Latin-1 survive.
    ini.WriteHeader({ L"; settings" });
    // Around the first buffer's 16 characters and far beyond; an empty value reads as the default.
    for (const std::wstring& value : { std::wstring(), std::wstring(15, L'f'), std::wstring(16, L's'), std::wstring(10000, L'\u65e5') })
    {
        ini.WriteStringValue(L"section", L"key", value);
        EXPECT_TRUE((value.empty() ? L"abc" : value) == ini.ReadStringValue(L"section", L"key", L"abc")) << value.size();
    }
    EXPECT_EQ(L"abc", ini.ReadStringValue(L"section", L"missing", L"abc"));
    ini.WriteIntValue(L"section", L"int", -5);
    EXPECT_EQ(-5, ini.ReadIntValue(L"section", L"int", 7));
    EXPECT_EQ(7, ini.ReadIntValue(L"section", L"missing", 7));
    EXPECT_EQ("Invalid parameter.", WhatOf<std::exception>([&] { ini.ReadStringValue(L"", L"k", L""); }));
    EXPECT_EQ("Invalid parameter.", WhatOf<std::exception>([&] { ini.ReadStringValue(L"s", L"", L""); }));
    IniFile missingFile(In(L"no\\such.ini"));
    IIniFile& missing = missingFile;
    EXPECT_EQ("WriteStringValue failed.: " + std::system_category().message(3),
              WhatOf<Win32Exception>([&] { missing.WriteStringValue(L"s", L"k", L"v"); }));
    // Text that would put sections or keys of its own making into the file is refused, and the
    // file stays as it was.
    const Bytes before = File::ReadAllBytes(In(L"settings.ini"));
    const wchar_t* const intruders[][3] = { { L"a\r\n[evil]\r\nx=1", L"k", L"v" }, { L"s]", L"k", L"v" },
                                            { L"s", L"k\n[evil]", L"v" },         { L"s", L"k=x", L"v" },
                                            { L"s", L" [evil]", L"v" },            { L"s", L";k", L"v" },
                                            { L"s", L"k", L"v\r\nx=1" },           { L"s", L"k", L"v\r" } };
    for (const auto& t : intruders)
    {
        const Win32Exception refused = Caught<Win32Exception>([&] { ini.WriteStringValue(t[0], t[1], t[2]); });
        EXPECT_EQ(87, refused.code().value()) << t[0] << L"|" << t[1] << L"|" << t[2];
    }
    EXPECT_EQ(before, File::ReadAllBytes(In(L"settings.ini")));

    // Headers keep every old line.
    EXPECT_EQ("Not initialized inifile.", WhatOf<std::exception>([] { IniFile().WriteHeader({ L"; x" }); }));
    IniFile(In(L"fresh.ini")).WriteHeader({ L"x" });
    EXPECT_EQ((Bytes{ 0xFF, 0xFE, 'x', 0, 0x0A, 0 }), File::ReadAllBytes(In(L"fresh.ini")));

    // An 8-bit file is text in the ANSI code page to the profile functions (0x80 is the euro sign
    // in Western Europe's). Two headers: the second reads the first's UTF-16 output as such, and
    // every value reads as it did before.
    const std::wstring path = In(L"old.ini");
    File::WriteAllBytes(path, Bytes{ '[', 's', ']', '\r', '\n', 'k', '=', 0x80, ' ', 0xE9, ' ', 0x9F, '\r', '\n' });
    IniFile old(path);
    const std::wstring stored = old.ReadStringValue(L"s", L"k", L"");
    EXPECT_EQ(5u, stored.size());
    old.WriteHeader({ L"; first \u65e5" });
    old.WriteHeader({ L"; second", L"" });
    EXPECT_EQ((Lines{ L"; second", L"", L"; first \u65e5", L"[s]", L"k=" + stored }), File::ReadAllUnicodeLines(path));
    // Windows writes CR LF into the UTF-16 file: a third header keeps them too.
    old.WriteStringValue(L"s", L"other", L"2");
    old.WriteHeader({ L"; third" });
    EXPECT_EQ(L"2", old.ReadStringValue(L"s", L"other", L""));
    EXPECT_EQ(stored, old.ReadStringValue(L"s", L"k", L""));
    EXPECT_EQ((Names{ L"settings.ini", L"fresh.ini", L"old.ini" }), NamesIn(Directory().GetFiles(m_dir)));
}

// Run by CTest under a file-size limit of KELVO_FILE_SIZE_LIMIT bytes.
TEST_F(FileSystemTest, HeaderWriteFailureLeavesTheOldFile)
{
    const std::wstring limit = Variable(L"KELVO_FILE_SIZE_LIMIT");
    if (limit.empty())
    {
        GTEST_SKIP() << "needs the file-size limit that CTest sets up";
    }
    const std::wstring path = In(L"settings.ini");
    File::WriteAllLines(path, { L"[s]", L"k=v" });
    const Bytes old = File::ReadAllBytes(path);
    const auto e = Caught<FileSystemException>(
        [&] { IniFile(path).WriteHeader({ std::wstring(std::stoul(limit), L'h') }); });
    // Wine reports the short write as a success: the code is whatever the last error was.
    EXPECT_NE(std::string::npos, std::string(e.what()).find("Could not write all bytes. FileName:"));
    EXPECT_EQ(m_dir, Path::GetDirectory(e.path1().wstring()));
    EXPECT_EQ(old, File::ReadAllBytes(path));
    EXPECT_EQ(Names{ L"settings.ini" }, NamesIn(Directory().GetFiles(m_dir)));
}

TEST_F(FileSystemTest, AppendedLogsSplit)
{
    const std::wstring log = In(L"logs\\scan.log"), older = In(L"logs\\scan_1.log");
    FileAppender appender(log);
    appender.AppendLine(L"a\u20acb\u00e9");
    EXPECT_EQ((Bytes{ 'a', '?', 'b', 0xE9, '\r', '\n' }), File::ReadAllBytes(log));

    // Split size 1: 1000 bytes and 20 characters (40 bytes) are more than 1024, 12 characters not.
    appender.SetSplitSizeKb(1);
    File::WriteAllBytes(log, Bytes(1000, 'x'));
    appender.AppendLine(std::wstring(12, L'a'));
    EXPECT_EQ(1014u, File::GetSize(log));
    appender.AppendLine(std::wstring(20, L'b'));
    EXPECT_EQ(1014u, File::GetSize(older));
    EXPECT_EQ(Lines{ std::wstring(20, L'b') }, File::ReadAllLines(log));

    // A line too long for any file starts a file of its own, and the file before it replaces the
    // older one; a missing log is not moved.
    File::Delete(log);
    const std::wstring line(600, L'l');
    FileAppender(appender).AppendLine(line);
    FileAppender(appender).AppendLine(line);
    EXPECT_EQ(Lines{ line }, File::ReadAllLines(log));
    EXPECT_EQ(Lines{ line }, File::ReadAllLines(older));
    EXPECT_EQ((Names{ L"scan.log", L"scan_1.log" }), NamesIn(Directory().GetFiles(In(L"logs"))));

    // A negative size, read unsigned, is never reached.
    appender.SetSplitSizeKb(-1);
    appender.AppendLine(std::wstring(5000, L'n'));
    EXPECT_EQ((Lines{ line, std::wstring(5000, L'n') }), File::ReadAllLines(log));
}

TEST(DrivesAndEnvironment, SpaceAndVariables)
{
    DriveInfo drives;
    Lines fixed;
    for (const std::wstring& drive : drives.GetLogicalDrives())
    {
        EXPECT_EQ(L":\\", drive.substr(1)) << drive;
        if (::GetDriveTypeW(drive.c_str()) == DRIVE_FIXED)
        {
            fixed.push_back(drive);
        }
    }
    EXPECT_FALSE(fixed.empty());
    EXPECT_EQ(fixed, drives.GetFixedDrives());
    const float total = drives.GetTotalDiskSpaceGB();
    EXPECT_EQ(total, drives.GetTotalDiskSpaceGB());
    EXPECT_GE(total, drives.GetTotalSystemDiskSpaceGB());
    // 64 MiB less free space: the object keeps its first figure, a new one sees the change.
    const float systemFree = drives.GetFreeSystemDiskSpaceGB();
    const std::wstring big = File::GetTempFileNameW();
    File::WriteAllBytes(big, Bytes(64 << 20, 1));
    EXPECT_EQ(systemFree, drives.GetFreeSystemDiskSpaceGB());
    EXPECT_NE(systemFree, DriveInfo().GetFreeSystemDiskSpaceGB());
    File::Delete(big);
    const std::wstring systemDrive = Variable(L"SystemDrive");
    ::SetEnvironmentVariableW(L"SystemDrive", nullptr);
    EXPECT_EQ("GetDiskFreeSpaceEx failed: " + std::system_category().message(3),
              WhatOf<Win32Exception>([] { DriveInfo().GetTotalSystemDiskSpaceGB(); }));
    ::SetEnvironmentVariableW(L"SystemDrive", systemDrive.c_str());

    // Around the first buffer's 16 characters, far beyond it, unset, and set to nothing.
    for (std::size_t length : { 15, 16, 30000 })
    {
        const std::wstring value(length, L'\u00e9');
        ::SetEnvironmentVariableW(L"KELVO_TEST", value.c_str());
        EXPECT_TRUE(value == Variable(L"KELVO_TEST")) << length;
    }
    ::SetEnvironmentVariableW(L"KELVO_TEST", nullptr);
    EXPECT_EQ(L"", Variable(L"KELVO_TEST"));
    ::SetEnvironmentVariableW(L"KELVO_TEST", L"");
    ::SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(L"", Variable(L"KELVO_TEST"));
}
