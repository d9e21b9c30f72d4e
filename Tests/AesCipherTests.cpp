// The Twofish block function against its authors' known answers, and AesCipher against a plain
// CFB-1 loop written here from the definition of the mode.
#include <AesCipher.h>

#include "Internal/Twofish.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

using Kelvo::Utilities::AesCipher;
using Kelvo::Utilities::Twofish;
using Bytes = std::vector<unsigned char>;

namespace {

std::string Hex(const Bytes& bytes)
{
    std::string text;
    char digits[3];
    for (unsigned char byte : bytes)
    {
        std::snprintf(digits, sizeof(digits), "%02X", byte);
        text += digits;
    }
    return text;
}

Bytes Sequence(std::size_t size, unsigned start = 0, unsigned step = 1)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
    {
        bytes[i] = static_cast<unsigned char>(start + step * i);
    }
    return bytes;
}

// CFB-1 by the book, one byte-array register shifted bit by bit. The key text and the initial
// vector are derived here again from the key.
Bytes ReferenceCfb1(const Bytes& key, Bytes data, bool decrypt)
{
    const std::string keyText = key.empty() ? "5F0C7A19D2E84B6631AF" : Hex(key);
    Bytes cipherKey;
    for (std::size_t i = 0; i < keyText.size(); i += 2)
    {
        cipherKey.push_back(static_cast<unsigned char>(std::stoul(keyText.substr(i, 2), nullptr, 16)));
    }
    const Twofish cipher(cipherKey.data(), cipherKey.size());
    unsigned char feedback[16];
    for (std::size_t i = 0; i < 16; ++i)
    {
        feedback[i] = static_cast<unsigned char>(keyText[i]);
    }
    for (std::size_t n = 0; n < 8 * data.size(); ++n)
    {
        unsigned char output[16];
        Twofish::Store(cipher.Encrypt(Twofish::Load(feedback)), output);
        const unsigned mask = 0x80u >> (n % 8);
        const unsigned inBit = (data[n / 8] & mask) ? 1 : 0;
        const unsigned outBit = inBit ^ (output[0] >> 7);
        data[n / 8] = static_cast<unsigned char>(outBit ? data[n / 8] | mask : data[n / 8] & ~mask);
        const unsigned cipherBit = decrypt ? inBit : outBit;
        for (std::size_t i = 0; i < 15; ++i)
        {
            feedback[i] = static_cast<unsigned char>(feedback[i] << 1 | feedback[i + 1] >> 7);
        }
        feedback[15] = static_cast<unsigned char>(feedback[15] << 1 | cipherBit);
    }
    return data;
}

Bytes Encrypted(AesCipher& cipher, Bytes data) { return cipher.Encrypt(data), data; }
Bytes Decrypted(AesCipher& cipher, Bytes data) { return cipher.Decrypt(data), data; }
bool Bit(const Bytes& data, std::size_t n) { return (data[n / 8] >> (7 - n % 8)) & 1; }

} // namespace

// The iterated tables: each ciphertext becomes the next plaintext, and the key takes the previous
// plaintext in front of its own first bytes. Columns: I = 1, 2, 5, 48, 49.
TEST(Twofish, IteratedKnownAnswersForAllKeyLengths)
{
    const struct { std::size_t keyBytes; const char* at[5]; } tables[] = {
        { 16, { "9F589F5CF6122C32B6BFEC2F2AE8C35A", "D491DB16E7B1C39E86CB086B789F5419", "816D5BD0FAE35342BF2A7412C246F752",
                "6B459286F3FFD28D49F15B1581B08E42", "5D9D4EEFFA9151575524F115815A12E0" } },
        { 24, { "EFA71F788965BD4453F860178FC19101", "88B2B2706B105E36B446BB6D731A1E88", "7AFF7A70CA2FF28AC31DD8AE5DAAAB63",
                "F0AB73301125FA21EF70BE5385FB76B6", "E75449212BEEF9F4A390BD860A640941" } },
        { 32, { "57FF739D4DC92C1BD7FC01700CC8216F", "D43BB7556EA32E46F2A282B7D45B4E0D", "3059D6D61753B958D92F4781C8640E58",
                "431058F4DBC7F734DA4F02F04CC4F459", "37FE26FF1CF66175F5DDF4C33B97A205" } },
    };
    const int checked[] = { 1, 2, 5, 48, 49 };
    for (const auto& table : tables)
    {
        Bytes key(table.keyBytes, 0), plain(16, 0), cipherText(16);
        for (int i = 1, next = 0; i <= 49; ++i)
        {
            Twofish::Store(Twofish(key.data(), key.size()).Encrypt(Twofish::Load(plain.data())), cipherText.data());
            if (i == checked[next])
            {
                EXPECT_EQ(table.at[next++], Hex(cipherText)) << table.keyBytes * 8 << "-bit key, I=" << i;
            }
            key.insert(key.begin(), plain.begin(), plain.end());
            key.resize(table.keyBytes);
            plain = cipherText;
        }
    }

    // The interleaved path gives each lane what the single-block path gives it.
    const Bytes key = Sequence(32, 7, 13);
    const Twofish cipher(key.data(), key.size());
    Twofish::Block in[Twofish::Lanes], out[Twofish::Lanes];
    for (std::size_t lane = 0; lane < Twofish::Lanes; ++lane)
    {
        in[lane] = Twofish::Load(Sequence(16, static_cast<unsigned>(lane * 16)).data());
    }
    cipher.EncryptInterleaved(in, out);
    for (std::size_t lane = 0; lane < Twofish::Lanes; ++lane)
    {
        EXPECT_EQ(cipher.Encrypt(in[lane]), out[lane]) << "lane " << lane;
    }
}

