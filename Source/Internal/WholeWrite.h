// Writing a buffer whole through one file handle, for the writers of this DLL that must tell a
// write that stopped short.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>

namespace Kelvo {
namespace Utilities {

// Writes the bytes at the handle's position, in pieces that fit WriteFile's 32-bit counts. False
// when not everything was written; the last error is then WriteFile's, or ERROR_DISK_FULL when
// WriteFile took fewer bytes without reporting an error, which a disk filling up part-way does.
inline bool WriteWhole(HANDLE file, const unsigned char* data, std::size_t size)
{
    const DWORD largestTransfer = 1u << 30;
    for (std::size_t done = 0; done < size;)
    {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, largestTransfer));
        DWORD written = 0;
        if (!::WriteFile(file, data + done, chunk, &written, nullptr))
        {
            return false;
        }
        if (written != chunk)
        {
            ::SetLastError(ERROR_DISK_FULL);
            return false;
        }
        done += written;
    }
    return true;
}

} // namespace Utilities
} // namespace Kelvo
