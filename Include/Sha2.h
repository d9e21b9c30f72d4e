#pragma once

#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// The SHA-256 digest (FIPS 180-4) of an open file, computed by the Windows cryptographic
/// provider through HostApi.
/// Static; owns nothing (the handle stays the caller's). Example: Examples/cipher_and_hashes.cpp
class KELVO_UTILITIES_API Sha2
{
public:
    /// The digest of everything read from fileHandle, from its current position to the end of the
    /// file, as 64 lower-case hexadecimal characters. The handle stays open and the caller's; its
    /// position ends at the end of the file. HostApi's Exception passes through unchanged.
    static std::wstring CalculateSHA256HashOfFile(void* fileHandle);
};

} // namespace Utilities
} // namespace Kelvo
