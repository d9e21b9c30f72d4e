// Listing a directory eagerly and lazily, and reading and writing a big file, each against the
// same work done with plain Win32 calls. Run by hand:
//   Tests/Support/make-big-directory.sh /tmp/big 100000
//   cmake/wine-run.sh $PWD/build/mingw-x64/wineprefix x64 build/mingw-x64/bin/FileSystemBench.exe 'Z:\tmp\big'
#include <KelvoUtilities.h>
#include <HostApi/UniqueHandle.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace Kelvo::Utilities;

namespace {

// Best of three runs, in milliseconds.
double Milliseconds(const std::function<void()>& work)
{
    double best = 1e300;
    for (int run = 0; run < 3; ++run)
    {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
        best = elapsed.count() < best ? elapsed.count() : best;
    }
    return best;
}

void Compare(const char* what, const std::function<void()>& ours, const std::function<void()>& plain)
{
    const double oursMs = Milliseconds(ours);
    const double plainMs = Milliseconds(plain);
    std::printf("%-40s %9.1f ms   plain Win32 %9.1f ms   ratio %.2f\n", what, oursMs, plainMs, oursMs / plainMs);
}

std::size_t PlainListing(const std::wstring& directory)
{
    std::size_t count = 0;
    WIN32_FIND_DATAW entry;
    const Kelvo::HostApi::UniqueFindHandle search(::FindFirstFileW((directory + L"\\*").c_str(), &entry));
    if (search)
    {
        do
        {
            count += (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ? 1 : 0;
        } while (::FindNextFileW(search.Get(), &entry));
    }
    return count;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
    {
        std::printf("usage: FileSystemBench <directory of many files>\n");
        return 2;
    }
    const std::wstring directory = argv[1];
    std::size_t sink = 0;
    Compare("Directory::GetFiles", [&] { sink += Directory().GetFiles(directory).size(); },
            [&] { sink += PlainListing(directory); });
    Compare("EnumeratorFolder walk of the files", [&] {
        auto files = EnumeratorFolder().GetFiles(directory);
        for (auto it = files.begin(), end = files.end(); it != end; ++it)
        {
            sink += (*it).size();
        }
    }, [&] { sink += PlainListing(directory); });

    const std::wstring big = File::GetTempFileNameW();
    const std::vector<unsigned char> bytes(256u << 20, 0x5A);
    const auto plainWrite = [&] {
        const Kelvo::HostApi::UniqueFileHandle file(
            ::CreateFileW(big.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    };
    // The bytes are taken by value: a caller that keeps its buffer pays for a copy of it, one
    // that hands it over with std::move does not.
    Compare("WriteAllBytes 256 MiB, copied in", [&] { File::WriteAllBytes(big, bytes); }, plainWrite);
    std::vector<std::vector<unsigned char>> handedOver(3, bytes);
    std::size_t next = 0;
    Compare("WriteAllBytes 256 MiB, moved in", [&] { File::WriteAllBytes(big, std::move(handedOver[next++])); },
            plainWrite);
    Compare("ReadAllBytes 256 MiB", [&] { sink += File::ReadAllBytes(big).size(); }, [&] {
        const Kelvo::HostApi::UniqueFileHandle file(::CreateFileW(big.c_str(), GENERIC_READ,
                                                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                                  OPEN_EXISTING, 0, nullptr));
        std::vector<unsigned char> read(256u << 20);
        DWORD done = 0;
        ::ReadFile(file.Get(), read.data(), static_cast<DWORD>(read.size()), &done, nullptr);
        sink += done;
    });
    File::Delete(big);
    return sink == 0 ? 1 : 0;
}
