// The delay-load notification hook of KelvoUtilities.dll (Internal/DelayLoad.h says how the
// helper and its hooks work). HostApi.dll comes only from this library's own folder, and is
// loaded only once the file, held open so that nobody can change it meanwhile, passes three
// checks: WinVerifyTrust accepts its signature, its signer is the one that signed this library,
// and it carries this library's build stamp (a HostApi.dll of another build may lack functions
// that this one calls). The system DLLs that the library delay-loads come from the system folder
// only. Any other DLL is left to the helper.
#include "RezolveDelayLoadImport.h"

#include "Exception.h"
#include "Path.h"
#include "Internal/BuildStamp.h"
#include "Internal/DelayLoad.h"
#include "Internal/Failure.h"
#include "Internal/ModuleFileName.h"
#include "Internal/SignatureCheck.h"
#include "Internal/SignerPin.h"

#include <HostApi/UniqueHandle.h>

#include <windows.h>

#include <string>

namespace Kelvo {
namespace Utilities {

namespace {

using HostApi::UniqueFileHandle;

// The file, open for reading and shared for reading only: while the handle is open nobody can
// change, replace or delete it, so the file that is loaded is the file that was checked.
UniqueFileHandle OpenUnchangeable(const std::wstring& path)
{
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
    {
        const DWORD error = ::GetLastError();
        ThrowError(path + L" cannot be opened", error, KELVO_SITE);
    }
    return file;
}

HMODULE LoadCheckedHostApi()
{
    const std::wstring library = ModuleFileName(ThisModule());
    if (library.empty())
    {
        const DWORD error = ::GetLastError();
        ThrowError(L"the file name of KelvoUtilities.dll is unknown", error, KELVO_SITE);
    }
    const std::wstring path = Path::Combine(Path::GetDirectory(library), L"HostApi.dll");
    const UniqueFileHandle file = OpenUnchangeable(path);
    RequireSignerOf(library, OpenUnchangeable(library).Get(), SignatureCheck(), path, file.Get());
    // ERROR_REVISION_MISMATCH: the two modules' revisions do not go together.
    if (BuildStampOf(file.Get()) != OwnBuildStamp())
    {
        ThrowError(path + L" is from another build", ERROR_REVISION_MISMATCH, KELVO_SITE);
    }
    // Its imports are looked for in its own folder and the system's first, never in the program's.
    const HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module == nullptr)
    {
        const DWORD error = ::GetLastError();
        ThrowError(path + L" cannot be loaded", error, KELVO_SITE);
    }
    return module;
}

// HostApi.dll, checked and loaded for the rest of the process, or why it was refused: Exception
// "Not loading HostApi.dll: " and the reason, from here.
const DelayLoad::Verdict& HostApiOnce()
{
    // The first thread that needs HostApi.dll checks and loads it; threads that come meanwhile
    // wait for its verdict.
    static const DelayLoad::Verdict checked = [] {
        DelayLoad::Verdict result;
        try
        {
            result.module = Relocated(KELVO_SITE, LoadCheckedHostApi, [](const Exception& refusal) {
                return L"Not loading HostApi.dll: " + refusal.GetErrorMessage();
            });
        }
        catch (...)
        {
            result.refusal = std::current_exception();
        }
        return result;
    }();
    return checked;
}

} // namespace

} // namespace Utilities
} // namespace Kelvo

using namespace Kelvo;

extern "C" FARPROC WINAPI RezolveDelayLoadImport(unsigned notification, DelayLoadInfo* information) noexcept
{
    if (information == nullptr || information->szDll == nullptr)
    {
        return nullptr;
    }
    if (::lstrcmpiA(information->szDll, "HostApi.dll") == 0)
    {
        return DelayLoad::Resolve(notification, information, Utilities::HostApiOnce());
    }
    return DelayLoad::IsSystemDll(information->szDll) ? DelayLoad::SystemNotification(notification, information)
                                                      : nullptr;
}

// Installs the hook in MinGW-w64's delay-load helper (declared with C linkage in delayimp.h).
PfnDliHook __pfnDliNotifyHook2 = RezolveDelayLoadImport;
