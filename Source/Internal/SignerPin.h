// Files that must come from the signer of this library.
#pragma once

#include "Internal/SignatureCheck.h"

#include <string>

namespace Kelvo {

// Returns when the file at path, open at file, carries a valid signature by the signer of the
// file at library, open at libraryFile (this library's own, whose signature is checked too);
// otherwise throws what SignatureCheck throws, or Exception "<path> is not signed by the signer
// of <library>" (TRUST_E_SUBJECT_NOT_TRUSTED).
void RequireSignerOf(const std::wstring& library, HANDLE libraryFile, const SignatureCheck& check,
                     const std::wstring& path, HANDLE file);

} // namespace Kelvo
