// HostApi.dll loaded on first use, only from the library's folder, only when signed by the
// library's signer and only when of the library's build; the system DLLs that the library loads
// only from the system folder. CTest runs this program once per layout of the library's folder
// (a fresh process each: the check is made once per process), from a folder of its own and with
// a current directory of its own, both holding unrelated DLLs under the names of HostApi.dll and
// of those system DLLs, which Wine is told to prefer; the library's folder is on PATH. The program
// imports none of those DLLs itself.
#include <Base64.h>
#include <Exception.h>
#include <OSInfo.h>
#include <Path.h>
#include <RezolveDelayLoadImport.h>
#include <UserUtilities.h>
#include <WinHTTPClient.h>

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <delayimp.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <future>
#include <string>
#include <vector>

using Kelvo::Utilities::OSInfo;
using Kelvo::Utilities::Path;

namespace {

struct Layout
{
    std::string name;
    // The end of the failure's message after the path of HostApi.dll, its code, and the file that
    // throws it; none for Good. The hook's refusals start with "Not loading HostApi.dll: ".
    const wchar_t* reason;
    std::uint64_t code;
    const wchar_t* thrower = L"RezolveDelayLoadImport";
};

const Layout Layouts[] = {
    { "Good", nullptr, 0 },
    { "ChangedByte", L" has no valid signature", 0x80096010 },   // TRUST_E_BAD_DIGEST
    { "Unsigned", L" is not signed", 0x800B0100 },               // TRUST_E_NOSIGNATURE
    { "ForeignSigner", L" is not signed by the signer of ", 0x800B0004 }, // TRUST_E_SUBJECT_NOT_TRUSTED
    { "Missing", L" cannot be opened", ERROR_FILE_NOT_FOUND },
    { "OtherBuild", L" is from another build", ERROR_REVISION_MISMATCH },
    // Loaded, and the first function that the library needs is not there.
    { "NoFunctions", L" does not export _ZN5Kelvo7HostApi15OperatingSystem28OperatingSystemRootDirectoryB5cxx11Ev",
      ERROR_PROC_NOT_FOUND, L"Internal\\DelayLoad" },
};

std::wstring FolderOf(const std::wstring& file)
{
    return file.substr(0, file.rfind(L'\\'));
}

std::wstring FileName(HMODULE module)
{
    std::wstring name(32768, L'\0');
    name.resize(::GetModuleFileNameW(module, &name[0], static_cast<DWORD>(name.size())));
    return name;
}

} // namespace

