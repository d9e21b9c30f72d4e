#include "OSInfo.h"

#include "Internal/Failure.h"
#include "Language.h"
#include "StringUtilities.h"

#include <HostApi/OperatingSystem.h>

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <vector>

namespace Kelvo {
namespace Utilities {

namespace {

// The version numbers of a VerifyVersionInfoW question; fields left at NotGiven are not asked.
struct VersionQuestion
{
    unsigned long Major;
    unsigned long Minor;
    unsigned long ServicePackMajor;
    unsigned long ServicePackMinor;
};

bool Given(unsigned long value)
{
    return value != IOSInfo::NotGiven;
}

// Whether the system's version, compared on the given fields as one number, is at least asked.
bool SystemIsAtLeast(const VersionQuestion& asked)
{
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    info.dwMajorVersion = asked.Major;
    DWORD typeMask = VER_MAJORVERSION;
    DWORDLONG conditions = ::VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL);
    if (Given(asked.Minor))
    {
        info.dwMinorVersion = asked.Minor;
        typeMask |= VER_MINORVERSION;
        conditions = ::VerSetConditionMask(conditions, VER_MINORVERSION, VER_GREATER_EQUAL);
    }
    if (Given(asked.ServicePackMajor))
    {
        info.wServicePackMajor = static_cast<WORD>(asked.ServicePackMajor);
        typeMask |= VER_SERVICEPACKMAJOR;
        conditions = ::VerSetConditionMask(conditions, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    }
    if (Given(asked.ServicePackMinor))
    {
        info.wServicePackMinor = static_cast<WORD>(asked.ServicePackMinor);
        typeMask |= VER_SERVICEPACKMINOR;
        conditions = ::VerSetConditionMask(conditions, VER_SERVICEPACKMINOR, VER_GREATER_EQUAL);
    }
    return ::VerifyVersionInfoW(&info, typeMask, conditions) != FALSE;
}

const wchar_t* const VersionFailure = L"Failed to get version number";

std::wstring WithBackslash(std::wstring directory)
{
    StringUtilities::AddAtEndIfNotExists(directory, L"\\");
    return directory;
}

} // namespace

OSInfo::OSInfo() = default;

OSInfo::~OSInfo() = default;

std::wstring OSInfo::GetVersion() const
{
    const wchar_t* const file = L"kernel32.dll";
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file, &ignored);
    if (size == 0)
    {
        ThrowLastError(VersionFailure, KELVO_SITE);
    }
    std::vector<unsigned char> block(size);
    if (!::GetFileVersionInfoW(file, 0, size, block.data()))
    {
        ThrowLastError(VersionFailure, KELVO_SITE);
    }
    void* root = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\", &root, &length) || length == 0)
    {
        ThrowLastError(VersionFailure, KELVO_SITE);
    }
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(root);
    return std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionMS)) +
           L"." + std::to_wstring(HIWORD(fixed->dwFileVersionLS));
}

std::wstring OSInfo::GetLanguage() const
{
    std::wstring code;
    Language().IdToISO3166(GetUsersOSLangId(), code, false);
    return code;
}

std::wstring OSInfo::GetCountry() const
{
    std::wstring country;
    GetUsersLocale(country, false);
    return country;
}

