// The Twofish block cipher (128-bit blocks, 16 rounds, keys of up to 256 bits) with "full
// keying": the key-dependent S-boxes and the MDS matrix are folded into four tables of 256 words
// when the key is set, so a block costs 8 table look-ups per round. Internal to the library;
// AesCipher drives it in CFB-1 mode. Only the encrypting direction exists, as CFB needs no other.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

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

    static Block Load(const unsigned char* bytes);
    static void Store(const Block& block, unsigned char* bytes);

private:
    std::uint32_t G0(std::uint32_t x) const;
    // g of x rotated left by 8 bits.
    std::uint32_t G1(std::uint32_t x) const;
    template <std::size_t N>
    void EncryptLanes(const Block* plain, Block* cipher) const;

    std::uint32_t m_subkeys[40];
    std::uint32_t m_sbox[4][256];
};

} // namespace Utilities
} // namespace Kelvo
