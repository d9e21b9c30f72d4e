// Paths, files, the file probes of File and of Tools, and directory listings against real
// files: each test owns a fresh directory below the temporary directory and removes it.
#include <KelvoUtilities.h>

#include "FileSystemTest.h"
#include "OpenHandles.h"
#include "TestSupport.h"

#include <array>
#include <functional>
#include <numeric>
#include <vector>

using namespace Kelvo::Utilities;
using Bytes = std::vector<unsigned char>;
using Lines = std::vector<std::wstring>;
using TestSupport::Caught;

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

TEST_F(FileSystemTest, BytesAndTheirFailuresLeakNoHandles)
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

    // No handle is left, also by a failure after the file is open.
    const unsigned int before = OpenHandleCount();
    for (int i = 0; i < 100; ++i)
    {
        File::WriteAllBytes(path, bytes);
        File::ReadAllBytes(path);
        Caught<FileSystemException>([&] { File::ReadAllBytes(huge); });
    }
    EXPECT_EQ(before, OpenHandleCount());
}

TEST_F(FileSystemTest, EightBitLines)
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
}

TEST_F(FileSystemTest, UnicodeLines)
{
    const std::wstring path = In(L"unicode.txt");
    File::WriteAllUnicodeLines(path, Lines{ L"x", L"y" });
    EXPECT_EQ((Bytes{ 0xFF, 0xFE, 0x78, 0, 0x0A, 0, 0x79, 0, 0x0A, 0 }), File::ReadAllBytes(path));
    File::WriteAllUnicodeLines(path, Lines{});
    EXPECT_EQ((Bytes{ 0xFF, 0xFE }), File::ReadAllBytes(path));

    const Lines lines{ L"\u0416\u4e2d \U0001F600", L"", L"cr\r" };
    File::WriteAllUnicodeLines(path, lines);
    EXPECT_EQ(lines, File::ReadAllUnicodeLines(path));

    const std::vector<std::pair<Bytes, Lines>> reads = {
        { { 0xFE, 0xFF, 0, 0x78, 0, 0x0A }, { L"x" } },
        { { 0x78, 0, 0x0A, 0 }, { L"\u7800\u0a00" } },
        { { 0xFF, 0xFE, 0x61, 0, 0x00, 0xDC, 0x62, 0 }, { L"a\xdc00" L"b" } }, // lone surrogates stay, and
        { { 0xFF, 0xFE, 0x61, 0, 0x0A, 0, 0x62, 0, 0x00, 0xD8, 0x63, 0, 0x0A, 0, 0x64, 0 },  // nothing after them is lost
          { L"a", L"b\xd800" L"c", L"d" } },
        { { 0xFF, 0xFE, 0x61, 0, 0x62 }, { L"a" } },
    };
    for (const auto& read : reads)
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
    struct Probes
    {
        std::wstring (*draw)(const std::wstring&, const std::wstring&, unsigned int);
        bool (*writable)(const std::wstring&);
        bool (*creatable)(const std::wstring&);
    };
    // Every digit is drawn: with 0 to e taken, f is found.
    for (const wchar_t digit : std::wstring(L"0123456789abcde"))
    {
        File::WriteAllBytes(m_dir + L"\\" + digit + L".log", Bytes{});
    }
    const std::wstring taken = In(L".log");
    File::WriteAllBytes(taken, Bytes{ 1 });
    const Probes families[] = { { File::GenerateNewFileName, File::IsWritePermissonAvailable, File::IsCreatePermissonAvailable },
                                { Tools::GenerateFileName, Tools::IsWritePermissonAvailable, Tools::IsCreatePermissonAvailable } };
    for (const Probes& probes : families)
    {
        EXPECT_EQ("The provided path is empty", message([&] { probes.draw(L"", L".log", 8); }));
        EXPECT_EQ("The provided extention is empty", message([&] { probes.draw(m_dir, L"", 8); }));
        EXPECT_EQ("The provided filename is empty", message([&] { probes.writable(L""); }));
        EXPECT_EQ("The provided folder is empty", message([&] { probes.creatable(L""); }));
        EXPECT_EQ(m_dir + L"\\f.log", probes.draw(m_dir, L".log", 1));
        // Length 0 has a single candidate: once it exists the search gives up instead of spinning.
        EXPECT_EQ("No new file name found: every name drawn exists already",
                  message([&] { probes.draw(m_dir, L".log", 0); }));

        EXPECT_FALSE(probes.writable(In(L"missing")));
        EXPECT_FALSE(probes.writable(m_dir));
        EXPECT_TRUE(probes.writable(taken));
        const std::size_t before = Directory().GetFiles(m_dir).size();
        EXPECT_TRUE(probes.creatable(m_dir));
        EXPECT_EQ(before + 1, Directory().GetFiles(m_dir).size());
        EXPECT_FALSE(probes.creatable(In(L"missing")));
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

// CTest makes the directory (100,000 empty files and one sub-folder, which holds two chains of
// long folder names, see make-big-directory.sh) and removes it afterwards.
TEST(BigDirectory, HundredThousandFilesWithFlatMemoryAndPathsBeyondMaxPath)
{
    wchar_t folder[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"KELVO_BIG_DIRECTORY", folder, MAX_PATH) == 0)
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
    const std::wstring d(100, L'd'), e(100, L'e');
    std::wstring deep = L"\\\\?\\" + std::wstring(folder) + L"\\only folder";
    for (int level = 0; level < 6; ++level)
    {
        deep += L"\\" + e;
    }
    for (const std::wstring& path : { folder + (L"\\only folder\\" + d + L"\\" + d), deep })
    {
        EXPECT_EQ(Names{ L"file.txt" }, NamesIn(Directory().GetFiles(path))) << path.size();
        EXPECT_EQ(Names{ L"file.txt" }, NamesIn(enumerator.GetFiles(path)));
        EXPECT_EQ(Names{ L"sub" }, NamesIn(enumerator.GetSubfolders(path + L"\\")));
    }
}