bool OSInfo::Is64Bit() const
{
    const auto info = std::make_shared<SYSTEM_INFO>();
    HostApi::OperatingSystem::OSGetNativeSystemInfo(info);
    return info->wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
           info->wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

std::wstring OSInfo::GetBaseDirectory() const
{
    return WithBackslash(HostApi::OperatingSystem::OperatingSystemRootDirectory());
}

std::wstring OSInfo::GetTempDirectory() const
{
    return WithBackslash(HostApi::OperatingSystem::TempDirectory());
}

unsigned short OSInfo::GetUsersOSLangId() const
{
    return ::GetUserDefaultUILanguage();
}

bool OSInfo::IsAtLeastVersion(unsigned long major, unsigned long minor, unsigned long servicePackMajor,
                              unsigned long servicePackMinor) const
{
    if (!Given(major))
    {
        return false;
    }
    return SystemIsAtLeast({ major, minor, servicePackMajor, servicePackMinor });
}

bool OSInfo::Is32Bit() const
{
    return !Is64Bit();
}

bool OSInfo::IsWinXPOsGroup() const
{
    return IsWinXPWorkstation() || IsWin2003ServerGroup();
}

bool OSInfo::IsWin2003Server() const
{
    return IsVersion(5, 2, NotGiven, NotGiven) && IsServer() && ::GetSystemMetrics(SM_SERVERR2) == 0;
}

bool OSInfo::IsWin2003ServerR2() const
{
    return IsVersion(5, 2, NotGiven, NotGiven) && ::GetSystemMetrics(SM_SERVERR2) != 0;
}

bool OSInfo::IsWin2003ServerGroup() const
{
    return IsWin2003ServerR2() || IsWin2003Server();
}

bool OSInfo::IsVersion(unsigned long major, unsigned long minor, unsigned long servicePackMajor,
                       unsigned long servicePackMinor) const
{
    if (!IsAtLeastVersion(major, minor, servicePackMajor, servicePackMinor))
    {
        return false;
    }
    // Equal on the given fields means: at least this version, and below the next one.
    VersionQuestion next{ major, minor, servicePackMajor, servicePackMinor };
    if (Given(next.ServicePackMinor))
    {
        ++next.ServicePackMinor;
    }
    else if (Given(next.ServicePackMajor))
    {
        ++next.ServicePackMajor;
    }
    else if (Given(next.Minor))
    {
        ++next.Minor;
    }
    else
    {
        ++next.Major;
    }
    return !SystemIsAtLeast(next);
}

bool OSInfo::IsWinXPWorkstation() const
{
    // 64-bit Windows XP shares 5.2 with Windows Server 2003.
    if (Is64Bit() && IsWorkstation())
    {
        return IsVersion(5, 2, NotGiven, NotGiven);
    }
    return IsVersion(5, 1, NotGiven, NotGiven);
}

bool OSInfo::IsWorkstation() const
{
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    info.wProductType = VER_NT_WORKSTATION;
    const DWORDLONG conditions = ::VerSetConditionMask(0, VER_PRODUCT_TYPE, VER_EQUAL);
    return ::VerifyVersionInfoW(&info, VER_PRODUCT_TYPE, conditions) != FALSE;
}

bool OSInfo::IsServer() const
{
    return !IsWorkstation();
}

bool OSInfo::IsAtLeastWindowsVista() const
{
    return IsAtLeastVersion(6, 0, NotGiven, NotGiven);
}

bool OSInfo::IsAtLeastWindows7() const
{
    return IsAtLeastVersion(6, 1, NotGiven, NotGiven);
}

bool OSInfo::IsAtLeastWindows8() const
{
    return IsAtLeastVersion(6, 2, NotGiven, NotGiven);
}

bool OSInfo::IsAtLeastWindowsXPSP2() const
{
    return IsAtLeastVersion(5, 1, 2, NotGiven);
}

bool OSInfo::IsAtLeastWindows81() const
{
    return IsAtLeastVersion(6, 3, NotGiven, NotGiven);
}

bool OSInfo::IsAtLeastWindows10() const
{
    return IsAtLeastVersion(6, 4, NotGiven, NotGiven);
}

std::wstring OSInfo::GetCommonAppDataDirectory() const
{
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, path, CSIDL_COMMON_APPDATA, FALSE))
    {
        return std::wstring();
    }
    return path;
}

void OSInfo::GetUsersLocale(std::wstring& result, bool upperCase) const
{
    wchar_t country[MAX_PATH] = {};
    // A failure leaves the buffer empty, and an empty country is the answer.
    ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SISO3166CTRYNAME, country, MAX_PATH - 1);
    result = country;
    if (upperCase)
    {
        StringUtilities::ToUpper(result);
    }
}

} // namespace Utilities
} // namespace Kelvo
