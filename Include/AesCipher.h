#pragma once

#include "UtilitiesExport.h"

#include <memory>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// Enciphers and deciphers byte buffers in place. Despite the name the block cipher is Twofish,
/// driven in cipher-feedback mode with one-bit feedback (CFB-1): the ciphertext is exactly as long
/// as the plaintext. The key text is the key in upper-case hexadecimal (a built-in text when the
/// key is empty); the initial vector is its first 16 characters, so every call starts afresh and
/// equal plaintexts give equal ciphertexts under one key. Stored ciphertexts depend on all of this.
/// Owns its cipher state; throws only from the constructor.
/// Example: Examples/cipher_and_hashes.cpp
class KELVO_UTILITIES_API AesCipher
{
public:
    /// Keys of 0, 16 and 32 bytes. A size that is not a multiple of 16 throws std::invalid_argument
    /// "Key size should be modulo 16."; a key the cipher cannot take (more than 32 bytes), or no
    /// memory for the cipher state, throws std::invalid_argument "Key size should be 16.".
    explicit AesCipher(const std::vector<unsigned char>& key);
    /// Copies are independent ciphers with the same key.
    AesCipher(const AesCipher& other);
    /// Takes other's key; the cipher state is made afresh.
    AesCipher& operator=(const AesCipher& other);
    virtual ~AesCipher();

    ///@{
    /// Encrypt enciphers data in place, Decrypt deciphers it; the length stays. One block operation
    /// per data bit, after a fresh key schedule. Never throw.
    void Encrypt(std::vector<unsigned char>& data);
    void Decrypt(std::vector<unsigned char>& data);
    ///@}

private:
    struct CipherState;

    std::unique_ptr<CipherState> m_state;
    std::vector<unsigned char> m_key;
};

} // namespace Utilities
} // namespace Kelvo
