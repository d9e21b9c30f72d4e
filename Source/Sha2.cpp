#include "Sha2.h"

#include "Internal/HexText.h"

#include <HostApi/Cryptography.h>
#include <HostApi/FileSystemOperation.h>

#include <windows.h>
#include <wincrypt.h>

#include <vector>

namespace Kelvo {
namespace Utilities {

namespace {

// Large reads: a short read still means the end of the file, whatever the block size.
constexpr DWORD ReadBlockBytes = 1 << 20;
constexpr DWORD Sha256Bytes = 32;

} // namespace

std::wstring Sha2::CalculateSHA256HashOfFile(void* fileHandle)
{
    using HostApi::Cryptography;
    const auto context = Cryptography::AcquireContext(PROV_RSA_AES);
    const auto hash = Cryptography::CreateHash(context, CALG_SHA_256);
    std::vector<unsigned char> buffer(ReadBlockBytes);
    DWORD read = 0;
    do
    {
        HostApi::FileSystemOperation::FileRead(fileHandle, buffer, ReadBlockBytes, read);
        Cryptography::HashData(hash, buffer, read);
    } while (read == ReadBlockBytes);

    std::vector<unsigned char> digest(Sha256Bytes);
    DWORD length = Sha256Bytes;
    Cryptography::GetHashParam(hash, HP_HASHVAL, digest, length);
    return ToHexText<wchar_t>(digest.data(), digest.size(), HexCase::Lower);
}

} // namespace Utilities
} // namespace Kelvo
