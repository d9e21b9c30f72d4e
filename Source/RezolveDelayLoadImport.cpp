// HostApi.dll is a delay-load import: Windows does not look for it when a program loads this
// library, and MinGW-w64's delay-load helper calls the hook below when an operation first needs
// one of its functions. Left to itself the helper would load "HostApi.dll" through the search
// order, the program's folder first, so any DLL of that name there would run in the caller. The
// hook instead takes the file in this library's own folder, and only once WinVerifyTrust accepts
// its signature and its signer is the one that signed this library.
//
// A refusal cannot be thrown from the hook: the helper and dlltool's thunks have no unwind
// information. The hook hands the thunk a function that throws instead; the thunk jumps to it
// with the caller's stack as for the real function, so the Exception leaves through ordinary
// frames to the operation that needed HostApi.dll and on to its caller, in both architectures.
#include "RezolveDelayLoadImport.h"

#include "Exception.h"
#include "Path.h"
#include "Internal/Failure.h"
#include "Internal/ModuleFileName.h"

#include <HostApi/UniqueHandle.h>

#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>
#include <delayimp.h>

#include <cstdint>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

namespace {

using HostApi::UniqueFileHandle;
using HostApi::UniqueModule;

[[noreturn]] void Refuse(const std::wstring& reason, std::uint64_t code, const ThrowSite& site)
{
    ThrowError(L"Not loading HostApi.dll: " + reason, code, site);
}

// The file, open for reading and shared for reading only: while the handle is open nobody can
// change, replace or delete it, so the file that is loaded is the file that was checked.
UniqueFileHandle OpenUnchangeable(const std::wstring& path)
{
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
    {
        const DWORD error = ::GetLastError();
        Refuse(path + L" cannot be opened", error, KELVO_SITE);
    }
    return file;
}

// A function of module, converted through void (*)(), the type that stands for any function.
template <typename Function>
Function Procedure(HMODULE module, const char* name)
{
    const FARPROC procedure = ::GetProcAddress(module, name);
    if (procedure == nullptr)
    {
        const DWORD error = ::GetLastError();
        Refuse(L"wintrust.dll has no " + std::wstring(name, name + std::strlen(name)), error, KELVO_SITE);
    }
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(procedure));
}

// Authenticode through wintrust.dll, taken from the system folder by its full path (its own
// imports found there too), so that a copy beside the program cannot do the judging.
class SignatureCheck
{
public:
    SignatureCheck()
    {
        std::wstring system(::GetSystemDirectoryW(nullptr, 0), L'\0');
        system.resize(::GetSystemDirectoryW(&system[0], static_cast<UINT>(system.size())));
        m_wintrust.Reset(::LoadLibraryExW(Path::Combine(system, L"wintrust.dll").c_str(), nullptr,
                                          LOAD_WITH_ALTERED_SEARCH_PATH));
        if (!m_wintrust)
        {
            const DWORD error = ::GetLastError();
            Refuse(L"wintrust.dll cannot be loaded", error, KELVO_SITE);
        }
        m_verify = Procedure<decltype(&::WinVerifyTrust)>(m_wintrust.Get(), "WinVerifyTrust");
        m_providerData = Procedure<decltype(&::WTHelperProvDataFromStateData)>(m_wintrust.Get(),
                                                                               "WTHelperProvDataFromStateData");
        m_signer = Procedure<decltype(&::WTHelperGetProvSignerFromChain)>(m_wintrust.Get(),
                                                                          "WTHelperGetProvSignerFromChain");
    }

    // The encoded certificate of the signer of the open file at path, once WinVerifyTrust has
    // accepted its signature (generic Authenticode action, no user interface, no revocation check,
    // nothing fetched over the network).
    std::vector<BYTE> SignerCertificate(const std::wstring& path, HANDLE file) const
    {
        WINTRUST_FILE_INFO fileInfo{};
        fileInfo.cbStruct = sizeof(fileInfo);
        fileInfo.pcwszFilePath = path.c_str();
        fileInfo.hFile = file;
        WINTRUST_DATA data{};
        data.cbStruct = sizeof(data);
        data.dwUIChoice = WTD_UI_NONE;
        data.fdwRevocationChecks = WTD_REVOKE_NONE;
        data.dwUnionChoice = WTD_CHOICE_FILE;
        data.pFile = &fileInfo;
        data.dwStateAction = WTD_STATEACTION_VERIFY;
        data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
        const VerificationState state(*this, data);
        if (state.Result() != ERROR_SUCCESS)
        {
            const wchar_t* const reason = state.Result() == TRUST_E_NOSIGNATURE ? L" is not signed"
                                                                                 : L" has no valid signature";
            Refuse(path + reason, static_cast<std::uint32_t>(state.Result()), KELVO_SITE);
        }
        const CRYPT_PROVIDER_DATA* const provider = m_providerData(data.hWVTStateData);
        const CRYPT_PROVIDER_SGNR* const signer =
            provider == nullptr ? nullptr : m_signer(const_cast<CRYPT_PROVIDER_DATA*>(provider), 0, FALSE, 0);
        if (signer == nullptr || signer->csCertChain == 0 || signer->pasCertChain[0].pCert == nullptr)
        {
            Refuse(path + L" names no signer certificate", static_cast<std::uint32_t>(TRUST_E_NO_SIGNER_CERT),
                   KELVO_SITE);
        }
        const CERT_CONTEXT& certificate = *signer->pasCertChain[0].pCert;
        return std::vector<BYTE>(certificate.pbCertEncoded, certificate.pbCertEncoded + certificate.cbCertEncoded);
    }

private:
    // WinVerifyTrust's verdict and the state it keeps for reading the signer, released on every path.
    class VerificationState
    {
    public:
        VerificationState(const SignatureCheck& check, WINTRUST_DATA& data) : m_check(check), m_data(data)
        {
            m_result = m_check.m_verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &Action(), &m_data);
        }

