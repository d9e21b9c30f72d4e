#pragma once

#include "UtilitiesExport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// The machine's drives and their space in GB (2^30 bytes). The system drive's figures are read
/// once per object and kept; the fixed drives' sums are read anew on every call.
class KELVO_UTILITIES_API DriveInfo
{
public:
    DriveInfo();
    DriveInfo& operator=(const DriveInfo& other);

    /// Roots such as C:\, in the order Windows gives them; empty when it cannot list them.
    std::vector<std::wstring> GetLogicalDrives();
    /// Those of them that are fixed disks (DRIVE_FIXED).
    std::vector<std::wstring> GetFixedDrives();
    /// The drive of %SystemDrive%. Throws Win32Exception "GetDiskFreeSpaceEx failed", or passes
    /// on the Win32Exception* of reading the variable.
    float GetTotalSystemDiskSpaceGB();
    float GetFreeSystemDiskSpaceGB();
    /// Sums over the fixed drives; a drive that cannot be read does not count.
    float GetTotalDiskSpaceGB();
    float GetFreeDiskSpaceGB();

protected:
    void UpdateSystemDiskSpace();
    void UpdateTotalDiskSpace();

private:
    std::uint64_t m_systemTotal;
    std::uint64_t m_systemFree;
    std::uint64_t m_fixedTotal;
    std::uint64_t m_fixedFree;
};

} // namespace Utilities
} // namespace Kelvo
