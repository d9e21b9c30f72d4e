// Paths, files, the file probes of File and of Tools, directory listings, maps and tree walks,
// file versions, INI files, appended logs, drives and the environment, against real files:
// each test that touches files owns a fresh directory below the temporary directory and
// removes it.
#include <KelvoUtilities.h>

#include "FileSystemTest.h"
#include "OpenHandles.h"
#include "TestSupport.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <future>
#include <map>
#include <numeric>
#include <thread>
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

TEST(Path, TextualOperations)
{
    for (const wchar_t* absolute : { L"\\\\s", L"C:\\", L"1:\\", L"\\\\server\\share" })
    {
        EXPECT_TRUE(Path::IsAbsolutePath(absolute)) << absolute;
    }
    for (const wchar_t* relative : { L"", L"\\\\", L"C:", L"C:x", L"\\dir", L"C:/x", L"//server/share" })
    {
        EXPECT_FALSE(Path::IsAbsolutePath(relative)) << relative;
    }
    const std::vector<std::array<const wchar_t*, 3>> combined = {
        { L"C:\\a", L"b", L"C:\\a\\b" }, { L"C:\\a\\", L"\\b", L"C:\\a\\b" }, { L"", L"\\b", L"b" },
        { L"C:\\a", L"", L"C:\\a\\" },   { L"", L"", L"" },                    { L"C:\\a\\", L"\\\\b", L"C:\\a\\\\b" },
        { L"C:\\a", L"D:\\b", L"C:\\a\\D:\\b" },
    };
    for (const auto& c : combined)
    {
        EXPECT_EQ(c[2], Path::Combine(c[0], c[1]));
    }
    // path: directory, file name, without extension, extension
    const std::vector<std::array<const wchar_t*, 5>> split = {
        { L"C:\\a\\b.tar.gz", L"C:\\a", L"b.tar.gz", L"C:\\a\\b.tar", L".gz" },
        { L"C:\\a\\", L"C:\\a", L"", L"C:\\a\\", L"" },
        { L"C:b.txt", L"", L"C:b.txt", L"C:b", L".txt" },
        { L"C:\\a.d\\b", L"C:\\a.d", L"b", L"C:\\a.d\\b", L"" },
        { L".profile", L"", L".profile", L"", L".profile" },
        { L"b.", L"", L"b.", L"b", L"." },
        { L"C:/dir.x/file", L"", L"C:/dir.x/file", L"C:/dir", L".x/file" },
        { L"", L"", L"", L"", L"" },
    };
    for (const auto& s : split)
    {
        EXPECT_EQ(s[1], Path::GetDirectory(s[0])) << s[0];
        EXPECT_EQ(s[2], Path::GetFileName(s[0])) << s[0];
        EXPECT_EQ(s[3], Path::RemoveExtension(s[0])) << s[0];
        EXPECT_EQ(s[4], Path::GetExtension(s[0])) << s[0];
    }
    EXPECT_EQ(L"C:\\logs\\scan_old.log", Path::InsertBeforeExtension(L"C:\\logs\\scan.log", L'_', L"old"));
    EXPECT_EQ(L"C:\\logs\\scan.-5", Path::InsertBeforeExtension(L"C:\\logs\\scan", L'.', -5));
}