// Against the plain loop, and the ciphertexts that callers have stored: they must never change.
TEST(AesCipher, MatchesAPlainCfb1LoopAndKeepsItsFixedCipherTexts)
{
    const std::string text = "Kelvo keeps this text secret.";
    const struct { Bytes key; const char* fixed; } cases[] = {
        { Bytes(), "CA468C0C92AC0F0F28C6D6A06766A3485A821DFC5A7EDD9D898AA1FF4A" },
        { Sequence(16), "7E319BAA85625DE29F3B18B93D0CC464D19D340328737EC1D469F75E2D" },
        { Sequence(32, 0xF0, 7), "98FD3C7910661B4100E328AF28C90CD468FF9BB5D22A52AFBA1F54AA8E" },
    };
    for (const auto& c : cases)
    {
        AesCipher cipher(c.key);
        EXPECT_EQ(c.fixed, Hex(Encrypted(cipher, Bytes(text.begin(), text.end())))) << c.key.size() << "-byte key";
        for (std::size_t size : { 0u, 1u, 3u, 15u, 16u, 17u, 100u })
        {
            const Bytes plain = Sequence(size, 0x41, 3);
            const Bytes cipherText = Encrypted(cipher, plain);
            EXPECT_EQ(ReferenceCfb1(c.key, plain, false), cipherText) << c.key.size() << "-byte key, " << size << " bytes";
            EXPECT_EQ(ReferenceCfb1(c.key, cipherText, true), Decrypted(cipher, cipherText));
            EXPECT_EQ(plain, Decrypted(cipher, cipherText));
        }
    }
}

// From 16 KiB on, Decrypt looks the block function up in tables of its own, built per call.
TEST(AesCipher, LongBuffersDecryptAsThePlainLoop)
{
    for (const Bytes& key : { Bytes(), Sequence(32, 0xF0, 7) })
    {
        AesCipher cipher(key);
        const Bytes cipherText = Sequence(16384 + 5, 0x41, 3);
        EXPECT_EQ(ReferenceCfb1(key, cipherText, true), Decrypted(cipher, cipherText)) << key.size() << "-byte key";
    }
}

TEST(AesCipher, EachCallStartsAfreshAndKeepsTheLength)
{
    AesCipher cipher(Sequence(16, 3));
    for (std::size_t size : { 1u, 15u, 16u, 17u, 1000u })
    {
        const Bytes plain = Sequence(size, 9, 5);
        const Bytes once = Encrypted(cipher, plain);
        EXPECT_EQ(size, once.size());
        EXPECT_NE(plain, once);
        EXPECT_EQ(once, Encrypted(cipher, plain)) << "calls must not chain";
        EXPECT_EQ(plain, Decrypted(cipher, once));
    }
    // A longer key with the same first 16 bytes (and so the same initial vector) differs.
    AesCipher longer(Sequence(32, 3));
    EXPECT_NE(Encrypted(cipher, Sequence(64)), Encrypted(longer, Sequence(64)));
}

TEST(AesCipher, AFlippedCipherBitGarblesOnlyTheNext128Bits)
{
    AesCipher cipher(Sequence(32, 1, 3));
    const Bytes plain = Sequence(100, 0x20, 11);
    const Bytes cipherText = Encrypted(cipher, plain);
    for (std::size_t flipped : { 0u, 5u, 300u, 799u })
    {
        Bytes damaged = cipherText;
        damaged[flipped / 8] ^= static_cast<unsigned char>(0x80u >> (flipped % 8));
        const Bytes result = Decrypted(cipher, damaged);
        std::size_t garbled = 0;
        for (std::size_t n = 0; n < 8 * plain.size(); ++n)
        {
            // Outside the window nothing changes, the flipped bit itself does, the 128 after it may.
            const bool differs = Bit(result, n) != Bit(plain, n);
            const bool inWindow = n > flipped && n <= flipped + 128;
            EXPECT_TRUE(inWindow || differs == (n == flipped)) << "bit " << n << " after flipping " << flipped;
            garbled += inWindow && differs ? 1 : 0;
        }
        if (flipped + 128 < 8 * plain.size())
        {
            EXPECT_GT(garbled, 32u) << "the next 128 bits are garbled";
        }
    }
}

TEST(AesCipher, RejectsKeySizesWithTheirMessagesAndCopiesAreIndependent)
{
    for (std::size_t size : { 15u, 24u, 33u, 48u, 64u })
    {
        EXPECT_EQ(size < 48 ? "Key size should be modulo 16." : "Key size should be 16.",
                  TestSupport::WhatOf<std::invalid_argument>([size] { AesCipher{ Bytes(size, 0x11) }; }))
            << size << " bytes";
    }

    const Bytes plain = Sequence(40, 1);
    auto* original = new AesCipher(Sequence(16, 0x80));
    const Bytes expected = Encrypted(*original, plain);
    AesCipher copy(*original);
    AesCipher assigned{ Bytes() };
    const Bytes underDefaultKey = Encrypted(assigned, plain);
    assigned = *original;
    delete original;
    EXPECT_EQ(expected, Encrypted(copy, plain));
    EXPECT_EQ(expected, Encrypted(assigned, plain));
    EXPECT_NE(underDefaultKey, expected);
    assigned = *&assigned;
    EXPECT_EQ(plain, Decrypted(assigned, expected));
}
