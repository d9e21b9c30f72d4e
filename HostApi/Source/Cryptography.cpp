#include "HostApi/Cryptography.h"

#include "HostApi/UniqueHandle.h"
#include "Internal/Failure.h"

#include <wincrypt.h>

namespace Kelvo {
namespace HostApi {

namespace {

// Provider contexts and hash objects are numbers, not pointers: their own traits.
struct ProviderTraits
{
    using Type = HCRYPTPROV;

    static bool IsValid(Type provider) noexcept
    {
        return provider != 0;
    }

    static void Close(Type provider) noexcept
    {
        ::CryptReleaseContext(provider, 0);
    }
};

struct HashTraits
{
    using Type = HCRYPTHASH;

    static bool IsValid(Type hash) noexcept
    {
        return hash != 0;
    }

    static void Close(Type hash) noexcept
    {
        ::CryptDestroyHash(hash);
    }
};

template <typename Handle>
Handle AsHandle(const std::shared_ptr<unsigned int>& owner, const wchar_t* message, const ThrowSite& site)
{
    if (!owner)
    {
        ThrowError(message, ERROR_INVALID_PARAMETER, site);
    }
    return reinterpret_cast<Handle>(owner.get());
}

} // namespace

CryptoProvider Cryptography::AcquireContext(DWORD providerType)
{
    HCRYPTPROV provider = 0;
    if (!::CryptAcquireContextW(&provider, nullptr, nullptr, providerType, CRYPT_VERIFYCONTEXT))
    {
        ThrowLastError(L"CryptAcquireContextW failed", KELVO_SITE);
    }
    return CryptoProvider(ShareHandle<ProviderTraits, unsigned int>(provider));
}

CryptoHash Cryptography::CreateHash(const CryptoProvider& context, unsigned int algorithm)
{
    const HCRYPTPROV provider = AsHandle<HCRYPTPROV>(context, L"CryptCreateHash failed", KELVO_SITE);
    HCRYPTHASH hash = 0;
    if (!::CryptCreateHash(provider, algorithm, 0, 0, &hash))
    {
        ThrowLastError(L"CryptCreateHash failed", KELVO_SITE);
    }
    // The hash must go before its context, so it holds the context until it is destroyed.
    return CryptoHash(ShareHandle<HashTraits, unsigned int>(hash, context));
}

void Cryptography::HashData(const CryptoHash& hash, const std::vector<unsigned char>& data, DWORD length)
{
    const HCRYPTHASH handle = AsHandle<HCRYPTHASH>(hash, L"CryptHashData failed", KELVO_SITE);
    if (length > data.size())
    {
        ThrowError(L"CryptHashData failed", ERROR_INVALID_PARAMETER, KELVO_SITE);
    }
    if (!::CryptHashData(handle, data.data(), length, 0))
    {
        ThrowLastError(L"CryptHashData failed", KELVO_SITE);
    }
}

void Cryptography::GetHashParam(const CryptoHash& hash, DWORD query, std::vector<unsigned char>& output, DWORD& length)
{
    const HCRYPTHASH handle = AsHandle<HCRYPTHASH>(hash, L"CryptGetHashParam failed", KELVO_SITE);
    // Never offer an empty buffer: with no buffer Windows only reports the size.
    std::vector<unsigned char> value(length == 0 ? 1 : length);
    for (;;)
    {
        DWORD size = static_cast<DWORD>(value.size());
        if (::CryptGetHashParam(handle, query, value.data(), &size, 0))
        {
            value.resize(size);
            output.swap(value);
            length = size;
            return;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_MORE_DATA || size <= value.size())
        {
            ThrowError(L"CryptGetHashParam failed", error, KELVO_SITE);
        }
        value.resize(size);
    }
}

} // namespace HostApi
} // namespace Kelvo
