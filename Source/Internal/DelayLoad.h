// The delay-load hooks of both DLLs. MinGW-w64's delay-load helper calls the notification hook
// the first time an operation needs a function of a delay-loaded DLL. Left to itself the helper
// would load the DLL through the search order, the program's folder first, and would raise a
// structured exception, which no C++ handler sees, when the DLL or the function is missing. The
// hooks decide where each DLL comes from and turn every failure into the library's Exception,
// thrown from the operation that needed the function, in both architectures.
//
// An Exception cannot be thrown from a hook: the helper and dlltool's thunks have no unwind
// information. The hook hands the thunk a function that throws instead; the thunk jumps to it
// with the caller's stack as for the real function, so the Exception leaves through ordinary
// frames to the operation that needed the DLL and on to its caller.
#pragma once

#include <windows.h>
#include <delayimp.h> // which has no include guard: include this header instead

#include <exception>

namespace Kelvo {
namespace DelayLoad {

// A delay-loaded DLL as loaded for the rest of the process (never freed), or the Exception that
// says why it was not. The verdict stands for the process: every operation that needs the DLL
// fails the same way, at no further cost.
struct Verdict
{
    HMODULE module = nullptr;
    std::exception_ptr refusal;
};

// Whether name is one of the system DLLs that the library delay-loads (crypt32, version, winhttp,
// wtsapi32: the ones that the build's kelvo_delay_load_system gives either DLL).
bool IsSystemDll(const char* name);

// The verdict on the system DLL name, loaded from the system folder on first use; a refusal is
// Exception "Not loading <name> from the system folder" with LoadLibraryExW's error.
const Verdict& SystemDll(const char* name);

// The notification hook's answer for the DLL information names, judged by verdict. A function
// that the loaded DLL does not export fails as Exception "<DLL's path> does not export
// <function>" with code 127 (ERROR_PROC_NOT_FOUND), each time it is called.
FARPROC Resolve(unsigned notification, DelayLoadInfo* information, const Verdict& verdict);

// The notification hook of a DLL all of whose delay-loaded DLLs come from the system folder.
FARPROC WINAPI SystemNotification(unsigned notification, DelayLoadInfo* information) noexcept;

} // namespace DelayLoad
} // namespace Kelvo
