#include "Internal/DelayLoad.h"

#include "Internal/Failure.h"
#include "Internal/ModuleFileName.h"
#include "Internal/SystemLibrary.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>

namespace Kelvo {
namespace DelayLoad {

namespace {

std::wstring Widened(const char* text)
{
    return std::wstring(text, text + std::strlen(text));
}

// The failure that the function handed to the thunk throws next on this thread. A pointer to a
// verdict kept for the process: trivially destroyed, as a thread_local in a DLL should be.
thread_local const std::exception_ptr* t_failure = nullptr;

// Runs in place of a delay-loaded function, as if called by the operation that needed it.
[[noreturn]] void ThrowFailure()
{
    const std::exception_ptr* const failure = t_failure;
    t_failure = nullptr;
    if (failure == nullptr)
    {
        // Bound by the helper after a failure that the notification hook did not see coming.
        ThrowError(L"A function of a delay-loaded DLL is missing", ERROR_PROC_NOT_FOUND, KELVO_SITE);
    }
    try
    {
        std::rethrow_exception(*failure);
    }
    catch (const Utilities::Exception& caught)
    {
        // Each caller gets a copy of its own to change.
        throw Utilities::Exception(caught);
    }
}

// A slim reader/writer lock held exclusively for the guard's life: Windows' own, so that the DLLs
// need no threading runtime of GCC's.
class ExclusiveLock
{
public:
    explicit ExclusiveLock(SRWLOCK& lock) : m_lock(lock)
    {
        ::AcquireSRWLockExclusive(&m_lock);
    }

    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

    ~ExclusiveLock()
    {
        ::ReleaseSRWLockExclusive(&m_lock);
    }

private:
    SRWLOCK& m_lock;
};

FARPROC Throwing(const std::exception_ptr& failure)
{
    t_failure = &failure;
    return reinterpret_cast<FARPROC>(reinterpret_cast<std::uintptr_t>(&ThrowFailure));
}

std::exception_ptr Refusal(const std::wstring& message, std::uint64_t code, const ThrowSite& site)
{
    try
    {
        ThrowError(message, code, site);
    }
    catch (...)
    {
        return std::current_exception();
    }
}

// The failure of each function that a loaded DLL lacks, made once and kept for the process.
const std::exception_ptr& MissingFunction(HMODULE module, const DelayLoadInfo& information)
{
    const std::string function = information.dlp.fImportByName
                                     ? std::string(information.dlp.szProcName)
                                     : "ordinal " + std::to_string(information.dlp.dwOrdinal);
    static SRWLOCK lock = SRWLOCK_INIT;
    static std::map<std::pair<HMODULE, std::string>, std::exception_ptr> missing;
    const ExclusiveLock held(lock);
    std::exception_ptr& failure = missing[{ module, function }];
    if (!failure)
    {
        failure = Refusal(Utilities::ModuleFileName(module) + L" does not export " + Widened(function.c_str()),
                          ERROR_PROC_NOT_FOUND, KELVO_SITE);
    }
    return failure;
}

bool Exports(HMODULE module, const DelayLoadInfo& information)
{
    const char* const name = information.dlp.fImportByName
                                 ? information.dlp.szProcName
                                 : reinterpret_cast<const char*>(static_cast<std::uintptr_t>(information.dlp.dwOrdinal));
    return ::GetProcAddress(module, name) != nullptr;
}

// What the helper gets when a function is missing after all (the notification hook looks for
// every function first, so this is the last line): a function that throws, which the helper
// binds, and for a DLL that could not be loaded nothing, since it takes only a module there.
FARPROC WINAPI Failure(unsigned notification, DelayLoadInfo* information) noexcept
{
    if (notification != dliFailGetProc || information == nullptr || information->hmodCur == nullptr)
    {
        return nullptr;
    }
    // Bound for good: later calls come straight to the thrower, which then knows no more than
    // that a function is missing.
    return Throwing(MissingFunction(information->hmodCur, *information));
}

} // namespace

bool IsSystemDll(const char* name)
{
    for (const char* system : { "crypt32.dll", "version.dll", "winhttp.dll", "wtsapi32.dll" })
    {
        if (::lstrcmpiA(name, system) == 0)
        {
            return true;
        }
    }
    return false;
}

const Verdict& SystemDll(const char* name)
{
    std::string key(name);
    for (char& c : key)
    {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    static SRWLOCK lock = SRWLOCK_INIT;
    static std::map<std::string, Verdict> verdicts;
    const ExclusiveLock held(lock);
    const auto found = verdicts.find(key);
    if (found != verdicts.end())
    {
        return found->second;
    }
    Verdict& verdict = verdicts[key];
    verdict.module = LoadSystemLibrary(Widened(name).c_str()).Release();
    if (verdict.module == nullptr)
    {
        const DWORD error = ::GetLastError();
        verdict.refusal = Refusal(L"Not loading " + Widened(name) + L" from the system folder", error, KELVO_SITE);
    }
    return verdict;
}

FARPROC Resolve(unsigned notification, DelayLoadInfo* information, const Verdict& verdict)
{
    switch (notification)
    {
    case dliStartProcessing:
        // A function returned here is jumped to and bound nowhere: each later call comes back
        // and fails again.
        if (verdict.module == nullptr)
        {
            return Throwing(verdict.refusal);
        }
        return Exports(verdict.module, *information) ? nullptr
                                                     : Throwing(MissingFunction(verdict.module, *information));
    case dliNotePreLoadLibrary:
    {
        // Never null here (that would let the helper load by name): a refusal ended processing at
        // the start. Each thread that got this far hands the helper a reference of its own, which
        // the helper keeps or, when another thread stored the module first, frees; the verdict's
        // own reference keeps the module loaded either way.
        HMODULE reference = nullptr;
        if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(verdict.module),
                                  &reference))
        {
            reference = verdict.module;
        }
        return reinterpret_cast<FARPROC>(reinterpret_cast<std::uintptr_t>(reference));
    }
    default:
        return nullptr;
    }
}

FARPROC WINAPI SystemNotification(unsigned notification, DelayLoadInfo* information) noexcept
{
    if (information == nullptr || information->szDll == nullptr)
    {
        return nullptr;
    }
    return Resolve(notification, information, SystemDll(information->szDll));
}

} // namespace DelayLoad
} // namespace Kelvo

// Installs the failure hook in the helper of the DLL that this file is compiled into (declared
// with C linkage in delayimp.h); each DLL installs its own notification hook.
PfnDliHook __pfnDliFailureHook2 = Kelvo::DelayLoad::Failure;