        VerificationState(const VerificationState&) = delete;
        VerificationState& operator=(const VerificationState&) = delete;

        ~VerificationState()
        {
            m_data.dwStateAction = WTD_STATEACTION_CLOSE;
            m_check.m_verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &Action(), &m_data);
        }

        LONG Result() const
        {
            return m_result;
        }

    private:
        static GUID& Action()
        {
            static GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
            return action;
        }

        const SignatureCheck& m_check;
        WINTRUST_DATA& m_data;
        LONG m_result;
    };

    UniqueModule m_wintrust;
    decltype(&::WinVerifyTrust) m_verify = nullptr;
    decltype(&::WTHelperProvDataFromStateData) m_providerData = nullptr;
    decltype(&::WTHelperGetProvSignerFromChain) m_signer = nullptr;
};

HMODULE LoadSignedHostApi()
{
    const std::wstring library = ModuleFileName(ThisModule());
    if (library.empty())
    {
        const DWORD error = ::GetLastError();
        Refuse(L"the file name of KelvoUtilities.dll is unknown", error, KELVO_SITE);
    }
    const std::wstring path = Path::Combine(Path::GetDirectory(library), L"HostApi.dll");
    const UniqueFileHandle file = OpenUnchangeable(path);
    const SignatureCheck check;
    const std::vector<BYTE> signer = check.SignerCertificate(path, file.Get());
    if (signer != check.SignerCertificate(library, OpenUnchangeable(library).Get()))
    {
        Refuse(path + L" is not signed by the signer of " + library,
               static_cast<std::uint32_t>(TRUST_E_SUBJECT_NOT_TRUSTED), KELVO_SITE);
    }
    // Its imports are looked for in its own folder and the system's first, never in the program's.
    const HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module == nullptr)
    {
        const DWORD error = ::GetLastError();
        Refuse(path + L" cannot be loaded", error, KELVO_SITE);
    }
    return module;
}

// HostApi.dll, checked and loaded for the rest of the process, or why it was refused.
struct CheckedHostApi
{
    HMODULE module = nullptr;
    std::exception_ptr refusal;
};

const CheckedHostApi& HostApiOnce()
{
    // The first thread that needs HostApi.dll checks and loads it; threads that come meanwhile
    // wait for its verdict. The verdict stands for the process: a refused file is not looked at
    // again, so every later operation that needs it fails the same way, at no further cost.
    static const CheckedHostApi checked = [] {
        CheckedHostApi result;
        try
        {
            result.module = LoadSignedHostApi();
        }
        catch (...)
        {
            result.refusal = std::current_exception();
        }
        return result;
    }();
    return checked;
}

// Runs in place of a HostApi function, as if called by the operation that needed it.
[[noreturn]] void ThrowRefusal()
{
    try
    {
        std::rethrow_exception(HostApiOnce().refusal);
    }
    catch (const Exception& refusal)
    {
        // Each caller gets a copy of its own to change.
        throw Exception(refusal);
    }
}

FARPROC AsProcedure(std::uintptr_t address)
{
    return reinterpret_cast<FARPROC>(address);
}

} // namespace

} // namespace Utilities
} // namespace Kelvo

using namespace Kelvo::Utilities;

extern "C" FARPROC WINAPI RezolveDelayLoadImport(unsigned notification, DelayLoadInfo* information) noexcept
{
    if (information == nullptr || information->szDll == nullptr || ::lstrcmpiA(information->szDll, "HostApi.dll") != 0)
    {
        return nullptr;
    }
    const CheckedHostApi& hostApi = HostApiOnce();
    switch (notification)
    {
    case dliStartProcessing:
        // A procedure returned here is jumped to and bound nowhere: after a refusal every call
        // comes back and throws again.
        return hostApi.module != nullptr ? nullptr
                                         : AsProcedure(reinterpret_cast<std::uintptr_t>(&ThrowRefusal));
    case dliNotePreLoadLibrary:
    {
        // Never null here (that would let the helper load by name): a refusal ended processing at
        // the start. Each thread that got this far hands the helper a reference of its own, which
        // the helper keeps or, when another thread stored the module first, frees; the module's
        // own reference keeps it loaded either way.
        HMODULE reference = nullptr;
        if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(hostApi.module),
                                  &reference))
        {
            reference = hostApi.module;
        }
        return AsProcedure(reinterpret_cast<std::uintptr_t>(reference));
    }
    default:
        return nullptr;
    }
}

// Installs the hook in MinGW-w64's delay-load helper (declared with C linkage in delayimp.h).
PfnDliHook __pfnDliNotifyHook2 = RezolveDelayLoadImport;
