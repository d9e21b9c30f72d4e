//
// Cryptography.cpp
//
#include "HostApi/Cryptography.h"

#include "Internal/Failure.h"

#include <wincrypt.h>

namespace Kelvo {
namespace HostApi {

namespace {

// The shared pointers carry the handle as their pointer value.
template <typename Handle>
unsigned int* AsPointer(Handle handle)
{
    return reinterpret_cast<unsigned int*>(handle);
}

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

std::shared_ptr<unsigned int> Cryptography::AcquireContext(DWORD providerType)
{
    HCRYPTPROV provider = 0;
    if (!::CryptAcquireContextW(&provider, nullptr, nullptr, providerType, CRYPT_VERIFYCONTEXT))
    {
        ThrowLastError(L"CryptAcquireContextW failed", KELVO_SITE);
    }
    // Should the shared pointer fail to allocate, it calls the deleter itself: nothing leaks.
    return std::shared_ptr<unsigned int>(AsPointer(provider),
                                         [](unsigned int* p) { ::CryptReleaseContext(reinterpret_cast<HCRYPTPROV>(p), 0); });
}

std::shared_ptr<unsigned int> Cryptography::CreateHash(const std::shared_ptr<unsigned int>& context, unsigned int algorithm)
{
    const HCRYPTPROV provider = AsHandle<HCRYPTPROV>(context, L"CryptCreateHash failed", KELVO_SITE);
    HCRYPTHASH hash = 0;
    if (!::CryptCreateHash(provider, algorithm, 0, 0, &hash))
    {
        ThrowLastError(L"CryptCreateHash failed", KELVO_SITE);
    }
    // The hash must go before its context, so it holds the context until it is destroyed.
    return std::shared_ptr<unsigned int>(AsPointer(hash), [context](unsigned int* p) {
        ::CryptDestroyHash(reinterpret_cast<HCRYPTHASH>(p));
    });
}

void Cryptography::HashData(const std::shared_ptr<unsigned int>& hash, const std::vector<unsigned char>& data, DWORD length)
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

void Cryptography::GetHashParam(const std::shared_ptr<unsigned int>& hash, DWORD query, std::vector<unsigned char>& output,
                                DWORD& length)
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
