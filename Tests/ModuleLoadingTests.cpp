// HostApi.dll loaded on first use, only from the library's folder and only when signed by the
// library's signer. CTest runs this program once per layout of the library's folder (a fresh
// process each: the check is made once per process), from a folder of its own that is also its
// current directory and holds an unrelated DLL named HostApi.dll; the library's folder is on PATH.
#include <Exception.h>
#include <OSInfo.h>
#include <Path.h>
#include <RezolveDelayLoadImport.h>

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <delayimp.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <future>
#include <string>
#include <vector>

using Kelvo::Utilities::OSInfo;
using Kelvo::Utilities::Path;

namespace {

struct Layout
{
    std::string name;
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

} // namespace

TEST(ModuleLoading, EightFirstCallsAtOnceLoadOnlyTheSignedHostApiOfTheLibraryFolder)
{
    const char* const name = std::getenv("KELVO_MODULE_LAYOUT");
    const Layout* const layout = std::find_if(std::begin(Layouts), std::end(Layouts),
                                              [&](const Layout& candidate) { return name && candidate.name == name; });
    ASSERT_NE(std::end(Layouts), layout) << "run by CTest in a layout of the module-loading fixture";

    const std::wstring libraryPath = FileName(::GetModuleHandleW(L"KelvoUtilities.dll"));
    const std::wstring folder = libraryPath.substr(0, libraryPath.rfind(L'\\')), hostApiPath = folder + L"\\HostApi.dll";
    EXPECT_EQ(nullptr, ::GetModuleHandleW(L"HostApi.dll"));
    const std::wstring code = std::to_wstring(layout->code);
    const std::wstring expected = layout->reason == nullptr
                                      ? std::wstring(_wgetenv(L"windir")) + L"\\"
                                      : L"Not loading HostApi.dll: " + hostApiPath + layout->reason +
                                            (layout->code == 0x800B0004 ? libraryPath : L"") + L"|" + code +
                                            L"|Source\\RezolveDelayLoadImport";
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
    EXPECT_EQ(layout->reason == nullptr ? hostApiPath : L"", loaded ? FileName(loaded) : L"");

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
}
