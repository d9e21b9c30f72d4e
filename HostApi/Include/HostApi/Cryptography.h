//
// Cryptography.h
//
// Hashing through a Windows cryptographic provider. Provider contexts and hash objects are held
// by shared pointers whose pointer value is the Windows handle itself (never dereferenced); the
// last owner releases it. Every failure throws Kelvo::Utilities::Exception carrying the Windows
// error code.
//
#pragma once

#include "HostApiExport.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace Kelvo {
namespace HostApi {

class KELVO_HOSTAPI_API Cryptography
{
public:
    Cryptography() = delete;

    // A context of the default provider of providerType (such as 24, PROV_RSA_AES), without a
    // key container: hashing needs none.
    static std::shared_ptr<unsigned int> AcquireContext(DWORD providerType);
    // A hash object of algorithm (such as 0x800C, CALG_SHA_256); it keeps its context alive.
    static std::shared_ptr<unsigned int> CreateHash(const std::shared_ptr<unsigned int>& context, unsigned int algorithm);
    // Adds the first length bytes of data to the hash. A length beyond the buffer throws with 87.
    static void HashData(const std::shared_ptr<unsigned int>& hash, const std::vector<unsigned char>& data, DWORD length);
    // Reads the hash parameter query (2, HP_HASHVAL, for the digest) into output, offering length
    // bytes and growing when Windows asks for more; on return output and length hold exactly what
    // was written.
    static void GetHashParam(const std::shared_ptr<unsigned int>& hash, DWORD query, std::vector<unsigned char>& output,
                             DWORD& length);
};

} // namespace HostApi
} // namespace Kelvo
