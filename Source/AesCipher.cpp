#include "AesCipher.h"

#include "Internal/HexText.h"
#include "Internal/Twofish.h"

#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

namespace Kelvo {
namespace Utilities {

namespace {

const char* const DefaultKeyText = "5F0C7A19D2E84B6631AF";
const char* const KeySizeNotModulo16 = "Key size should be modulo 16.";
const char* const KeyNotAccepted = "Key size should be 16.";

std::uint8_t HexDigitValue(char digit)
{
    return static_cast<std::uint8_t>(digit <= '9' ? digit - '0' : digit - 'A' + 10);
}

// The key text read back as bytes: the Twofish key.
std::vector<unsigned char> BytesOf(const std::string& keyText)
{
    std::vector<unsigned char> bytes(keyText.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i)
    {
        bytes[i] = static_cast<unsigned char>(HexDigitValue(keyText[2 * i]) << 4 | HexDigitValue(keyText[2 * i + 1]));
    }
    return bytes;
}

inline std::uint32_t SwapBytes(std::uint32_t x)
{
    return (x >> 24) | ((x >> 8) & 0xFF00u) | ((x << 8) & 0xFF0000u) | (x << 24);
}

// The 128-bit feedback register as two big-endian halves: byte 0 is the top byte of high.
// Shifting in a bit is two word shifts instead of sixteen byte shifts.
class FeedbackRegister
{
public:
    explicit FeedbackRegister(const unsigned char (&bytes)[Twofish::BlockBytes]) : m_high(0), m_low(0)
    {
        for (std::size_t i = 0; i < 8; ++i)
        {
            m_high = m_high << 8 | bytes[i];
            m_low = m_low << 8 | bytes[8 + i];
        }
    }

    Twofish::Block AsBlock() const
    {
        return Twofish::Block{ SwapBytes(static_cast<std::uint32_t>(m_high >> 32)),
                               SwapBytes(static_cast<std::uint32_t>(m_high)),
                               SwapBytes(static_cast<std::uint32_t>(m_low >> 32)),
                               SwapBytes(static_cast<std::uint32_t>(m_low)) };
    }

    // Shifts the register one bit to the left, bit entering at the low end of the last byte.
    void Shift(unsigned int bit)
    {
        m_high = m_high << 1 | m_low >> 63;
        m_low = m_low << 1 | bit;
    }

private:
    std::uint64_t m_high;
    std::uint64_t m_low;
};

// From this many bytes on, Decrypt builds the tables that look g up two bytes at a time: below
// it, building them takes longer than they save.
constexpr std::size_t PairTablesFrom = 16384;

// Deciphers data in place. The ciphertext fixes every register state in advance, so the block
// operations of a byte's eight bits are independent and run interleaved; firstBits makes the
// key-stream bits of eight register states.
template <typename FirstBits>
void DecryptBytes(FeedbackRegister& feedback, std::vector<unsigned char>& data, FirstBits firstBits)
{
    constexpr int Lanes = static_cast<int>(Twofish::WideLanes);
    static_assert(8 % Lanes == 0, "a byte holds whole groups of bits");
    for (unsigned char& byte : data)
    {
        const unsigned int cipherByte = byte;
        unsigned int keyStream = 0;
        for (int group = 8 - Lanes; group >= 0; group -= Lanes)
        {
            Twofish::Block registers[Lanes];
            unsigned int bits[Lanes];
            for (int lane = 0; lane < Lanes; ++lane)
            {
                registers[lane] = feedback.AsBlock();
                feedback.Shift((cipherByte >> (group + Lanes - 1 - lane)) & 1u);
            }
            firstBits(registers, bits);
            for (int lane = 0; lane < Lanes; ++lane)
            {
                keyStream |= bits[lane] << (group + Lanes - 1 - lane);
            }
        }
        byte = static_cast<unsigned char>(cipherByte ^ keyStream);
    }
}

} // namespace

struct AesCipher::CipherState
{
    explicit CipherState(const std::string& keyText)
        : twofishKey(BytesOf(keyText)), cipher(twofishKey.data(), twofishKey.size())
    {
        for (std::size_t i = 0; i < Twofish::BlockBytes; ++i)
        {
            initialVector[i] = static_cast<unsigned char>(keyText[i]);
        }
    }

    // A fresh key schedule for each call, from the key text read back as bytes.
    const Twofish& Rekeyed()
    {
        cipher.SetKey(twofishKey.data(), twofishKey.size());
        return cipher;
    }

    std::vector<unsigned char> twofishKey;
    unsigned char initialVector[Twofish::BlockBytes];
    Twofish cipher;
};

AesCipher::AesCipher(const std::vector<unsigned char>& key) : m_key(key)
{
    if (m_key.size() % 16 != 0)
    {
        throw std::invalid_argument(KeySizeNotModulo16);
    }
    if (m_key.size() > Twofish::MaximumKeyBytes)
    {
        throw std::invalid_argument(KeyNotAccepted);
    }
    try
    {
        const std::string keyText =
            m_key.empty() ? DefaultKeyText : ToHexText<char>(m_key.data(), m_key.size(), HexCase::Upper);
        m_state.reset(new CipherState(keyText));
    }
    catch (const std::bad_alloc&)
    {
        throw std::invalid_argument(KeyNotAccepted);
    }
}

AesCipher::AesCipher(const AesCipher& other) : AesCipher(other.m_key)
{
}

AesCipher& AesCipher::operator=(const AesCipher& other)
{
    if (this != &other)
    {
        AesCipher copy(other);
        m_state.swap(copy.m_state);
        m_key.swap(copy.m_key);
    }
    return *this;
}

AesCipher::~AesCipher() = default;

void AesCipher::Encrypt(std::vector<unsigned char>& data)
{
    const Twofish& cipher = m_state->Rekeyed();
    FeedbackRegister feedback(m_state->initialVector);
    // Each bit needs the register that the previous ciphertext bit completed: strictly serial.
    for (unsigned char& byte : data)
    {
        unsigned int result = 0;
        for (int bit = 7; bit >= 0; --bit)
        {
            const unsigned int cipherBit = ((byte >> bit) & 1u) ^ cipher.FirstBit(feedback.AsBlock());
            result |= cipherBit << bit;
            feedback.Shift(cipherBit);
        }
        byte = static_cast<unsigned char>(result);
    }
}

void AesCipher::Decrypt(std::vector<unsigned char>& data)
{
    const Twofish& cipher = m_state->Rekeyed();
    FeedbackRegister feedback(m_state->initialVector);
    using Registers = Twofish::Block[Twofish::WideLanes];
    using Bits = unsigned int[Twofish::WideLanes];
    std::unique_ptr<const Twofish::PairTables> tables;
    if (data.size() >= PairTablesFrom)
    {
        try
        {
            tables.reset(new Twofish::PairTables(cipher));
        }
        catch (const std::bad_alloc&)
        {
            // Decrypt does not throw: without memory for the tables it runs on the key's own.
        }
    }
    if (tables)
    {
        DecryptBytes(feedback, data, [&cipher, &tables](const Registers& in, Bits& bits) {
            cipher.FirstBitsInterleaved(*tables, in, bits);
        });
        return;
    }
    DecryptBytes(feedback, data,
                 [&cipher](const Registers& in, Bits& bits) { cipher.FirstBitsInterleaved(in, bits); });
}

} // namespace Utilities
} // namespace Kelvo
