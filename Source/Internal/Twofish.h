// The Twofish block cipher (128-bit blocks, 16 rounds, keys of up to 256 bits) with "full
// keying": the key-dependent S-boxes and the MDS matrix are folded into four tables of 256 words
// when the key is set, so a block costs 8 table look-ups per round. Internal to the library;
// AesCipher drives it in CFB-1 mode. Only the encrypting direction exists, as CFB needs no other.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Kelvo {
namespace Utilities {

class Twofish
{
public:
    // A block as four little-endian words: bytes 0 to 3 make word 0, and so on.
    using Block = std::array<std::uint32_t, 4>;

    static constexpr std::size_t BlockBytes = 16;
    static constexpr std::size_t MaximumKeyBytes = 32;
    // How many independent blocks EncryptInterleaved takes at once.
    static constexpr std::size_t Lanes = 4;

    // Keys shorter than 16, 24 or 32 bytes are padded with zero bytes to the next of these
    // lengths, as the algorithm defines; a longer key throws std::length_error.
    Twofish(const unsigned char* key, std::size_t size);

    // Recomputes subkeys and tables for another key, in place.
    void SetKey(const unsigned char* key, std::size_t size);

    Block Encrypt(const Block& plain) const;

    // Lanes independent blocks at once: their rounds are interleaved, so the table look-ups of
    // one block overlap those of the others.
    void EncryptInterleaved(const Block (&plain)[Lanes], Block (&cipher)[Lanes]) const;

    // The most significant bit of the first ciphertext byte, all that CFB-1 uses of a block: the
    // last round, which changes only the other half of the block, is left out.
    unsigned int FirstBit(const Block& plain) const;

    // Tables that look g up two bytes at a time: half the look-ups per round, for 512 KiB of
    // tables that take about as long to build as a thousand blocks take to encrypt.
    class PairTables
    {
    public:
        explicit PairTables(const Twofish& cipher);
        std::uint32_t G0(std::uint32_t x) const;
        std::uint32_t G1(std::uint32_t x) const;

    private:
        std::vector<std::uint32_t> m_words; // [low 16 bits] then [high 16 bits]
    };

    // How many independent blocks FirstBitsInterleaved takes at once.
    static constexpr std::size_t WideLanes = 8;
    // FirstBit of WideLanes independent blocks, with the rounds interleaved; g is looked up in
    // tables made from this cipher when they are given.
    void FirstBitsInterleaved(const Block (&plain)[WideLanes], unsigned int (&bits)[WideLanes]) const;
    void FirstBitsInterleaved(const PairTables& tables, const Block (&plain)[WideLanes],
                              unsigned int (&bits)[WideLanes]) const;

    static Block Load(const unsigned char* bytes);
    static void Store(const Block& block, unsigned char* bytes);

private:
    std::uint32_t G0(std::uint32_t x) const;
    // g of x rotated left by 8 bits.
    std::uint32_t G1(std::uint32_t x) const;
    // N blocks through the rounds, with g from lookup; with cipher null only the first bit of
    // each is made, into bits.
    template <std::size_t N, typename Lookup>
    void EncryptLanes(const Lookup& lookup, const Block* plain, Block* cipher, unsigned int* bits) const;

    std::uint32_t m_subkeys[40];
    std::uint32_t m_sbox[4][256];
};

} // namespace Utilities
} // namespace Kelvo
