#include "Internal/SignatureCheck.h"

#include "Internal/Failure.h"
#include "Internal/SystemLibrary.h"

#include <softpub.h>

#include <cstdint>
#include <cstring>

namespace Kelvo {

namespace {

HostApi::UniqueModule SystemModule(const wchar_t* name)
{
    HostApi::UniqueModule module = LoadSystemLibrary(name);
    if (!module)
    {
        const DWORD error = ::GetLastError();
        ThrowError(std::wstring(name) + L" cannot be loaded", error, KELVO_SITE);
    }
    return module;
}

// A function of module, converted through void (*)(), the type that stands for any function.
template <typename Function>
Function Procedure(HMODULE module, const char* name)
{
    const FARPROC procedure = ::GetProcAddress(module, name);
    if (procedure == nullptr)
    {
        const DWORD error = ::GetLastError();
        ThrowError(L"wintrust.dll has no " + std::wstring(name, name + std::strlen(name)), error, KELVO_SITE);
    }
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(procedure));
}

} // namespace

// WinVerifyTrust's verdict and the state it keeps for reading the signer, released on every path.
class SignatureCheck::VerificationState
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

// crypt32.dll first: wintrust.dll's import of it then binds to the system's copy.
SignatureCheck::SignatureCheck() : m_crypt32(SystemModule(L"crypt32.dll")), m_wintrust(SystemModule(L"wintrust.dll"))
{
    m_verify = Procedure<decltype(&::WinVerifyTrust)>(m_wintrust.Get(), "WinVerifyTrust");
    m_providerData =
        Procedure<decltype(&::WTHelperProvDataFromStateData)>(m_wintrust.Get(), "WTHelperProvDataFromStateData");
    m_signer =
        Procedure<decltype(&::WTHelperGetProvSignerFromChain)>(m_wintrust.Get(), "WTHelperGetProvSignerFromChain");
}

std::vector<BYTE> SignatureCheck::SignerCertificate(const std::wstring& path, HANDLE file) const
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
        const wchar_t* const reason =
            state.Result() == TRUST_E_NOSIGNATURE ? L" is not signed" : L" has no valid signature";
        ThrowError(path + reason, static_cast<std::uint32_t>(state.Result()), KELVO_SITE);
    }
    const CRYPT_PROVIDER_DATA* const provider = m_providerData(data.hWVTStateData);
    const CRYPT_PROVIDER_SGNR* const signer =
        provider == nullptr ? nullptr : m_signer(const_cast<CRYPT_PROVIDER_DATA*>(provider), 0, FALSE, 0);
    if (signer == nullptr || signer->csCertChain == 0 || signer->pasCertChain[0].pCert == nullptr)
    {
        ThrowError(path + L" names no signer certificate", static_cast<std::uint32_t>(TRUST_E_NO_SIGNER_CERT),
                   KELVO_SITE);
    }
    const CERT_CONTEXT& certificate = *signer->pasCertChain[0].pCert;
    return std::vector<BYTE>(certificate.pbCertEncoded, certificate.pbCertEncoded + certificate.cbCertEncoded);
}

} // namespace Kelvo
