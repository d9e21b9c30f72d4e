// The cipher and the hashes: a fixed text enciphered under a fixed key (the cipher text is the
// same on every run and every machine) and deciphered again, and the MD5 and SHA-256 digests of
// a file whose content is known.
#include "Console.h"
#include <HostApi/UniqueHandle.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace Kelvo::Utilities;

namespace {

std::wstring Hex(const std::vector<unsigned char>& bytes)
{
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring text;
    for (const unsigned char byte : bytes)
    {
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

} // namespace

int main()
{
    return RunExample([] {
        // AesCipher is Twofish in CFB-1 mode: the cipher text is as long as the plain text, and
        // every call starts afresh, so equal texts give equal cipher texts under one key.
        const std::string secret = "Meet me at the usual place.";
        std::vector<unsigned char> data(secret.begin(), secret.end());
        AesCipher cipher(std::vector<unsigned char>(16, 0x2A));
        cipher.Encrypt(data);
        Print("Encrypt (16-byte key of 0x2A)", Hex(data));
        Print("cipher text length", data.size());
        cipher.Decrypt(data);
        Print("Decrypt", std::string(data.begin(), data.end()));
        try
        {
            AesCipher wrong(std::vector<unsigned char>(10, 1));
        }
        catch (const std::invalid_argument& e)
        {
            Print("a 10-byte key, std::invalid_argument", e.what());
        }

        // The digests of a file holding the three bytes "abc".
        const std::wstring path = File::GetTempFileNameW();
        File::WriteAllBytes(path, { 'a', 'b', 'c' });
        Print("MD5::ComputeHash", MD5::ComputeHash(path));
        {
            // Sha2 reads an open handle from its position to the end; the handle stays ours.
            const Kelvo::HostApi::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                                      OPEN_EXISTING, 0, nullptr));
            Print("Sha2::CalculateSHA256HashOfFile", Sha2::CalculateSHA256HashOfFile(file.Get()));
        }
        File::Delete(path);
        try
        {
            MD5::ComputeHash(path);
        }
        catch (const FileSystemException& e)
        {
            Print("MD5 of a missing file, FileSystemException code", static_cast<unsigned long long>(e.code().value()));
        }
    });
}
