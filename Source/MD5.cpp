#include "MD5.h"

#include "FileSystemException.h"
#include "Internal/HexText.h"

#include <HostApi/UniqueHandle.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace Kelvo {
namespace Utilities {

namespace {

// Large reads: the digest does not depend on how the file is cut, and a 1 KiB read per system
// call would cost more than hashing the kilobyte.
constexpr DWORD ReadBlockBytes = 1 << 20;

inline std::uint32_t RotateLeft(std::uint32_t x, unsigned n)
{
    return (x << n) | (x >> (32 - n));
}

inline std::uint32_t LoadLittleEndian(const unsigned char* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// The four auxiliary functions of RFC 1321, and one step: a = b + ((a + f(b,c,d) + x + t) <<< s).
struct F { static std::uint32_t Apply(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return z ^ (x & (y ^ z)); } };
struct G { static std::uint32_t Apply(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return y ^ (z & (x ^ y)); } };
struct H { static std::uint32_t Apply(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x ^ y ^ z; } };
struct I { static std::uint32_t Apply(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return y ^ (x | ~z); } };

template <typename Function>
inline void Step(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t x,
                 unsigned shift, std::uint32_t constant)
{
    a = b + RotateLeft(a + Function::Apply(b, c, d) + x + constant, shift);
}

// The RFC 1321 context: chaining words, bit count and the partial input block.
class Md5Context
{
public:
    void Update(const unsigned char* data, std::size_t size)
    {
        std::size_t buffered = static_cast<std::size_t>(m_byteCount % 64);
        m_byteCount += size;
        if (buffered != 0)
        {
            const std::size_t take = size < 64 - buffered ? size : 64 - buffered;
            std::memcpy(m_block + buffered, data, take);
            data += take;
            size -= take;
            buffered += take;
            if (buffered < 64)
            {
                return;
            }
            Transform(m_block);
        }
        for (; size >= 64; data += 64, size -= 64)
        {
            Transform(data);
        }
        std::memcpy(m_block, data, size);
    }

    void Finish(unsigned char (&digest)[16])
    {
        const std::uint64_t bitCount = m_byteCount * 8;
        unsigned char padding[72] = { 0x80 };
        const std::size_t buffered = static_cast<std::size_t>(m_byteCount % 64);
        Update(padding, buffered < 56 ? 56 - buffered : 120 - buffered);
        unsigned char length[8];
        for (std::size_t i = 0; i < 8; ++i)
        {
            length[i] = static_cast<unsigned char>(bitCount >> (8 * i));
        }
        Update(length, sizeof(length));
        for (std::size_t i = 0; i < 4; ++i)
        {
            for (std::size_t j = 0; j < 4; ++j)
            {
                digest[4 * i + j] = static_cast<unsigned char>(m_state[i] >> (8 * j));
            }
        }
    }

private:
    void Transform(const unsigned char* block)
    {
        std::uint32_t x[16];
        for (std::size_t i = 0; i < 16; ++i)
        {
            x[i] = LoadLittleEndian(block + 4 * i);
        }
        std::uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];

        Step<F>(a, b, c, d, x[0], 7, 0xd76aa478);   Step<F>(d, a, b, c, x[1], 12, 0xe8c7b756);
        Step<F>(c, d, a, b, x[2], 17, 0x242070db);  Step<F>(b, c, d, a, x[3], 22, 0xc1bdceee);
        Step<F>(a, b, c, d, x[4], 7, 0xf57c0faf);   Step<F>(d, a, b, c, x[5], 12, 0x4787c62a);
        Step<F>(c, d, a, b, x[6], 17, 0xa8304613);  Step<F>(b, c, d, a, x[7], 22, 0xfd469501);
        Step<F>(a, b, c, d, x[8], 7, 0x698098d8);   Step<F>(d, a, b, c, x[9], 12, 0x8b44f7af);
        Step<F>(c, d, a, b, x[10], 17, 0xffff5bb1); Step<F>(b, c, d, a, x[11], 22, 0x895cd7be);
        Step<F>(a, b, c, d, x[12], 7, 0x6b901122);  Step<F>(d, a, b, c, x[13], 12, 0xfd987193);
        Step<F>(c, d, a, b, x[14], 17, 0xa679438e); Step<F>(b, c, d, a, x[15], 22, 0x49b40821);

        Step<G>(a, b, c, d, x[1], 5, 0xf61e2562);   Step<G>(d, a, b, c, x[6], 9, 0xc040b340);
        Step<G>(c, d, a, b, x[11], 14, 0x265e5a51); Step<G>(b, c, d, a, x[0], 20, 0xe9b6c7aa);
        Step<G>(a, b, c, d, x[5], 5, 0xd62f105d);   Step<G>(d, a, b, c, x[10], 9, 0x02441453);
        Step<G>(c, d, a, b, x[15], 14, 0xd8a1e681); Step<G>(b, c, d, a, x[4], 20, 0xe7d3fbc8);
        Step<G>(a, b, c, d, x[9], 5, 0x21e1cde6);   Step<G>(d, a, b, c, x[14], 9, 0xc33707d6);
        Step<G>(c, d, a, b, x[3], 14, 0xf4d50d87);  Step<G>(b, c, d, a, x[8], 20, 0x455a14ed);
        Step<G>(a, b, c, d, x[13], 5, 0xa9e3e905);  Step<G>(d, a, b, c, x[2], 9, 0xfcefa3f8);
        Step<G>(c, d, a, b, x[7], 14, 0x676f02d9);  Step<G>(b, c, d, a, x[12], 20, 0x8d2a4c8a);

        Step<H>(a, b, c, d, x[5], 4, 0xfffa3942);   Step<H>(d, a, b, c, x[8], 11, 0x8771f681);
        Step<H>(c, d, a, b, x[11], 16, 0x6d9d6122); Step<H>(b, c, d, a, x[14], 23, 0xfde5380c);
        Step<H>(a, b, c, d, x[1], 4, 0xa4beea44);   Step<H>(d, a, b, c, x[4], 11, 0x4bdecfa9);
        Step<H>(c, d, a, b, x[7], 16, 0xf6bb4b60);  Step<H>(b, c, d, a, x[10], 23, 0xbebfbc70);
        Step<H>(a, b, c, d, x[13], 4, 0x289b7ec6);  Step<H>(d, a, b, c, x[0], 11, 0xeaa127fa);
        Step<H>(c, d, a, b, x[3], 16, 0xd4ef3085);  Step<H>(b, c, d, a, x[6], 23, 0x04881d05);
        Step<H>(a, b, c, d, x[9], 4, 0xd9d4d039);   Step<H>(d, a, b, c, x[12], 11, 0xe6db99e5);
        Step<H>(c, d, a, b, x[15], 16, 0x1fa27cf8); Step<H>(b, c, d, a, x[2], 23, 0xc4ac5665);

        Step<I>(a, b, c, d, x[0], 6, 0xf4292244);   Step<I>(d, a, b, c, x[7], 10, 0x432aff97);
        Step<I>(c, d, a, b, x[14], 15, 0xab9423a7); Step<I>(b, c, d, a, x[5], 21, 0xfc93a039);
        Step<I>(a, b, c, d, x[12], 6, 0x655b59c3);  Step<I>(d, a, b, c, x[3], 10, 0x8f0ccc92);
        Step<I>(c, d, a, b, x[10], 15, 0xffeff47d); Step<I>(b, c, d, a, x[1], 21, 0x85845dd1);
        Step<I>(a, b, c, d, x[8], 6, 0x6fa87e4f);   Step<I>(d, a, b, c, x[15], 10, 0xfe2ce6e0);
        Step<I>(c, d, a, b, x[6], 15, 0xa3014314);  Step<I>(b, c, d, a, x[13], 21, 0x4e0811a1);
        Step<I>(a, b, c, d, x[4], 6, 0xf7537e82);   Step<I>(d, a, b, c, x[11], 10, 0xbd3af235);
        Step<I>(c, d, a, b, x[2], 15, 0x2ad7d2bb);  Step<I>(b, c, d, a, x[9], 21, 0xeb86d391);

        m_state[0] += a;
        m_state[1] += b;
        m_state[2] += c;
        m_state[3] += d;
    }

    std::uint32_t m_state[4] = { 0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476 };
    std::uint64_t m_byteCount = 0;
    unsigned char m_block[64] = {};
};

} // namespace

std::wstring MD5::ComputeHash(const std::wstring& path)
{
    const HostApi::UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
    {
        throw FileSystemException("CreateFile failed", path);
    }
    Md5Context context;
    std::vector<unsigned char> buffer(ReadBlockBytes);
    for (;;)
    {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), buffer.data(), ReadBlockBytes, &read, nullptr))
        {
            // Only a failed call has an error to report; after a successful read the last error
            // may be left over from any earlier call. ERROR_HANDLE_EOF is how some devices end.
            if (::GetLastError() == ERROR_HANDLE_EOF)
            {
                break;
            }
            throw FileSystemException("ReadFile failed", path);
        }
        if (read == 0)
        {
            break;
        }
        context.Update(buffer.data(), read);
    }
    unsigned char digest[16];
    context.Finish(digest);
    return ToHexText<wchar_t>(digest, sizeof(digest), HexCase::Upper);
}

} // namespace Utilities
} // namespace Kelvo
