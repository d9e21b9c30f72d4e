// MD5 and SHA-256 of files against the system's md5sum and sha256sum (SystemDigests.h, generated
// at build time), their failures, and the HostApi operations under them.
#include <Exception.h>
#include <FileSystemException.h>
#include <MD5.h>
#include <Sha2.h>
#include <HostApi/Cryptography.h>
#include <HostApi/FileSystemOperation.h>

#include "FileSystemTest.h"
#include "SystemDigests.h"
#include "TestSupport.h"

#include <wincrypt.h>

#include <thread>
#include <type_traits>

using Kelvo::HostApi::Cryptography;
using Kelvo::HostApi::UniqueKernelHandle;
using Kelvo::Utilities::Exception;
using Kelvo::Utilities::MD5;
using Kelvo::Utilities::Sha2;

namespace {

UniqueKernelHandle Open(const std::wstring& path, DWORD access, DWORD share)
{
    return UniqueKernelHandle(::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr));
}

// The system error code of MD5's failure for path, which names path alone; what() must hold expected.
int Md5FailureCode(const std::wstring& path, const char* expected)
{
    const auto e = TestSupport::Caught<Kelvo::Utilities::FileSystemException>([&] { MD5::ComputeHash(path); });
    EXPECT_EQ(&std::system_category(), &e.code().category());
    EXPECT_EQ(path, e.path1().wstring());
    EXPECT_TRUE(e.path2().empty());
    EXPECT_NE(std::string::npos, std::string(e.what()).find(expected)) << e.what();
    return e.code().value();
}

std::wstring Write(const std::wstring& path, const std::string& content)
{
    Kelvo::Utilities::File::WriteAllBytes(path, std::vector<unsigned char>(content.begin(), content.end()));
    return path;
}

// Every test owns a fresh directory of its own.
using HashFiles = FileSystemTest;

} // namespace

TEST_F(HashFiles, DigestsAgreeWithTheSystemToolsAndSha256ReadsFromThePosition)
{
    // Files of n bytes where byte i is i mod 251, as Support/SystemDigests.sh makes them.
    for (const SystemDigest& expected : SystemDigests)
    {
        std::string bytes(expected.size, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i)
        {
            bytes[i] = static_cast<char>(i % 251);
        }
        const std::wstring path = Write(In(std::to_wstring(expected.size) + L".bin"), bytes);
        EXPECT_EQ(expected.md5, MD5::ComputeHash(path)) << expected.size << " bytes";
        EXPECT_EQ(expected.sha256, Sha2::CalculateSHA256HashOfFile(Open(path, GENERIC_READ, FILE_SHARE_READ).Get()))
            << expected.size << " bytes";
    }

    // SHA-256 reads from the handle's position to the end ("abc") and leaves the handle open there.
    const UniqueKernelHandle file = Open(Write(In(L"xyzabc.txt"), "xyzabc"), GENERIC_READ, FILE_SHARE_READ);
    LARGE_INTEGER position{};
    position.QuadPart = 3;
    ASSERT_TRUE(::SetFilePointerEx(file.Get(), position, nullptr, FILE_BEGIN));
    EXPECT_EQ(L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", Sha2::CalculateSHA256HashOfFile(file.Get()));
    ASSERT_TRUE(::SetFilePointerEx(file.Get(), LARGE_INTEGER{}, &position, FILE_CURRENT));
    EXPECT_EQ(6, position.QuadPart);
    EXPECT_EQ(SystemDigests[0].sha256, Sha2::CalculateSHA256HashOfFile(file.Get())); // of the empty file

    // HostApi's failure arrives unchanged: a handle without read access.
    const UniqueKernelHandle writeOnly = Open(Write(In(L"w.txt"), "w"), GENERIC_WRITE, 0);
    const Exception e = TestSupport::Caught<Exception>([&] { Sha2::CalculateSHA256HashOfFile(writeOnly.Get()); });
    EXPECT_EQ(L"ReadFile failed (ErrorCode: 5)", e.GetFullMessage());
    EXPECT_EQ(0u, e.GetSourceLocation().rfind(L"HostApi\\Source\\FileSystemOperation Line:", 0));
}

TEST_F(HashFiles, Md5FailuresCarryThePathAndTheCodeAndCloseTheFile)
{
    EXPECT_EQ(2, Md5FailureCode(In(L"missing.bin"), "CreateFile failed"));

    // Only other readers are tolerated: a writer that shares nothing keeps MD5 out.
    const std::wstring locked = Write(In(L"locked.bin"), "abc");
    {
        const UniqueKernelHandle writer = Open(locked, GENERIC_WRITE, 0);
        ASSERT_TRUE(writer.IsValid());
        EXPECT_EQ(ERROR_SHARING_VIOLATION, Md5FailureCode(locked, "CreateFile failed"));
    }
    UniqueKernelHandle reader = Open(locked, GENERIC_READ, FILE_SHARE_READ);
    EXPECT_EQ(L"900150983CD24FB0D6963F7D28E17F72", MD5::ComputeHash(locked));
    reader.Reset();

    // Closed after success: nobody holds the file any more.
    EXPECT_TRUE(Open(locked, GENERIC_WRITE, 0).IsValid());

    // A pipe whose server goes away after sending three bytes: the read after them fails.
    const std::wstring name = L"\\\\.\\pipe\\KelvoHashTests-" + std::to_wstring(::GetCurrentProcessId());
    UniqueKernelHandle server(
        ::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr));
    ASSERT_TRUE(server.IsValid());
    std::thread sender([&server] {
        ::ConnectNamedPipe(server.Get(), nullptr);
        DWORD written = 0;
        ::WriteFile(server.Get(), "abc", 3, &written, nullptr);
        ::FlushFileBuffers(server.Get()); // until the client has read them
        server.Reset();
    });
    // Handles are given out lowest free value first: MD5's file takes the value just released.
    const HANDLE next = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ::CloseHandle(next);
    const int code = Md5FailureCode(name, "ReadFile failed");
    sender.join();
    DWORD flags = 0;
    EXPECT_FALSE(::GetHandleInformation(next, &flags)) << "the file was not closed";
    EXPECT_EQ(ERROR_BROKEN_PIPE, code);
}

