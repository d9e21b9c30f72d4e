#include "DriveInfo.h"

#include "Environment.h"
#include "Win32Exception.h"

#include <windows.h>

namespace Kelvo {
namespace Utilities {

namespace {

float InGigabytes(std::uint64_t bytes)
{
    return static_cast<float>(bytes) / 1073741824.0f;
}

// Total and free bytes of the disk that holds directory; false when Windows cannot tell.
bool ReadDiskSpace(const std::wstring& directory, std::uint64_t& total, std::uint64_t& free)
{
    ULARGE_INTEGER totalBytes{}, freeBytes{};
    if (!::GetDiskFreeSpaceExW(directory.c_str(), nullptr, &totalBytes, &freeBytes))
    {
        return false;
    }
    total = totalBytes.QuadPart;
    free = freeBytes.QuadPart;
    return true;
}

} // namespace

DriveInfo::DriveInfo() : m_systemTotal(0), m_systemFree(0), m_fixedTotal(0), m_fixedFree(0)
{
}

DriveInfo& DriveInfo::operator=(const DriveInfo& other) = default;

std::vector<std::wstring> DriveInfo::GetLogicalDrives()
{
    std::wstring roots;
    for (DWORD needed = ::GetLogicalDriveStringsW(0, nullptr); needed != 0;)
    {
        roots.assign(needed, L'\0');
        const DWORD length = ::GetLogicalDriveStringsW(needed, &roots[0]);
        // A drive that appeared meanwhile asks for more room.
        if (length < needed)
        {
            roots.resize(length);
            break;
        }
        roots.clear();
        needed = length;
    }
    std::vector<std::wstring> drives;
    for (std::size_t start = 0; start < roots.size();)
    {
        const std::size_t end = roots.find(L'\0', start);
        const std::wstring drive = roots.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (!drive.empty())
        {
            drives.push_back(drive);
        }
        start = end == std::wstring::npos ? roots.size() : end + 1;
    }
    return drives;
}

std::vector<std::wstring> DriveInfo::GetFixedDrives()
{
    std::vector<std::wstring> fixed;
    for (const std::wstring& drive : GetLogicalDrives())
    {
        if (::GetDriveTypeW(drive.c_str()) == DRIVE_FIXED)
        {
            fixed.push_back(drive);
        }
    }
    return fixed;
}

float DriveInfo::GetTotalSystemDiskSpaceGB()
{
    UpdateSystemDiskSpace();
    return InGigabytes(m_systemTotal);
}

float DriveInfo::GetFreeSystemDiskSpaceGB()
{
    UpdateSystemDiskSpace();
    return InGigabytes(m_systemFree);
}

float DriveInfo::GetTotalDiskSpaceGB()
{
    UpdateTotalDiskSpace();
    return InGigabytes(m_fixedTotal);
}

float DriveInfo::GetFreeDiskSpaceGB()
{
    UpdateTotalDiskSpace();
    return InGigabytes(m_fixedFree);
}

void DriveInfo::UpdateSystemDiskSpace()
{
    if (m_systemTotal != 0)
    {
        return;
    }
    const std::wstring systemDrive = Environment().GetEnvironmentVariableW(L"SystemDrive");
    if (!ReadDiskSpace(systemDrive, m_systemTotal, m_systemFree))
    {
        throw Win32Exception("GetDiskFreeSpaceEx failed");
    }
}

void DriveInfo::UpdateTotalDiskSpace()
{
    m_fixedTotal = 0;
    m_fixedFree = 0;
    for (const std::wstring& drive : GetFixedDrives())
    {
        std::uint64_t total = 0, free = 0;
        if (ReadDiskSpace(drive, total, free))
        {
            m_fixedTotal += total;
            m_fixedFree += free;
        }
    }
}

} // namespace Utilities
} // namespace Kelvo
