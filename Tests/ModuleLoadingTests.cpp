// HostApi.dll loaded on first use, only from the library's folder and only when signed by the
// library's signer. CTest runs this program once per layout of the library's folder (a fresh
// process each: the check is made once per process), from a folder of its own that is also its
// current directory and holds an unrelated DLL named HostApi.dll; the library's folder is on PATH.
#include <Exception.h>
#include <OSInfo.h>
#include <RezolveDelayLoadImport.h>

#include <gtest/gtest.h>
#include <windows.h>
#include <delayimp.h>
#include <tlhelp32.h>

#include <cstdint>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>
#include <vector>

using Kelvo::Utilities::Exception;
using Kelvo::Utilities::OSInfo;

namespace {

struct Layout
{
    const char* name;
    // The end of the refusal's message after the path of HostApi.dll, and its code; none for Good.
    const wchar_t* reason;
    std::uint64_t code;
};

const Layout Layouts[] = {
    { "Good", nullptr, 0 },
    { "ChangedByte", L" has no valid signature", 0x80096010 },   // TRUST_E_BAD_DIGEST
    { "Unsigned", L" is not signed", 0x800B0100 },               // TRUST_E_NOSIGNATURE
    { "ForeignSigner", L" is not signed by the signer of ", 0x800B0004 }, // TRUST_E_SUBJECT_NOT_TRUSTED
    { "Missing", L" cannot be opened", ERROR_FILE_NOT_FOUND },
};

std::wstring FileName(HMODULE module)
{
    std::wstring name(32768, L'\0');
    name.resize(::GetModuleFileNameW(module, &name[0], static_cast<DWORD>(name.size())));
    return name;
}

// The paths of every module of this process that is called HostApi.dll.
std::vector<std::wstring> LoadedHostApis()
{
    std::vector<std::wstring> paths;
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Module32FirstW(snapshot, &entry); more; more = ::Module32NextW(snapshot, &entry))
    {
        if (::lstrcmpiW(entry.szModule, L"HostApi.dll") == 0)
        {
            paths.push_back(FileName(entry.hModule));
        }
    }
    ::CloseHandle(snapshot);
    return paths;
}

// The Windows folder as the library gives it through HostApi, or "message|code|source file" of
// the Exception it throws.
std::wstring FirstHostApiCall()
{
    try
    {
        return OSInfo().GetBaseDirectory();
    }
    catch (const Exception& e)
    {
        const std::wstring at = e.GetSourceLocation();
        return e.GetFullMessage() + L"|" + e.GetErrorCodeText() + L"|" + at.substr(0, at.find(L" Line:"));
    }
}

} // namespace

TEST(ModuleLoading, EightFirstCallsAtOnceLoadOnlyTheSignedHostApiOfTheLibraryFolder)
{
    const char* const name = std::getenv("KELVO_MODULE_LAYOUT");
    ASSERT_NE(nullptr, name) << "run by CTest in a layout of the module-loading fixture";
    const Layout* layout = nullptr;
    for (const Layout& candidate : Layouts)
    {
        layout = std::string(candidate.name) == name ? &candidate : layout;
    }
    ASSERT_NE(nullptr, layout) << name;

    const HMODULE library = ::GetModuleHandleW(L"KelvoUtilities.dll");
    const std::wstring libraryPath = FileName(library);
    const std::wstring hostApiPath = libraryPath.substr(0, libraryPath.rfind(L'\\')) + L"\\HostApi.dll";
    EXPECT_EQ(std::vector<std::wstring>(), LoadedHostApis());
    EXPECT_NE(nullptr, ::GetProcAddress(library, "RezolveDelayLoadImport"));

    std::wstring expected;
    if (layout->reason == nullptr)
    {
        expected.resize(MAX_PATH);
        expected.resize(::GetWindowsDirectoryW(&expected[0], MAX_PATH));
        expected += L"\\";
    }
    else
    {
        const std::wstring code = std::to_wstring(layout->code);
        expected = L"Not loading HostApi.dll: " + hostApiPath + layout->reason +
                   (layout->code == 0x800B0004 ? libraryPath : L"") + L" (ErrorCode: " + code + L")|" + code +
                   L"|Source\\RezolveDelayLoadImport";
    }
    std::promise<void> start;
    const std::shared_future<void> started = start.get_future().share();
    std::vector<std::wstring> outcomes(8);
    std::vector<std::thread> threads;
    for (std::wstring& outcome : outcomes)
    {
        threads.emplace_back([&outcome, started] {
            started.wait();
            outcome = FirstHostApiCall();
        });
    }
    start.set_value();
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    EXPECT_EQ(std::vector<std::wstring>(8, expected), outcomes);
    // A later call does the same: a refusal stands for the process, a loaded module stays.
    EXPECT_EQ(expected, FirstHostApiCall());
    EXPECT_EQ(layout->reason == nullptr ? std::vector<std::wstring>{ hostApiPath } : std::vector<std::wstring>(),
              LoadedHostApis());

    // Another DLL's imports are the helper's business.
    DelayLoadInfo other{};
    other.szDll = "Other.dll";
    EXPECT_EQ(nullptr, RezolveDelayLoadImport(dliStartProcessing, &other));
    EXPECT_EQ(nullptr, RezolveDelayLoadImport(dliNotePreLoadLibrary, &other));
}
