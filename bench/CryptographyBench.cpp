// The Twofish block function, AesCipher (CFB-1) on 1 MiB and on 16 bytes, and, given a file
// path, MD5::ComputeHash and Sha2::CalculateSHA256HashOfFile of that file. Run by hand, through
// bench/hash-bench.sh for the comparison with md5sum and sha256sum.
#include <AesCipher.h>
#include <MD5.h>
#include <Sha2.h>
#include <HostApi/Cryptography.h>

#include "Internal/Twofish.h"

#include <windows.h>
#include <wincrypt.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using Kelvo::Utilities::AesCipher;
using Kelvo::Utilities::Twofish;

namespace {

// Best of several runs, in seconds.
double Seconds(const std::function<void()>& work, int runs = 5)
{
    double best = 1e300;
    for (int run = 0; run < runs; ++run)
    {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        best = elapsed.count() < best ? elapsed.count() : best;
    }
    return best;
}

std::vector<unsigned char> Bytes(std::size_t size)
{
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
    {
        bytes[i] = static_cast<unsigned char>(i * 7 + 3);
    }
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<unsigned char> key = Bytes(16);
    const Twofish twofish(key.data(), key.size());
    const int blocks = 4000000;

    Twofish::Block chained{ 1, 2, 3, 4 };
    const double serial = Seconds([&] {
        for (int i = 0; i < blocks; ++i)
        {
            chained = twofish.Encrypt(chained);
        }
    });
    std::printf("%-48s %8.2f million/s\n", "Twofish blocks, each on the previous output", blocks / serial / 1e6);

    Twofish::Block in[Twofish::Lanes];
    for (std::size_t lane = 0; lane < Twofish::Lanes; ++lane)
    {
        in[lane] = Twofish::Block{ static_cast<std::uint32_t>(lane), 2, 3, 4 };
    }
    const double interleaved = Seconds([&] {
        for (int i = 0; i < blocks; i += static_cast<int>(Twofish::Lanes))
        {
            Twofish::Block out[Twofish::Lanes];
            twofish.EncryptInterleaved(in, out);
            for (std::size_t lane = 0; lane < Twofish::Lanes; ++lane)
            {
                in[lane] = out[lane];
            }
        }
    });
    std::printf("%-48s %8.2f million/s\n", "Twofish blocks, independent chains interleaved", blocks / interleaved / 1e6);

    Twofish rekeyed(key.data(), key.size());
    const double schedule = Seconds([&] {
        for (int i = 0; i < 10000; ++i)
        {
            rekeyed.SetKey(key.data(), key.size());
        }
    }) / 10000;
    std::printf("%-48s %8.2f us\n", "Twofish key schedule (full keying)", schedule * 1e6);

    for (std::size_t keySize : { 16u, 32u })
    {
        AesCipher cipher(Bytes(keySize));
        std::vector<unsigned char> data = Bytes(1 << 20);
        const double encrypt = Seconds([&] { cipher.Encrypt(data); }, 3);
        const double decrypt = Seconds([&] { cipher.Decrypt(data); }, 3);
        std::printf("AesCipher, %2u-byte key:\n", static_cast<unsigned>(keySize));
        std::printf("  %-46s %8.3f MB/s  (%.2f million block operations/s)\n", "Encrypt 1 MiB", (1 << 20) / encrypt / 1e6,
                    8.0 * (1 << 20) / encrypt / 1e6);
        std::printf("  %-46s %8.3f MB/s  (%.2f million block operations/s, %.2fx Encrypt)\n", "Decrypt 1 MiB",
                    (1 << 20) / decrypt / 1e6, 8.0 * (1 << 20) / decrypt / 1e6, encrypt / decrypt);
        std::vector<unsigned char> small = Bytes(16);
        const double call = Seconds([&] {
            for (int i = 0; i < 20000; ++i)
            {
                cipher.Encrypt(small);
            }
        }) / 20000;
        std::printf("  %-46s %8.2f us\n", "Encrypt of 16 bytes, per call", call * 1e6);
    }

    if (argc > 1)
    {
        std::wstring path;
        for (const char* c = argv[1]; *c != '\0'; ++c)
        {
            path.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*c)));
        }
        std::wstring digest;
        const double md5 = Seconds([&] { digest = Kelvo::Utilities::MD5::ComputeHash(path); }, 3);
        std::printf("MD5::ComputeHash                                 %8.3f s  %ls\n", md5, digest.c_str());
        const double sha = Seconds(
            [&] {
                const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
                digest = Kelvo::Utilities::Sha2::CalculateSHA256HashOfFile(file);
                ::CloseHandle(file);
            },
            3);
        std::printf("Sha2::CalculateSHA256HashOfFile                  %8.3f s  %ls\n", sha, digest.c_str());

        // The provider's own share: hashing as much data from memory, without any reads.
        using Kelvo::HostApi::Cryptography;
        const std::vector<unsigned char> block = Bytes(1 << 20);
        const double provider = Seconds(
            [&] {
                const auto hash = Cryptography::CreateHash(Cryptography::AcquireContext(PROV_RSA_AES), CALG_SHA_256);
                for (int i = 0; i < 256; ++i)
                {
                    Cryptography::HashData(hash, block, static_cast<DWORD>(block.size()));
                }
            },
            3);
        std::printf("Windows provider's SHA-256 of 256 MiB in memory  %8.3f s\n", provider);
    }
    return 0;
}
