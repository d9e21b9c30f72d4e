#pragma once

#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// The MD5 digest (RFC 1321) of a file's content, computed by the library's own code.
/// Static; owns the file only during the call. Example: Examples/cipher_and_hashes.cpp
class KELVO_UTILITIES_API MD5
{
public:
    /// The digest of the file at path (a path, not the text to hash) as 32 upper-case hexadecimal
    /// characters. The file is opened for reading with others allowed to read, and closed on
    /// every path. Throws FileSystemException "CreateFile failed" or "ReadFile failed" with the
    /// path and the Windows error code; no partial digest is returned.
    static std::wstring ComputeHash(const std::wstring& path);
};

} // namespace Utilities
} // namespace Kelvo
