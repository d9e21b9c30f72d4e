// Authenticode signatures of files, judged by WinVerifyTrust of the system's wintrust.dll.
#pragma once

#include <HostApi/UniqueHandle.h>

#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <string>
#include <vector>

namespace Kelvo {

class SignatureCheck
{
public:
    // Loads crypt32.dll and then wintrust.dll from the system folder, so that copies elsewhere
    // cannot do the judging; throws Exception when either cannot be loaded or lacks a function.
    SignatureCheck();

    // The encoded certificate of the signer of the file at path, open at file (shared for reading
    // only, so that the file judged is the file used), once WinVerifyTrust has accepted its
    // signature: generic Authenticode action, no user interface, no revocation check, nothing
    // fetched over the network. Otherwise throws Exception "<path> is not signed" or "<path> has
    // no valid signature" with WinVerifyTrust's result, or "<path> names no signer certificate".
    std::vector<BYTE> SignerCertificate(const std::wstring& path, HANDLE file) const;

private:
    class VerificationState;

    HostApi::UniqueModule m_crypt32;
    HostApi::UniqueModule m_wintrust;
    decltype(&::WinVerifyTrust) m_verify = nullptr;
    decltype(&::WTHelperProvDataFromStateData) m_providerData = nullptr;
    decltype(&::WTHelperGetProvSignerFromChain) m_signer = nullptr;
};

} // namespace Kelvo