TEST_F(FileSystemTest, BytesAndTheirFailuresAndNoHandleLeft)
{
    const std::wstring path = In(L"\u0416\u4e2d.bin");
    Bytes bytes(70000);
    std::iota(bytes.begin(), bytes.end(), 0);
    File::WriteAllBytes(path, bytes);
    EXPECT_EQ(bytes, File::ReadAllBytes(path));
    EXPECT_EQ(70000u, File::GetSize(path));
    File::WriteAllBytes(path, Bytes{});
    EXPECT_EQ(Bytes{}, File::ReadAllBytes(path));

    const FileSystemException missing = Caught<FileSystemException>([&] { File::ReadAllBytes(In(L"missing")); });
    EXPECT_EQ(std::error_code(2, std::system_category()), missing.code());
    EXPECT_EQ(In(L"missing"), missing.path1().wstring());
    EXPECT_NE(std::string(missing.what()).find("CreateFile failed."), std::string::npos);
    EXPECT_EQ(3, Caught<FileSystemException>([&] { File::WriteAllBytes(In(L"no\\such.bin"), bytes); }).code().value());

    // 4 GiB and more cannot come back in one piece: refused with "file too large", said in the
    // message too, since Wine has no description of the code.
    const std::wstring huge = In(L"huge.bin");
    {
        Kelvo::HostApi::UniqueFileHandle file(::CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        LARGE_INTEGER size;
        size.QuadPart = 0x100000000LL;
        ASSERT_TRUE(::SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.Get()));
    }
    EXPECT_EQ(0x100000000ull, File::GetSize(huge));
    const FileSystemException tooLarge = Caught<FileSystemException>([&] { File::ReadAllBytes(huge); });
    EXPECT_EQ(223, tooLarge.code().value());
    EXPECT_NE(std::string::npos, std::string(tooLarge.what()).find("Could not read, all bytes. The file is too large.: "));

    // No handle is left by reads and writes (in INI headers), maps or split logs, nor by their
    // failures, also those with the file open.
    IniFile ini(In(L"x.ini"));
    FileAppender appender(In(L"x.log"));
    appender.SetSplitSizeKb(1);
    const auto cycle = [&] {
        Caught<FileSystemException>([&] { File::ReadAllBytes(huge); });
        FileSystemUtilities::GetSubitemsOfDirectory(m_dir);
        FailureOf([&] { FileSystemUtilities::GetSubitemsOfDirectory(In(L"x.ini")); });
        ini.WriteHeader({ L"h" });
        appender.AppendLine(std::wstring(100, L'l'));
    };
    cycle(); // the first call through HostApi loads it, which opens handles of its own
    const unsigned int before = OpenHandleCount();
    for (int i = 0; i < 100; ++i)
    {
        cycle();
    }
    EXPECT_EQ(before, OpenHandleCount());
    // Under Wine a search that ran to its end holds no handle, only its buffer: maps leave no
    // memory behind either.
    const std::int64_t memory = PrivateBytes();
    for (int i = 0; i < 500; ++i)
    {
        FileSystemUtilities::GetSubitemsOfDirectory(m_dir);
    }
    EXPECT_LT(PrivateBytes() - memory, 1 << 20);
}

// 8-bit lines, then UTF-16 lines.
TEST_F(FileSystemTest, LineFiles)
{
    const std::wstring path = In(L"lines.txt");
    File::WriteAllLines(path, Lines{ L"caf\u00e9", L"", L"euro \u20ac end", L"in\nside" });
    const std::string image = "caf\xe9\r\n\r\neuro ? end\r\nin\r\nside\r\n";
    EXPECT_EQ(Bytes(image.begin(), image.end()), File::ReadAllBytes(path));
    EXPECT_EQ((Lines{ L"caf\u00e9", L"", L"euro ? end", L"in", L"side" }), File::ReadAllLines(path));

    const std::vector<std::pair<std::string, Lines>> reads = {
        { "a\r\nb", { L"a", L"b" } },
        { "a\n\nb\n", { L"a", L"", L"b" } },
        { "a\rb\n", { L"a\rb" } },
        { "a\nb\x1a" "c\n", { L"a", L"b" } },
        { "", {} },
    };
    for (const auto& read : reads)
    {
        File::WriteAllBytes(path, Bytes(read.first.begin(), read.first.end()));
        EXPECT_EQ(read.second, File::ReadAllLines(path)) << read.first;
    }
    EXPECT_EQ(Lines{}, File::ReadAllLines(In(L"missing.txt")));
    File::WriteAllLines(In(L"no\\such.txt"), Lines{ L"x" });

    File::WriteAllUnicodeLines(path, Lines{ L"x", L"y" });
    EXPECT_EQ((Bytes{ 0xFF, 0xFE, 0x78, 0, 0x0A, 0, 0x79, 0, 0x0A, 0 }), File::ReadAllBytes(path));
    File::WriteAllUnicodeLines(path, Lines{});
    EXPECT_EQ((Bytes{ 0xFF, 0xFE }), File::ReadAllBytes(path));

    const Lines lines{ L"\u0416\u4e2d \U0001F600", L"", L"cr\r" };
    File::WriteAllUnicodeLines(path, lines);
    EXPECT_EQ(lines, File::ReadAllUnicodeLines(path));

    const std::vector<std::pair<Bytes, Lines>> unicodeReads = {
        { { 0xFE, 0xFF, 0, 0x78, 0, 0x0A }, { L"x" } },
        { { 0x78, 0, 0x0A, 0 }, { L"\u7800\u0a00" } },
        { { 0xFF, 0xFE, 0x61, 0, 0x00, 0xDC, 0x62, 0 }, { L"a\xdc00" L"b" } }, // lone surrogates stay, and
        { { 0xFF, 0xFE, 0x61, 0, 0x0A, 0, 0x62, 0, 0x00, 0xD8, 0x63, 0, 0x0A, 0, 0x64, 0 },  // nothing after them is lost
          { L"a", L"b\xd800" L"c", L"d" } },
        { { 0xFF, 0xFE, 0x61, 0, 0x62 }, { L"a" } },
    };
    for (const auto& read : unicodeReads)
    {
        File::WriteAllBytes(path, read.first);
        EXPECT_EQ(read.second, File::ReadAllUnicodeLines(path));
    }
    EXPECT_EQ(Lines{}, File::ReadAllUnicodeLines(In(L"missing.txt")));
}