TEST(HostApiCryptography, OperationsCheckTheirArgumentsAndGrowTheirBuffers)
{
    const auto errorCodeOf = [](auto call) {
        const Exception e = TestSupport::Caught<Exception>(call);
        EXPECT_EQ(0u, e.GetSourceLocation().rfind(L"HostApi\\Source\\", 0));
        return e.GetErrorCode();
    };

    // Both are held by std::shared_ptr<unsigned int>, but one cannot stand in for the other.
    static_assert(std::is_convertible_v<Kelvo::HostApi::CryptoHash, std::shared_ptr<unsigned int>>);
    static_assert(!std::is_convertible_v<Kelvo::HostApi::CryptoProvider, Kelvo::HostApi::CryptoHash>);
    static_assert(!std::is_convertible_v<Kelvo::HostApi::CryptoHash, Kelvo::HostApi::CryptoProvider>);
    auto context = Cryptography::AcquireContext(PROV_RSA_AES);
    const auto hash = Cryptography::CreateHash(context, CALG_SHA_256);
    context.reset(); // the hash keeps its context alive

    const std::vector<unsigned char> three{ 'a', 'b', 'c' };
    EXPECT_EQ(87u, errorCodeOf([&] { Cryptography::HashData(hash, three, 4); }));
    EXPECT_EQ(87u, errorCodeOf([&] { Cryptography::HashData(nullptr, three, 3); }));
    EXPECT_EQ(87u, errorCodeOf([&] { Cryptography::CreateHash(nullptr, CALG_SHA_256); }));
    EXPECT_EQ(static_cast<std::uint64_t>(static_cast<DWORD>(NTE_BAD_ALGID)),
              errorCodeOf([] { Cryptography::CreateHash(Cryptography::AcquireContext(PROV_RSA_AES), 0x1234); }));

    std::vector<unsigned char> digest{ 0xEE };
    DWORD length = 0;
    EXPECT_EQ(static_cast<std::uint64_t>(static_cast<DWORD>(NTE_BAD_TYPE)),
              errorCodeOf([&] { Cryptography::GetHashParam(hash, 0x1234, digest, length); }));
    EXPECT_EQ(std::vector<unsigned char>{ 0xEE }, digest);
    EXPECT_EQ(0u, length);

    // Nothing was hashed by the refused calls; an empty offer grows to the 32-byte digest.
    Cryptography::GetHashParam(hash, HP_HASHVAL, digest, length);
    EXPECT_EQ(32u, length);
    ASSERT_EQ(32u, digest.size());
    EXPECT_EQ(0xE3, digest[0]);
    EXPECT_EQ(0x55, digest[31]);

    DWORD read = 77;
    std::vector<unsigned char> buffer(8);
    EXPECT_EQ(87u, errorCodeOf([&] { Kelvo::HostApi::FileSystemOperation::FileRead(::GetCurrentProcess(), buffer, 9, read); }));
    EXPECT_EQ(77u, read);
}
