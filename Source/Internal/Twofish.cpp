// Written from the published description of the algorithm. The fixed permutations q0 and q1 and
// the MDS columns are computed at compile time from their definitions; the key schedule folds
// the key-dependent S-boxes into m_sbox.
#include "Internal/Twofish.h"

#include <stdexcept>

namespace Kelvo {
namespace Utilities {

namespace {

// The four 4-bit S-boxes t0..t3 that define q0 and q1.
constexpr std::uint8_t QNibbles[2][4][16] = {
    { { 0x8, 0x1, 0x7, 0xD, 0x6, 0xF, 0x3, 0x2, 0x0, 0xB, 0x5, 0x9, 0xE, 0xC, 0xA, 0x4 },
      { 0xE, 0xC, 0xB, 0x8, 0x1, 0x2, 0x3, 0x5, 0xF, 0x4, 0xA, 0x6, 0x7, 0x0, 0x9, 0xD },
      { 0xB, 0xA, 0x5, 0xE, 0x6, 0xD, 0x9, 0x0, 0xC, 0x8, 0xF, 0x3, 0x2, 0x4, 0x7, 0x1 },
      { 0xD, 0x7, 0xF, 0x4, 0x1, 0x2, 0x6, 0xE, 0x9, 0xB, 0x3, 0x0, 0x8, 0x5, 0xC, 0xA } },
    { { 0x2, 0x8, 0xB, 0xD, 0xF, 0x7, 0x6, 0xE, 0x3, 0x1, 0x9, 0x4, 0x0, 0xA, 0xC, 0x5 },
      { 0x1, 0xE, 0x2, 0xB, 0x4, 0xC, 0x3, 0x7, 0x6, 0xD, 0xA, 0x5, 0xF, 0x9, 0x0, 0x8 },
      { 0x4, 0xC, 0x7, 0x5, 0x1, 0x6, 0x9, 0xA, 0x0, 0xE, 0xD, 0x8, 0x2, 0xB, 0x3, 0xF },
      { 0xB, 0x9, 0x5, 0x1, 0xC, 0x3, 0xD, 0xE, 0x6, 0x4, 0x7, 0xF, 0x2, 0x0, 0x8, 0xA } },
};

// The MDS matrix, over GF(2^8) modulo x^8 + x^6 + x^5 + x^3 + 1.
constexpr std::uint8_t Mds[4][4] = {
    { 0x01, 0xEF, 0x5B, 0x5B },
    { 0x5B, 0xEF, 0xEF, 0x01 },
    { 0xEF, 0x5B, 0x01, 0xEF },
    { 0xEF, 0x01, 0xEF, 0x5B },
};
constexpr unsigned MdsPolynomial = 0x169;

// The Reed-Solomon matrix that makes the S-box key words, modulo x^8 + x^6 + x^3 + x^2 + 1.
constexpr std::uint8_t Rs[4][8] = {
    { 0x01, 0xA4, 0x55, 0x87, 0x5A, 0x58, 0xDB, 0x9E },
    { 0xA4, 0x56, 0x82, 0xF3, 0x1E, 0xC6, 0x68, 0xE5 },
    { 0x02, 0xA1, 0xFC, 0xC1, 0x47, 0xAE, 0x3D, 0x19 },
    { 0xA4, 0x55, 0x87, 0x5A, 0x58, 0xDB, 0x9E, 0x03 },
};
constexpr unsigned RsPolynomial = 0x14D;

// Which q each byte lane of h passes through: first for the key words L3, L2, L1, L0 (the
// first two only with 256- and 192-bit keys), then last, just before the MDS matrix.
constexpr int LaneQ[4][4] = { { 1, 1, 0, 0 }, { 0, 1, 1, 0 }, { 0, 0, 0, 1 }, { 1, 0, 1, 1 } };
constexpr int LastQ[4] = { 1, 0, 1, 0 };

constexpr std::uint8_t RotateNibbleRight(std::uint8_t x)
{
    return static_cast<std::uint8_t>(((x >> 1) | (x << 3)) & 0xF);
}

constexpr std::uint8_t Permute(int which, std::uint8_t x)
{
    const auto& t = QNibbles[which];
    std::uint8_t a = static_cast<std::uint8_t>(x >> 4);
    std::uint8_t b = static_cast<std::uint8_t>(x & 0xF);
    for (int half = 0; half < 2; ++half)
    {
        const std::uint8_t mixedA = static_cast<std::uint8_t>(a ^ b);
        const std::uint8_t mixedB = static_cast<std::uint8_t>((a ^ RotateNibbleRight(b) ^ (a << 3)) & 0xF);
        a = t[2 * half][mixedA];
        b = t[2 * half + 1][mixedB];
    }
    return static_cast<std::uint8_t>((b << 4) | a);
}

constexpr std::uint8_t GfMultiply(std::uint8_t a, std::uint8_t b, unsigned polynomial)
{
    unsigned product = 0;
    unsigned shifted = b;
    for (; a != 0; a = static_cast<std::uint8_t>(a >> 1))
    {
        if (a & 1)
        {
            product ^= shifted;
        }
        shifted <<= 1;
        if (shifted & 0x100)
        {
            shifted ^= polynomial;
        }
    }
    return static_cast<std::uint8_t>(product);
}

struct FixedTables
{
    std::uint8_t q[2][256];
    // The last stage of h for lane j: its final q, then column j of the MDS matrix.
    std::uint32_t mdsq[4][256];
};

constexpr FixedTables MakeFixedTables()
{
    FixedTables tables{};
    for (int x = 0; x < 256; ++x)
    {
        tables.q[0][x] = Permute(0, static_cast<std::uint8_t>(x));
        tables.q[1][x] = Permute(1, static_cast<std::uint8_t>(x));
    }
    for (int lane = 0; lane < 4; ++lane)
    {
        for (int x = 0; x < 256; ++x)
        {
            const std::uint8_t y = tables.q[LastQ[lane]][x];
            std::uint32_t column = 0;
            for (int row = 0; row < 4; ++row)
            {
                column |= static_cast<std::uint32_t>(GfMultiply(Mds[row][lane], y, MdsPolynomial)) << (8 * row);
            }
            tables.mdsq[lane][x] = column;
        }
    }
    return tables;
}

constexpr FixedTables Fixed = MakeFixedTables();

inline std::uint32_t RotateLeft(std::uint32_t x, unsigned n)
{
    return (x << n) | (x >> (32 - n));
}

inline std::uint32_t RotateRight(std::uint32_t x, unsigned n)
{
    return (x >> n) | (x << (32 - n));
}

inline std::uint8_t ByteOf(std::uint32_t word, std::size_t index)
{
    return static_cast<std::uint8_t>(word >> (8 * index));
}

inline std::uint32_t LoadWord(const unsigned char* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// Lane j of h up to its last q: x through the q permutations, mixed with byte j of the key words.
std::uint8_t LaneInput(std::size_t lane, std::uint8_t x, const std::uint32_t* keyWords, std::size_t count)
{
    for (std::size_t stage = 4 - count; stage < 4; ++stage)
    {
        x = static_cast<std::uint8_t>(Fixed.q[LaneQ[lane][stage]][x] ^ ByteOf(keyWords[3 - stage], lane));
    }
    return x;
}

// h(x, L) for the key words L0..L(count-1).
std::uint32_t H(std::uint32_t x, const std::uint32_t* keyWords, std::size_t count)
{
    std::uint32_t result = 0;
    for (std::size_t lane = 0; lane < 4; ++lane)
    {
        result ^= Fixed.mdsq[lane][LaneInput(lane, ByteOf(x, lane), keyWords, count)];
    }
    return result;
}

} // namespace

Twofish::Twofish(const unsigned char* key, std::size_t size)
{
    SetKey(key, size);
}

void Twofish::SetKey(const unsigned char* key, std::size_t size)
{
    if (size > MaximumKeyBytes)
    {
        throw std::length_error("Twofish keys have at most 256 bits");
    }
    unsigned char padded[MaximumKeyBytes] = {};
    for (std::size_t i = 0; i < size; ++i)
    {
        padded[i] = key[i];
    }
    const std::size_t count = size <= 16 ? 2 : size <= 24 ? 3 : 4; // 64-bit key words

    std::uint32_t even[4] = {};
    std::uint32_t odd[4] = {};
    std::uint32_t sboxKey[4] = {};
    for (std::size_t i = 0; i < count; ++i)
    {
        even[i] = LoadWord(padded + 8 * i);
        odd[i] = LoadWord(padded + 8 * i + 4);
        std::uint32_t word = 0;
        for (std::size_t row = 0; row < 4; ++row)
        {
            std::uint8_t sum = 0;
            for (std::size_t column = 0; column < 8; ++column)
            {
                sum ^= GfMultiply(Rs[row][column], padded[8 * i + column], RsPolynomial);
            }
            word |= static_cast<std::uint32_t>(sum) << (8 * row);
        }
        // The S-box key words are used in reverse order.
        sboxKey[count - 1 - i] = word;
    }

    const std::uint32_t everyByte = 0x01010101;
    for (std::uint32_t i = 0; i < 20; ++i)
    {
        const std::uint32_t a = H(2 * i * everyByte, even, count);
        const std::uint32_t b = RotateLeft(H((2 * i + 1) * everyByte, odd, count), 8);
        m_subkeys[2 * i] = a + b;
        m_subkeys[2 * i + 1] = RotateLeft(a + 2 * b, 9);
    }
    for (std::size_t lane = 0; lane < 4; ++lane)
    {
        for (std::size_t x = 0; x < 256; ++x)
        {
            m_sbox[lane][x] = Fixed.mdsq[lane][LaneInput(lane, static_cast<std::uint8_t>(x), sboxKey, count)];
        }
    }
}

inline std::uint32_t Twofish::G0(std::uint32_t x) const
{
    return m_sbox[0][ByteOf(x, 0)] ^ m_sbox[1][ByteOf(x, 1)] ^ m_sbox[2][ByteOf(x, 2)] ^ m_sbox[3][ByteOf(x, 3)];
}

inline std::uint32_t Twofish::G1(std::uint32_t x) const
{
    return m_sbox[0][ByteOf(x, 3)] ^ m_sbox[1][ByteOf(x, 0)] ^ m_sbox[2][ByteOf(x, 1)] ^ m_sbox[3][ByteOf(x, 2)];
}

template <std::size_t N, typename Lookup>
void Twofish::EncryptLanes(const Lookup& lookup, const Block* plain, Block* cipher, unsigned int* bits) const
{
    const std::uint32_t* k = m_subkeys;
    std::uint32_t x0[N], x1[N], x2[N], x3[N];
    for (std::size_t n = 0; n < N; ++n)
    {
        x0[n] = plain[n][0] ^ k[0];
        x1[n] = plain[n][1] ^ k[1];
        x2[n] = plain[n][2] ^ k[2];
        x3[n] = plain[n][3] ^ k[3];
    }
    // Two rounds per pass, so that the halves trade places by name instead of by copying.
    for (std::size_t round = 0; round < 16; round += 2)
    {
        const std::uint32_t* roundKey = k + 8 + 2 * round;
        for (std::size_t n = 0; n < N; ++n)
        {
            const std::uint32_t t0 = lookup.G0(x0[n]);
            const std::uint32_t t1 = lookup.G1(x1[n]);
            x2[n] = RotateRight(x2[n] ^ (t0 + t1 + roundKey[0]), 1);
            x3[n] = RotateLeft(x3[n], 1) ^ (t0 + 2 * t1 + roundKey[1]);
        }
        if (cipher == nullptr && round == 14)
        {
            // The first ciphertext word is x2 after its last change, whitened.
            for (std::size_t n = 0; n < N; ++n)
            {
                bits[n] = ((x2[n] ^ k[4]) >> 7) & 1u;
            }
            return;
        }
        for (std::size_t n = 0; n < N; ++n)
        {
            const std::uint32_t t0 = lookup.G0(x2[n]);
            const std::uint32_t t1 = lookup.G1(x3[n]);
            x0[n] = RotateRight(x0[n] ^ (t0 + t1 + roundKey[2]), 1);
            x1[n] = RotateLeft(x1[n], 1) ^ (t0 + 2 * t1 + roundKey[3]);
        }
    }
    // The last round's swap is undone by taking the halves crosswise.
    for (std::size_t n = 0; n < N; ++n)
    {
        cipher[n] = Block{ x2[n] ^ k[4], x3[n] ^ k[5], x0[n] ^ k[6], x1[n] ^ k[7] };
    }
}

Twofish::Block Twofish::Encrypt(const Block& plain) const
{
    Block cipher;
    EncryptLanes<1>(*this, &plain, &cipher, nullptr);
    return cipher;
}

void Twofish::EncryptInterleaved(const Block (&plain)[Lanes], Block (&cipher)[Lanes]) const
{
    EncryptLanes<Lanes>(*this, plain, cipher, nullptr);
}

unsigned int Twofish::FirstBit(const Block& plain) const
{
    unsigned int bit = 0;
    EncryptLanes<1>(*this, &plain, nullptr, &bit);
    return bit;
}

Twofish::PairTables::PairTables(const Twofish& cipher) : m_words(2 * 65536)
{
    for (std::size_t high = 0; high < 256; ++high)
    {
        for (std::size_t low = 0; low < 256; ++low)
        {
            m_words[high << 8 | low] = cipher.m_sbox[0][low] ^ cipher.m_sbox[1][high];
            m_words[65536 + (high << 8 | low)] = cipher.m_sbox[2][low] ^ cipher.m_sbox[3][high];
        }
    }
}

inline std::uint32_t Twofish::PairTables::G0(std::uint32_t x) const
{
    return m_words[x & 0xFFFF] ^ m_words[65536 + (x >> 16)];
}

inline std::uint32_t Twofish::PairTables::G1(std::uint32_t x) const
{
    return G0(RotateLeft(x, 8));
}

void Twofish::FirstBitsInterleaved(const Block (&plain)[WideLanes], unsigned int (&bits)[WideLanes]) const
{
    EncryptLanes<WideLanes>(*this, plain, nullptr, bits);
}

void Twofish::FirstBitsInterleaved(const PairTables& tables, const Block (&plain)[WideLanes],
                                   unsigned int (&bits)[WideLanes]) const
{
    EncryptLanes<WideLanes>(tables, plain, nullptr, bits);
}

Twofish::Block Twofish::Load(const unsigned char* bytes)
{
    Block block;
    for (std::size_t i = 0; i < 4; ++i)
    {
        block[i] = LoadWord(bytes + 4 * i);
    }
    return block;
}

void Twofish::Store(const Block& block, unsigned char* bytes)
{
    for (std::size_t i = 0; i < 4; ++i)
    {
        for (std::size_t j = 0; j < 4; ++j)
        {
            bytes[4 * i + j] = ByteOf(block[i], j);
        }
    }
}

} // namespace Utilities
} // namespace Kelvo
