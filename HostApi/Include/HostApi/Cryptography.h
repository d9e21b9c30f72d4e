#pragma once

#include "HostApiExport.h"

#include "WindowsTypes.h"

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace Kelvo {
namespace HostApi {

/// A std::shared_ptr<unsigned int> of its own kind: a provider cannot stand where a hash is meant.
template <typename Kind>
class CryptoHandle : public std::shared_ptr<unsigned int>
{
public:
    ///@{
    /// Empty: owns no handle.
    CryptoHandle() noexcept = default;
    CryptoHandle(std::nullptr_t) noexcept
    {
    }
    ///@}
    /// Takes over owner, which holds the Windows handle as its pointer value.
    explicit CryptoHandle(std::shared_ptr<unsigned int> owner) noexcept
        : std::shared_ptr<unsigned int>(std::move(owner))
    {
    }
};

/// A provider context, from Cryptography::AcquireContext.
using CryptoProvider = CryptoHandle<struct ProviderKind>;
/// A hash object, from Cryptography::CreateHash; keeps its provider context alive.
using CryptoHash = CryptoHandle<struct HashKind>;

/// Hashing through a Windows cryptographic provider. Provider contexts and hash objects are each
/// held by a std::shared_ptr<unsigned int> whose pointer value is the Windows handle itself (never
/// dereferenced); the last owner releases it. They are distinct types, so that one cannot be
/// passed where the other is meant. Every failure throws Kelvo::Utilities::Exception carrying the
/// Windows error code.
class KELVO_HOSTAPI_API Cryptography
{
public:
    Cryptography() = delete;

    /// A context of the default provider of providerType (such as 24, PROV_RSA_AES), without a
    /// key container: hashing needs none.
    static CryptoProvider AcquireContext(DWORD providerType);
    /// A hash object of algorithm (such as 0x800C, CALG_SHA_256); it keeps its context alive.
    static CryptoHash CreateHash(const CryptoProvider& context, unsigned int algorithm);
    /// Adds the first length bytes of data to the hash. A length beyond the buffer throws with 87.
    static void HashData(const CryptoHash& hash, const std::vector<unsigned char>& data, DWORD length);
    /// Reads the hash parameter query (2, HP_HASHVAL, for the digest) into output, offering length
    /// bytes and growing when Windows asks for more; on return output and length hold exactly what
    /// was written.
    static void GetHashParam(const CryptoHash& hash, DWORD query, std::vector<unsigned char>& output, DWORD& length);
};

} // namespace HostApi
} // namespace Kelvo
