// The Twofish block function against its authors' known answers, and AesCipher against a plain
// CFB-1 loop written here from the definition of the mode.
#include <AesCipher.h>

#include "Internal/Twofish.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    for (unsigned char byte : bytes)
    {
        text += { "0123456789ABCDEF"[byte >> 4], "0123456789ABCDEF"[byte & 15] };
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

// CFB-1 by the book, one byte-array register shifted bit by bit. The Twofish key (the default
// text's bytes for an empty key) and the initial vector are derived here again from the key.
Bytes ReferenceCfb1(const Bytes& key, Bytes data, bool decrypt)
{
    const std::string keyText = key.empty() ? "5F0C7A19D2E84B6631AF" : Hex(key);
    const Bytes cipherKey = key.empty() ? Bytes{ 0x5F, 0x0C, 0x7A, 0x19, 0xD2, 0xE8, 0x4B, 0x66, 0x31, 0xAF } : key;
    const Twofish cipher(cipherKey.data(), cipherKey.size());
    unsigned char feedback[16];
    std::copy(keyText.begin(), keyText.begin() + 16, feedback);
    for (std::size_t n = 0; n < 8 * data.size(); ++n)
    {
        unsigned char output[16];
        Twofish::Store(cipher.Encrypt(Twofish::Load(feedback)), output);
        const unsigned mask = 0x80u >> (n % 8);
        const unsigned inBit = (data[n / 8] & mask) ? 1 : 0;
        const unsigned outBit = inBit ^ (output[0] >> 7);
        data[n / 8] = static_cast<unsigned char>(outBit ? data[n / 8] | mask : data[n / 8] & ~mask);
        const unsigned cipherBit = decrypt ? inBit : outBit;
        for (std::size_t i = 0; i < 16; ++i)
        {
            feedback[i] = static_cast<unsigned char>(feedback[i] << 1 | (i < 15 ? feedback[i + 1] >> 7 : cipherBit));
        }
    }
    return data;
}

Bytes Encrypted(AesCipher& cipher, Bytes data) { return cipher.Encrypt(data), data; }
Bytes Decrypted(AesCipher& cipher, Bytes data) { return cipher.Decrypt(data), data; }

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
    const Twofish cipher(Sequence(32, 7, 13).data(), 32);
    const Twofish::Block in[Twofish::Lanes] = { { 1, 2, 3, 4 }, { 5, 6, 7, 8 }, { 9, 10, 11, 12 }, { 13, 14, 15, 16 } };
    Twofish::Block out[Twofish::Lanes];
    cipher.EncryptInterleaved(in, out);
    for (std::size_t lane = 0; lane < Twofish::Lanes; ++lane)
    {
        EXPECT_EQ(cipher.Encrypt(in[lane]), out[lane]) << "lane " << lane;
    }
}

// Against the plain loop, and the ciphertexts that callers have stored: they must never change.
// One cipher serves each key's calls, so a call that went on from the last call's register fails.
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
        for (std::size_t size : { 0u, 1u, 3u, 15u, 16u, 17u, 100u, 1000u })
        {
            const Bytes plain = Sequence(size, 0x41, 3);
            const Bytes cipherText = Encrypted(cipher, plain);
            EXPECT_EQ(ReferenceCfb1(c.key, plain, false), cipherText) << c.key.size() << "-byte key, " << size << " bytes";
            EXPECT_EQ(plain, Decrypted(cipher, cipherText));
            // Any bytes are a ciphertext: a damaged one deciphers as the loop deciphers it.
            EXPECT_EQ(ReferenceCfb1(c.key, plain, true), Decrypted(cipher, plain));
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
    assigned = *original;
    delete original;
    EXPECT_EQ(expected, Encrypted(copy, plain));
    EXPECT_EQ(expected, Encrypted(assigned, plain));
    assigned = *&assigned;
    EXPECT_EQ(plain, Decrypted(assigned, expected));
}
