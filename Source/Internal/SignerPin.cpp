#include "Internal/SignerPin.h"

#include "Internal/Failure.h"

#include <cstdint>

namespace Kelvo {

void RequireSignerOf(const std::wstring& library, HANDLE libraryFile, const SignatureCheck& check,
                     const std::wstring& path, HANDLE file)
{
    // Any certificate that the Windows trust store accepts would do for WinVerifyTrust; only the
    // very certificate that signed the library ties the file to its maker.
    if (check.SignerCertificate(path, file) != check.SignerCertificate(library, libraryFile))
    {
        ThrowError(path + L" is not signed by the signer of " + library,
                   static_cast<std::uint32_t>(TRUST_E_SUBJECT_NOT_TRUSTED), KELVO_SITE);
    }
}

} // namespace Kelvo
