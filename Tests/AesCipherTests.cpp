//
// AesCipherTests.cpp
//
// The Twofish block function against its authors' known answers, and AesCipher against a plain
// CFB-1 loop written here from the definition of the mode.
//
#include <AesCipher.h>

#include "Twofish.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

using Kelvo::Utilities::AesCipher;
using Kelvo::Utilities::Twofish;
using Bytes = std::vector<unsigned char>;

namespace {

std::string Hex(const unsigned char* bytes, std::size_t size)
{
    std::string text;
    char digits[3];
    for (std::size_t i = 0; i < size; ++i)
    {
        std::snprintf(digits, sizeof(digits), "%02X", bytes[i]);
        text += digits;
    }
    return text;
}

std::string Hex(const Bytes& bytes)
{
    return Hex(bytes.data(), bytes.size());
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

Bytes Encrypted(AesCipher& cipher, Bytes data)
{
    cipher.Encrypt(data);
    return data;
}

Bytes Decrypted(AesCipher& cipher, Bytes data)
{
    cipher.Decrypt(data);
    return data;
}

bool Bit(const Bytes& data, std::size_t n)
{
    return (data[n / 8] >> (7 - n % 8)) & 1;
}

std::string InvalidArgumentOf(std::size_t keySize)
{
    try
    {
        AesCipher cipher(Bytes(keySize, 0x11));
        ADD_FAILURE() << "nothing was thrown for a key of " << keySize << " bytes";
    }
    catch (const std::invalid_argument& e)
    {
        return e.what();
    }
    return "";
}

} // namespace

// The iterated tables: each ciphertext becomes the next plaintext, and the key takes the previous
// plaintext in front of its own first bytes.
TEST(Twofish, IteratedKnownAnswersForAllKeyLengths)
{
    struct Expected
    {
        std::size_t keyBytes;
        const char* first;
        const char* second;
        const char* fifth;
        const char* forty_eighth;
        const char* last;
    };
    const Expected tables[] = {
        { 16, "9F589F5CF6122C32B6BFEC2F2AE8C35A", "D491DB16E7B1C39E86CB086B789F5419", "816D5BD0FAE35342BF2A7412C246F752",
          "6B459286F3FFD28D49F15B1581B08E42", "5D9D4EEFFA9151575524F115815A12E0" },
        { 24, "EFA71F788965BD4453F860178FC19101", "88B2B2706B105E36B446BB6D731A1E88", "7AFF7A70CA2FF28AC31DD8AE5DAAAB63",
          "F0AB73301125FA21EF70BE5385FB76B6", "E75449212BEEF9F4A390BD860A640941" },
        { 32, "57FF739D4DC92C1BD7FC01700CC8216F", "D43BB7556EA32E46F2A282B7D45B4E0D", "3059D6D61753B958D92F4781C8640E58",
          "431058F4DBC7F734DA4F02F04CC4F459", "37FE26FF1CF66175F5DDF4C33B97A205" },
    };
    for (const Expected& table : tables)
    {
        Bytes key(table.keyBytes, 0);
        Bytes plain(16, 0);
        Bytes cipherText(16);
        for (int i = 1; i <= 49; ++i)
        {
            Twofish::Store(Twofish(key.data(), key.size()).Encrypt(Twofish::Load(plain.data())), cipherText.data());
            const char* expected = i == 1 ? table.first : i == 2 ? table.second : i == 5 ? table.fifth
                                 : i == 48 ? table.forty_eighth : i == 49 ? table.last : nullptr;
            if (expected != nullptr)
            {
                EXPECT_EQ(expected, Hex(cipherText)) << table.keyBytes * 8 << "-bit key, I=" << i;
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

TEST(AesCipher, MatchesAPlainCfb1LoopForEveryKeySize)
{
    const Bytes keys[] = { Bytes(), Sequence(16), Sequence(32, 0xF0, 7) };
    for (const Bytes& key : keys)
    {
        AesCipher cipher(key);
        for (std::size_t size : { 0u, 1u, 3u, 15u, 16u, 17u, 100u })
        {
            const Bytes plain = Sequence(size, 0x41, 3);
            const Bytes cipherText = Encrypted(cipher, plain);
            EXPECT_EQ(ReferenceCfb1(key, plain, false), cipherText) << key.size() << "-byte key, " << size << " bytes";
            EXPECT_EQ(ReferenceCfb1(key, cipherText, true), Decrypted(cipher, cipherText));
            EXPECT_EQ(plain, Decrypted(cipher, cipherText));
        }
    }
}

// Ciphertexts that callers have stored: they must never change.
TEST(AesCipher, KeepsItsFixedCipherTexts)
{
    const std::string text = "Kelvo keeps this text secret.";
    const Bytes plain(text.begin(), text.end());
    AesCipher defaultKey{ Bytes() };
    AesCipher key16(Sequence(16));
    AesCipher key32(Sequence(32, 0xF0, 7));
    EXPECT_EQ("CA468C0C92AC0F0F28C6D6A06766A3485A821DFC5A7EDD9D898AA1FF4A", Hex(Encrypted(defaultKey, plain)));
    EXPECT_EQ("7E319BAA85625DE29F3B18B93D0CC464D19D340328737EC1D469F75E2D", Hex(Encrypted(key16, plain)));
    EXPECT_EQ("98FD3C7910661B4100E328AF28C90CD468FF9BB5D22A52AFBA1F54AA8E", Hex(Encrypted(key32, plain)));
}

TEST(AesCipher, EachCallStartsAfreshAndKeepsTheLength)
{
    AesCipher cipher(Sequence(16, 3));
    Bytes empty;
    cipher.Encrypt(empty);
    cipher.Decrypt(empty);
    EXPECT_TRUE(empty.empty());
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
    const Bytes plain = Sequence(64);
    AesCipher longer(Sequence(32, 3));
    EXPECT_NE(Encrypted(cipher, plain), Encrypted(longer, plain));
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
            const bool differs = Bit(result, n) != Bit(plain, n);
            if (n < flipped || n > flipped + 128)
            {
                EXPECT_FALSE(differs) << "bit " << n << " after flipping " << flipped;
            }
            else if (n == flipped)
            {
                EXPECT_TRUE(differs) << "the flipped bit itself";
            }
            else
            {
                garbled += differs ? 1 : 0;
            }
        }
        if (flipped + 128 < 8 * plain.size())
        {
            EXPECT_GT(garbled, 32u) << "the next 128 bits are garbled";
        }
    }
}

TEST(AesCipher, RejectsKeySizesWithTheirMessages)
{
    EXPECT_EQ("Key size should be modulo 16.", InvalidArgumentOf(15));
    EXPECT_EQ("Key size should be modulo 16.", InvalidArgumentOf(24));
    EXPECT_EQ("Key size should be modulo 16.", InvalidArgumentOf(33));
    EXPECT_EQ("Key size should be 16.", InvalidArgumentOf(48));
    EXPECT_EQ("Key size should be 16.", InvalidArgumentOf(64));
}

TEST(AesCipher, CopiesAreIndependentCiphers)
{
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
