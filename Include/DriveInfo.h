#pragma once

#include "UtilitiesExport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// The machine's drives and their space in GB (2^30 bytes). The system drive's figures are read
/// once per object and kept; the fixed drives' sums are read anew on every call.
/// Owns no handles. Example: Examples/files_ini_logs.cpp
class KELVO_UTILITIES_API DriveInfo
{
public:
    /// Reads nothing yet.
    DriveInfo();
    /// Copies other's kept figures.
    DriveInfo& operator=(const DriveInfo& other);

    /// Roots such as `C:\`, in the order Windows gives them; empty when it cannot list them.
    std::vector<std::wstring> GetLogicalDrives();
    /// Those of them that are fixed disks (DRIVE_FIXED).
    std::vector<std::wstring> GetFixedDrives();
    ///@{
    /// The total and the free space of the drive of %SystemDrive%, read on first use. Throw
    /// Win32Exception "GetDiskFreeSpaceEx failed", or pass on the Win32Exception* of reading the
    /// variable.
    float GetTotalSystemDiskSpaceGB();
    float GetFreeSystemDiskSpaceGB();
    ///@}
    ///@{
    /// Total and free space summed over the fixed drives; a drive that cannot be read does not count.
    float GetTotalDiskSpaceGB();
    float GetFreeDiskSpaceGB();
    ///@}

protected:
    /// Reads the system drive's figures into the object (throws as GetTotalSystemDiskSpaceGB).
    void UpdateSystemDiskSpace();
    /// Reads the fixed drives' sums into the object.
    void UpdateTotalDiskSpace();

private:
    std::uint64_t m_systemTotal;
    std::uint64_t m_systemFree;
    std::uint64_t m_fixedTotal;
    std::uint64_t m_fixedFree;
};

} // namespace Utilities
} // namespace Kelvo