TEST_F(FileSystemTest, DeleteMoveExistsAndTemporaryFiles)
{
    const std::wstring a = In(L"a.txt"), b = In(L"b.txt");
    File::WriteAllBytes(a, Bytes{ 1 });
    File::WriteAllBytes(b, Bytes{ 2 });
    const FileSystemException exists = Caught<FileSystemException>([&] { File::Move(a, b); });
    EXPECT_EQ(183, exists.code().value());
    EXPECT_EQ(a, exists.path1().wstring());
    EXPECT_EQ(b, exists.path2().wstring());
    EXPECT_NE(std::string(exists.what()).find("CopyFile failed."), std::string::npos);
    EXPECT_EQ(183, Caught<FileSystemException>([&] { File::Move(a, b, FileOperationNone); }).code().value());
    File::Move(a, b, FileOperationReplaceExisting);
    EXPECT_FALSE(File::Exists(a));
    EXPECT_EQ(Bytes{ 1 }, File::ReadAllBytes(b));
    File::Move(b, a);
    EXPECT_TRUE(File::Exists(a));

    File::Delete(a);
    File::Delete(a);
    EXPECT_FALSE(File::Exists(a));
    EXPECT_FALSE(File::Exists(m_dir));
    EXPECT_EQ(0u, File::GetSize(a));
    const FileSystemException noDirectory = Caught<FileSystemException>([&] { File::Delete(In(L"no\\such.txt")); });
    EXPECT_EQ(3, noDirectory.code().value());
    EXPECT_EQ(In(L"no\\such.txt"), noDirectory.path1().wstring());

    const std::wstring temp = File::GetTempFileNameW();
    EXPECT_TRUE(File::Exists(temp));
    EXPECT_EQ(0u, File::GetSize(temp));
    // Windows names it .TMP, Wine .tmp.
    EXPECT_EQ(0, ::_wcsicmp(L".TMP", Path::GetExtension(temp).c_str()));
    File::Delete(temp);
}

