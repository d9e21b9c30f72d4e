//
// FileSystemOperation.h
//
// File reads and other file-system calls. Every failure throws Kelvo::Utilities::Exception
// carrying the Windows error code.
//
#pragma once

#include "HostApiExport.h"

#include <windows.h>

#include <vector>

namespace Kelvo {
namespace HostApi {

class KELVO_HOSTAPI_API FileSystemOperation
{
public:
    FileSystemOperation() = delete;

    // Reads up to bytesToRead bytes from the file's current position into the start of buffer
    // and sets bytesRead (0 at the end of the file). bytesToRead beyond the buffer's size throws
    // with 87; on failure bytesRead is left as it was.
    static void FileRead(HANDLE file, std::vector<unsigned char>& buffer, DWORD bytesToRead, DWORD& bytesRead);
};

} // namespace HostApi
} // namespace Kelvo