TEST(ModuleLoading, EightFirstCallsAtOnceLoadOnlyTheSignedHostApiOfTheLibraryFolder)
{
    const char* const name = std::getenv("KELVO_MODULE_LAYOUT");
    const Layout* const layout = std::find_if(std::begin(Layouts), std::end(Layouts),
                                              [&](const Layout& candidate) { return name && candidate.name == name; });
    ASSERT_NE(std::end(Layouts), layout) << "run by CTest in a layout of the module-loading fixture";

    const std::wstring libraryPath = FileName(::GetModuleHandleW(L"KelvoUtilities.dll"));
    const std::wstring folder = FolderOf(libraryPath), hostApiPath = folder + L"\\HostApi.dll";
    EXPECT_EQ(nullptr, ::GetModuleHandleW(L"HostApi.dll"));
    const bool loads = layout->reason == nullptr || layout->code == ERROR_PROC_NOT_FOUND;
    const std::wstring expected =
        layout->reason == nullptr
            ? std::wstring(_wgetenv(L"windir")) + L"\\"
            : (loads ? L"" : L"Not loading HostApi.dll: ") + hostApiPath + layout->reason +
                  (layout->code == 0x800B0004 ? libraryPath : L"") + L"|" + std::to_wstring(layout->code) +
                  L"|Source\\" + layout->thrower;
    // The Windows folder as the library gives it through HostApi, or the failure it throws.
    const auto outcome = [&](std::future<std::wstring> call) {
        return layout->reason == nullptr ? call.get() : TestSupport::FailureOf([&] { call.get(); });
    };
    std::promise<void> start;
    const std::shared_future<void> started = start.get_future().share();
    std::vector<std::future<std::wstring>> calls;
    for (int i = 0; i < 8; ++i)
    {
        calls.push_back(std::async(std::launch::async, [started] {
            started.wait();
            return OSInfo().GetBaseDirectory();
        }));
    }
    start.set_value();
    for (std::future<std::wstring>& call : calls)
    {
        EXPECT_EQ(expected, outcome(std::move(call)));
    }
    // A later call does the same: a refusal stands for the process, a loaded module stays.
    EXPECT_EQ(expected, outcome(std::async(std::launch::deferred, [] { return OSInfo().GetBaseDirectory(); })));
    const HMODULE loaded = ::GetModuleHandleW(L"HostApi.dll");
    EXPECT_EQ(loads ? hostApiPath : L"", loaded ? FileName(loaded) : L"");

    // The operations that need the system DLLs work, and none of the planted copies was loaded:
    // each came from the system folder (kernel32's, which Windows takes from nowhere else).
    EXPECT_FALSE(OSInfo().GetVersion().empty());                                  // version
    EXPECT_EQ(L"a2U=", Kelvo::Utilities::Base64::Encode(L"ke"));                  // crypt32
    Kelvo::Utilities::WinHTTPClient(false);                                       // winhttp
    if (layout->reason == nullptr)
    {
        EXPECT_FALSE(Kelvo::Utilities::UserUtilities().GetUserSidFromCurrentUser().empty()); // wtsapi32
    }
    const std::wstring system = FolderOf(FileName(::GetModuleHandleW(L"kernel32.dll")));
    // wintrust.dll is let go after the signature check; wtsapi32.dll is HostApi.dll's.
    for (const wchar_t* dll : { L"version.dll", L"winhttp.dll", L"crypt32.dll", L"wtsapi32.dll", L"wintrust.dll" })
    {
        const HMODULE module = ::GetModuleHandleW(dll);
        const bool used = std::wcscmp(dll, L"wintrust.dll") != 0 &&
                          (std::wcscmp(dll, L"wtsapi32.dll") != 0 || layout->reason == nullptr);
        EXPECT_TRUE(module != nullptr || !used) << dll;
        EXPECT_EQ(system, module ? FolderOf(FileName(module)) : system) << dll;
    }

    // Away from the program and its current directory: relative paths are completed in the
    // library's folder.
    EXPECT_EQ(folder, Path::GetModuleDirectory());
    EXPECT_EQ(folder + L"\\x\\y", Path::MakeFullPath(L"\\x\\y"));
    EXPECT_EQ(folder + L"\\", Path::MakeFullPath(L""));
    EXPECT_EQ(L"D:\\x", Path::MakeFullPath(L"D:\\x"));

    // Another DLL's imports are the helper's business.
    DelayLoadInfo other{};
    other.szDll = "Other.dll";
    EXPECT_EQ(nullptr, RezolveDelayLoadImport(dliStartProcessing, &other));
    EXPECT_EQ(nullptr, RezolveDelayLoadImport(dliNotePreLoadLibrary, &other));
    // A function that a system DLL lacks, or a system DLL that cannot be loaded (CTest has Wine
    // refuse wtsapi32.dll where HostApi.dll is missing, as nothing needs it there): the helper
    // gets a function that throws, each time.
    const auto failure = [](const char* dll, const char* function) {
        DelayLoadInfo information{};
        information.szDll = dll;
        information.dlp.fImportByName = TRUE;
        information.dlp.szProcName = function;
        const FARPROC thrower = RezolveDelayLoadImport(dliStartProcessing, &information);
        return thrower == nullptr ? L"not refused" : TestSupport::FailureOf([&] {
            reinterpret_cast<void (*)()>(reinterpret_cast<void*>(thrower))();
        });
    };
    for (int i = 0; i < 2; ++i)
    {
        EXPECT_EQ(system + L"\\version.dll does not export NoSuchFunction|127|Source\\Internal\\DelayLoad",
                  failure("VERSION.dll", "NoSuchFunction"));
        if (layout->name == "Missing")
        {
            EXPECT_EQ(L"Not loading wtsapi32.dll from the system folder|126|Source\\Internal\\DelayLoad",
                      failure("wtsapi32.dll", "WTSQueryUserToken"));
        }
    }
}
