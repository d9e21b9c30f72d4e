//
// FileSystemOperation.cpp
//
#include "HostApi/FileSystemOperation.h"

#include "Failure.h"

namespace Kelvo {
namespace HostApi {

void FileSystemOperation::FileRead(HANDLE file, std::vector<unsigned char>& buffer, DWORD bytesToRead, DWORD& bytesRead)
{
    if (bytesToRead > buffer.size())
    {
        ThrowFailure(L"ReadFile", ERROR_INVALID_PARAMETER, HOSTAPI_AT(FileSystemOperation));
    }
    DWORD read = 0;
    if (!::ReadFile(file, buffer.data(), bytesToRead, &read, nullptr))
    {
        ThrowLastError(L"ReadFile", HOSTAPI_AT(FileSystemOperation));
    }
    bytesRead = read;
}

} // namespace HostApi
} // namespace Kelvo