// File's probes go by attributes, Tools' by whether a file opens for reading; both check their
// arguments alike.
TEST_F(FileSystemTest, NewFileNamesAndPermissionProbes)
{
    const auto message = [](const std::function<void()>& call) {
        return std::string(Caught<std::runtime_error>(call).what());
    };
    // Every digit is drawn: with 0 to e taken, f is found.
    for (const wchar_t digit : std::wstring(L"0123456789abcde"))
    {
        File::WriteAllBytes(m_dir + L"\\" + digit + L".log", Bytes{});
    }
    const std::wstring taken = In(L".log");
    File::WriteAllBytes(taken, Bytes{ 1 });
    for (const bool tools : { false, true })
    {
        const auto draw = tools ? &Tools::GenerateFileName : &File::GenerateNewFileName;
        const auto writable = tools ? &Tools::IsWritePermissonAvailable : &File::IsWritePermissonAvailable;
        const auto creatable = tools ? &Tools::IsCreatePermissonAvailable : &File::IsCreatePermissonAvailable;
        EXPECT_EQ("The provided path is empty", message([&] { draw(L"", L".log", 8); }));
        EXPECT_EQ("The provided extention is empty", message([&] { draw(m_dir, L"", 8); }));
        EXPECT_EQ("The provided filename is empty", message([&] { writable(L""); }));
        EXPECT_EQ("The provided folder is empty", message([&] { creatable(L""); }));
        EXPECT_EQ(m_dir + L"\\f.log", draw(m_dir, L".log", 1));
        // Length 0 has a single candidate: once it exists the search gives up instead of spinning.
        EXPECT_EQ("No new file name found: every name drawn exists already", message([&] { draw(m_dir, L".log", 0); }));

        EXPECT_FALSE(writable(In(L"missing")));
        EXPECT_FALSE(writable(m_dir));
        EXPECT_TRUE(writable(taken));
        const std::size_t before = Directory().GetFiles(m_dir).size();
        EXPECT_TRUE(creatable(m_dir));
        EXPECT_EQ(before + 1, Directory().GetFiles(m_dir).size());
        EXPECT_FALSE(creatable(In(L"missing")));
    }
    // A file open without sharing may not be written; to Tools, which cannot read it, it is free.
    const Kelvo::HostApi::UniqueFileHandle locked(::CreateFileW(taken.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(File::IsWritePermissonAvailable(taken));
    EXPECT_FALSE(Tools::IsWritePermissonAvailable(taken));
    EXPECT_EQ(taken, Tools::GenerateFileName(m_dir, L".log", 0));
    EXPECT_FALSE(Tools::IsFileAvailable(m_dir));
}

TEST_F(FileSystemTest, ListingsByAttributeAndPattern)
{
    std::filesystem::create_directory(In(L"sub\u00e9"));
    File::WriteAllBytes(In(L"plain.txt"), Bytes{});
    File::WriteAllBytes(In(L"hidden.dat"), Bytes{});
    ::SetFileAttributesW(In(L"hidden.dat").c_str(), FILE_ATTRIBUTE_HIDDEN);

    Directory directory;
    EXPECT_EQ((Names{ L".", L"..", L"sub\u00e9" }), NamesIn(directory.GetFolders(m_dir)));
    // Only archive, normal or not-content-indexed entries count as files. Windows drops the
    // archive attribute of the hidden file here; Wine reports every regular file as archive.
    const bool hiddenIsArchive = (::GetFileAttributesW(In(L"hidden.dat").c_str()) & FILE_ATTRIBUTE_ARCHIVE) != 0;
    EXPECT_EQ((hiddenIsArchive ? Names{ L"plain.txt", L"hidden.dat" } : Names{ L"plain.txt" }), NamesIn(directory.GetFiles(m_dir)));
    EXPECT_EQ(Lines{ L"plain.txt" }, directory.GetFiles(m_dir, L"*.txt"));
    EXPECT_EQ(Lines{}, directory.GetFiles(m_dir, L"*.none"));
    const Win32Exception missing = Caught<Win32Exception>([&] { directory.GetFiles(In(L"missing")); });
    EXPECT_EQ(3, missing.code().value());
    EXPECT_EQ("FindFirstFile failed.: " + std::system_category().message(3), missing.what());

    EnumeratorFolder enumerator;
    EXPECT_EQ(Names{ L"sub\u00e9" }, NamesIn(enumerator.GetSubfolders(m_dir)));
    EXPECT_EQ((Names{ L"plain.txt", L"hidden.dat" }), NamesIn(enumerator.GetFiles(m_dir + L"\\sub\u00e9\\..")));
    EXPECT_EQ(Names{}, NamesIn(enumerator.GetFiles(In(L"missing"))));
    const Exception empty = Caught<Exception>([&] { enumerator.GetFiles(L""); });
    EXPECT_EQ(L"Path should not be empty (ErrorCode: 87)", empty.GetFullMessage());
    EXPECT_EQ(0u, empty.GetSourceLocation().rfind(L"Source\\EnumeratorFolder Line:", 0));
    // Longer than any Windows path: no folder can be there, and it says so.
    const Exception tooLong = Caught<Exception>([&] { enumerator.GetFiles(L"C:\\" + std::wstring(32760, L'x')); });
    EXPECT_EQ(L"Path is too long (ErrorCode: 206)", tooLong.GetFullMessage());
}

TEST_F(FileSystemTest, EnumeratorIsOneSharedSinglePass)
{
    for (const wchar_t* name : { L"1", L"2", L"3" })
    {
        File::WriteAllBytes(In(name), Bytes{});
    }
    auto files = EnumeratorFolder().GetFiles(m_dir);
    auto first = files.begin();
    auto second = files.begin();
    const std::wstring atStart = *second;
    ++first;
    EXPECT_NE(atStart, *second);
    ++second;
    ++first;
    EXPECT_FALSE(files.begin() != files.end());

    struct Foreign : IIterator
    {
        bool Different(IIterator*) override { return true; }
        void Increment() override {}
        std::wstring GetData() override { return L""; }
    };
    auto again = EnumeratorFolder().GetFiles(m_dir);
    const EnumerableIterator foreign(std::make_shared<Foreign>());
    EXPECT_STREQ("invalid iterator conversion",
                 Caught<std::runtime_error>([&] { (void)(again.begin() != foreign); }).what());
}

// CTest makes the directory (100,000 empty files and one sub-folder, which holds folders of long
// names and a tree with a link back to its top, see make-big-directory.sh) and removes it
// afterwards.
TEST(BigDirectory, HundredThousandFilesLongPathsAndATreeWithALoop)
{
    const std::wstring folder = Variable(L"KELVO_BIG_DIRECTORY");
    if (folder.empty())
    {
        GTEST_SKIP() << "KELVO_BIG_DIRECTORY is set by CTest, which makes the directory";
    }
    EnumeratorFolder enumerator;
    ASSERT_EQ(Names{ L"only folder" }, NamesIn(enumerator.GetSubfolders(folder)));

    // Measured once the search runs: Wine keeps the directory's names for the search handle.
    auto files = enumerator.GetFiles(folder);
    const std::int64_t before = PrivateBytes();
    std::int64_t peak = before;
    std::size_t count = 0;
    for (const std::wstring& name : files)
    {
        count += name.empty() ? 0 : 1;
        if (count % 10000 == 0)
        {
            peak = std::max(peak, PrivateBytes());
        }
    }
    EXPECT_EQ(100000u, count);
    EXPECT_LT(peak - before, 1 << 20);
    // The eager listing holds every name, and the meter sees it.
    const Lines names = Directory().GetFiles(folder);
    EXPECT_EQ(100000u, names.size());
    EXPECT_GT(PrivateBytes() - before, 1 << 20);

    // A plain path beyond MAX_PATH, and one after \\?\, are listed like others.
    const std::wstring in = folder + L"\\only folder\\", d(250, L'd'), e(250, L'e');
    for (const std::wstring& path : { in + d, L"\\\\?\\" + in + e + L"\\" + e + L"\\" + e })
    {
        EXPECT_EQ(Names{ L"file.txt" }, NamesIn(Directory().GetFiles(path))) << path.size();
        EXPECT_EQ(Names{ L"file.txt" }, NamesIn(enumerator.GetFiles(path)));
        EXPECT_EQ(Names{ L"sub" }, NamesIn(enumerator.GetSubfolders(path + L"\\")));
    }

    // The tree: five levels of four directories, fourteen files in each directory, and
    // L1a\L2a\loop, a link to the top, where the walk ends.
    const std::wstring root = in + L"tree";
    const auto tree = FileSystemUtilities::EnumerateDirectoryTree(root);
    const std::size_t directories = 4 + 16 + 64 + 256 + 1024;
    EXPECT_EQ(1 + directories * 15 + 1, tree.size());
    EXPECT_EQ(static_cast<std::ptrdiff_t>(1 + directories + 1),
              std::count_if(tree.begin(), tree.end(), [](const auto& entry) { return entry.second; }));
    EXPECT_TRUE(tree.at(root + L"\\L1a\\L2a\\loop"));
    EXPECT_FALSE(tree.at(root + L"\\L1d\\L2d\\L3d\\L4d\\L5d\\f13"));
}

TEST_F(FileSystemTest, VersionsTimesDirectoryMapsAndAttributes)
{
    const std::wstring notVersion = L"The input parameter is not a version string: ";
    const std::wstring notValid = L"The input parameter is not a valid version string: ";
    // text: the version it gives, or the message it throws (leaving the version untouched)
    const std::vector<std::pair<std::wstring, std::wstring>> texts = {
        { L"1.2", L"1.2.0.0" }, { L"1.2.3.4", L"1.2.3.4" }, { L"1.2.3", L"1.2.3.0" }, { L"0.0", L"0.0.0.0" },
        { L"1.2beta", L"1.2.0.0" }, { L"7", notValid + L"7" }, { L"1.2.3.4.5", notValid + L"1.2.3.4.5" },
        { L"1..2", notVersion + L"1..2" }, { L"1.x", notVersion + L"1.x" }, { L"", notVersion },
        { L"1.00", notVersion + L"1.00" }, { L"x.1.2.3.4.5", notVersion + L"x.1.2.3.4.5" },
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
              FailureOf([&] { FileSystemUtilities::GetFileVersion(BesideTheTests(L"FileSystemTests.exe"), version); }));
    EXPECT_EQ(L"9.9.9.9", Text(version));
    FileSystemUtilities::GetFileVersion(BesideTheTests(L"VersionedModule.dll"), version);
    EXPECT_EQ(L"7.65535.0.42", Text(version));
    // The library's own version: the one its headers give, with the release's build number.
    FileSystemUtilities::GetFileVersion(BesideTheTests(L"KelvoUtilities.dll"), version);
    EXPECT_EQ(std::to_wstring(KELVO_UTILITIES_VERSION_MAJOR) + L"." + std::to_wstring(KELVO_UTILITIES_VERSION_MINOR) + L"." +
                  std::to_wstring(KELVO_UTILITIES_VERSION_PATCH) + L"." + std::to_wstring(KELVO_BUILD_NUMBER),
              Text(version));
    EXPECT_EQ(BesideTheTests(L""), FileSystemUtilities::GetApplicationDirectoryWithBackSlash());
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
    EXPECT_EQ("WriteStringValue failed.: " + std::system_category().message(3),
              WhatOf<Win32Exception>([&] { IniFile(In(L"no\\such.ini")).WriteStringValue(L"s", L"k", L"v"); }));
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

    // A big-endian mark is UTF-16 too (not ANSI text): stored again little-endian.
    Bytes bigEndian{ 0xFE, 0xFF };
    for (const wchar_t c : std::wstring(L"[s]\nk=\u65e5\n"))
    {
        bigEndian.insert(bigEndian.end(), { static_cast<unsigned char>(c >> 8), static_cast<unsigned char>(c) });
    }
    File::WriteAllBytes(path, bigEndian);
    old.WriteHeader({ L"; h" });
    EXPECT_EQ((Lines{ L"; h", L"[s]", L"k=\u65e5" }), File::ReadAllUnicodeLines(path));

    // The profile functions take fewer than MAX_PATH characters: 259 work, 260 are refused before
    // they see the path, and nothing is written anywhere (not into the current directory, where
    // Wine put a file of a garbled name). A header, written without them, takes the long path.
    const std::wstring here = In(L"here"), folder = In(std::wstring(200, L'd'));
    ::CreateDirectoryW(here.c_str(), nullptr);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring longest = folder + L"\\" + std::wstring(MAX_PATH - 2 - folder.size(), L'n');
    IniFile(longest).WriteIntValue(L"s", L"k", 259);
    EXPECT_EQ(259, IniFile(longest).ReadIntValue(L"s", L"k", 0));
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(here);
    std::shared_ptr<void> back(nullptr, [&](void*) { std::filesystem::current_path(previous); });
    IniFile tooLong(longest + L"n");
    const std::vector<std::pair<std::string, std::function<void()>>> refusals = {
        { "WriteStringValue", [&] { tooLong.WriteStringValue(L"s", L"k", L"v"); } },
        { "WriteStringValue", [&] { tooLong.WriteIntValue(L"s", L"k", 1); } },
        { "ReadStringValue", [&] { tooLong.ReadStringValue(L"s", L"k", L"d"); } },
        { "ReadIntValue", [&] { tooLong.ReadIntValue(L"s", L"k", 0); } },
    };
    for (const auto& refusal : refusals)
    {
        EXPECT_EQ(refusal.first + " failed.: " + std::system_category().message(206), WhatOf<Win32Exception>(refusal.second));
    }
    tooLong.WriteHeader({ L"; long" });
    back.reset();
    EXPECT_EQ((Names{ L".", L".." }), NamesIn(Directory().GetFolders(here)));
    EXPECT_EQ(Names{}, NamesIn(Directory().GetFiles(here)));
    EXPECT_EQ(Lines{ L"; long" }, File::ReadAllUnicodeLines(longest + L"n"));
    EXPECT_EQ(2u, Directory().GetFiles(folder).size());
}

// Every program of the session finds a file's writer lock under one name, made from the file's
// full path in upper case. Held elsewhere, a write gives up after ten seconds and changes nothing.
TEST_F(FileSystemTest, IniWriterGivesUpOnALockHeldElsewhere)
{
    const std::wstring path = In(L"locked.ini");
    IniFile(path).WriteStringValue(L"s", L"k", L"old");
    std::wstring upper = path; // the folder's name is not ASCII
    ::CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
    std::uint64_t hash = 14695981039346656037ull; // 64-bit FNV-1a over the UTF-16 code units
    for (const wchar_t unit : upper)
    {
        hash = (hash ^ static_cast<std::uint16_t>(unit)) * 1099511628211ull;
    }
    const std::wstring name = L"Local\\Kelvo.IniFile." + std::to_wstring(hash);
    const Kelvo::HostApi::UniqueKernelHandle held(::CreateMutexW(nullptr, TRUE, name.c_str()));
    ASSERT_TRUE(held);
    std::future<void> write = std::async(std::launch::async, [&] { IniFile(path).WriteStringValue(L"s", L"k", L"new"); });
    EXPECT_EQ("WriteStringValue failed.: " + std::system_category().message(WAIT_TIMEOUT),
              WhatOf<Win32Exception>([&] { write.get(); }));
    ::ReleaseMutex(held.Get());
    EXPECT_EQ(L"old", IniFile(path).ReadStringValue(L"s", L"k", L""));
}

// Headers on top of a file while another thread and another process write values to it, and on
// a second file of the folder from a third thread: every value whose write returned is there
// afterwards, every header too, and no header fails or leaves a file behind.
TEST_F(FileSystemTest, IniHeadersAndWritersAtOnce)
{
    const std::wstring path = In(L"shared.ini"), other = In(L"other.ini");
    const int keys = 200;
    std::atomic<int> writersLeft{ 2 };
    unsigned long childFailures = 1;
    std::thread child([&] {
        childFailures = Tools::RunWait(BesideTheTests(L"IniWriter.exe"), L"\"" + path + L"\" " + std::to_wstring(keys));
        --writersLeft;
    });
    // The thread names the file otherwise: one file, one lock, however it is spelt.
    const std::wstring spelledOtherwise = In(L"any\\..\\shared.ini");
    std::thread writer([&] {
        for (int i = 0; i < keys; ++i)
        {
            IniFile(spelledOtherwise).WriteIntValue(L"thread", L"k" + std::to_wstring(i), i);
        }
        --writersLeft;
    });
    int otherHeaders = 0;
    std::thread neighbour([&] {
        for (; otherHeaders < 80; ++otherHeaders)
        {
            IniFile(other).WriteHeader({ L"; other" });
        }
    });
    Lines headers;
    std::string headerFailure; // reported once the threads are joined
    while (headerFailure.empty() && (writersLeft > 0 || headers.size() < 30))
    {
        headers.insert(headers.begin(), L"; " + std::to_wstring(headers.size()));
        try
        {
            IniFile(path).WriteHeader({ headers.front() });
        }
        catch (const std::exception& e)
        {
            headerFailure = e.what();
        }
    }
    child.join();
    writer.join();
    neighbour.join();
    EXPECT_EQ("", headerFailure);
    EXPECT_EQ(0ul, childFailures);
    EXPECT_EQ(80, otherHeaders);
    IniFile ini(path);
    for (int i = 0; i < keys; ++i)
    {
        EXPECT_EQ(i, ini.ReadIntValue(L"thread", L"k" + std::to_wstring(i), -1)) << i;
        EXPECT_EQ(i, ini.ReadIntValue(L"child", L"k" + std::to_wstring(i), -1)) << i;
    }
    // The profile functions end the lines they rewrite with CR LF.
    Lines lines = File::ReadAllUnicodeLines(path);
    lines.resize(std::min(lines.size(), headers.size()));
    for (std::wstring& line : lines)
    {
        line.erase(line.find_last_not_of(L'\r') + 1);
    }
    EXPECT_EQ(headers, lines);
    EXPECT_EQ(Lines(80, L"; other"), File::ReadAllUnicodeLines(other));
    EXPECT_EQ((Names{ L"shared.ini", L"other.ini" }), NamesIn(Directory().GetFiles(m_dir)));
}

// On S:, a drive of 2 MiB that CTest mounts (a tmpfs) and maps: writes that stop short as it fills
// up part-way. Wine reports such a write as a success with fewer bytes.
TEST(SmallDrive, WritesThatStopShort)
{
    const std::wstring drive = Variable(L"KELVO_SMALL_DRIVE");
    if (drive.empty() || ::GetFileAttributesW(drive.c_str()) == INVALID_FILE_ATTRIBUTES)
    {
        GTEST_SKIP() << "no small drive: CTest mounts a tmpfs of 2 MiB for it, which needs root";
    }
    const std::wstring dir = drive + L"full", log = dir + L"\\scan.log", older = dir + L"\\scan_1.log",
                       ini = dir + L"\\s.ini", filler = dir + L"\\filler", spare = dir + L"\\spare";
    ASSERT_TRUE(::CreateDirectoryW(dir.c_str(), nullptr));
    const std::shared_ptr<void> removal(nullptr, [&](void*) { std::filesystem::remove_all(dir); });
    File::WriteAllLines(older, { L"old" });
    File::WriteAllLines(ini, { L"[s]", L"k=v" });
    File::WriteAllBytes(spare, Bytes{ 1 }); // a page to free later
    FileAppender appender(log);
    appender.SetSplitSizeKb(1024);
    appender.AppendLine(std::wstring(4000, L'a')); // the log's first page keeps 94 bytes free
    const Bytes logBefore = File::ReadAllBytes(log), olderBefore = File::ReadAllBytes(older),
                iniBefore = File::ReadAllBytes(ini);

    // More than the drive holds: written up to the end of the space, and said so.
    const FileSystemException full = Caught<FileSystemException>([&] { File::WriteAllBytes(filler, Bytes(3 << 20, 'f')); });
    EXPECT_EQ(112, full.code().value());
    EXPECT_NE(std::string::npos, std::string(full.what()).find("Could not write all bytes. FileName:"));
    EXPECT_EQ(filler, full.path1().wstring());

    // The line fills the page and stops short: cut back, it leaves no fragment.
    appender.AppendLine(L"A 380 " + std::wstring(374, L'x'));
    EXPECT_EQ(logBefore, File::ReadAllBytes(log));
    // One page free, two needed: the header's rewrite stops short too.
    File::Delete(spare);
    const FileSystemException header = Caught<FileSystemException>([&] { IniFile(ini).WriteHeader({ std::wstring(3000, L'h') }); });
    EXPECT_EQ(112, header.code().value());
    EXPECT_EQ(dir, Path::GetDirectory(header.path1().wstring()));
    EXPECT_EQ(iniBefore, File::ReadAllBytes(ini));
    EXPECT_EQ((Names{ L"scan.log", L"scan_1.log", L"s.ini", L"filler" }), NamesIn(Directory().GetFiles(dir)));

    // With room again, the next line follows the earlier ones; the older generation is as it was.
    File::Delete(filler);
    appender.AppendLine(L"B");
    Bytes logAfter = logBefore;
    logAfter.insert(logAfter.end(), { 'B', '\r', '\n' });
    EXPECT_EQ(logAfter, File::ReadAllBytes(log));
    EXPECT_EQ(olderBefore, File::ReadAllBytes(older));
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
