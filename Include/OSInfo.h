#pragma once

#include "IOSInfo.h"
#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// The running Windows system as it is now: every call asks the system afresh, nothing is
/// cached. The composite predicates call the basic ones through the virtual table, so a subclass
/// that overrides a basic predicate changes the composites as well.
/// Owns nothing; the failures are GetVersion's and those HostApi passes on (its Exception).
/// Example: Examples/services_and_launching.cpp
class KELVO_UTILITIES_API OSInfo : public IOSInfo
{
public:
    /// Asks nothing yet.
    OSInfo();

    /// kernel32.dll's file version as "major.minor.build". Throws Exception "Failed to get
    /// version number" with the Windows error code.
    std::wstring GetVersion() const override;
    /// The code of the user's UI language (see Language); empty for a language without one.
    std::wstring GetLanguage() const override;
    /// The two-letter ISO 3166 country of the user's locale; empty when Windows has none.
    std::wstring GetCountry() const override;
    bool Is64Bit() const override;
    /// The Windows directory, with a trailing backslash.
    std::wstring GetBaseDirectory() const override;
    /// The temporary directory, with a trailing backslash.
    std::wstring GetTempDirectory() const override;
    unsigned short GetUsersOSLangId() const override;
    /// Whether the system is at least the given version, compared on the given fields (major
    /// always; minor, service-pack major and minor unless NotGiven) as one version number.
    bool IsAtLeastVersion(unsigned long major, unsigned long minor, unsigned long servicePackMajor,
                          unsigned long servicePackMinor) const override;
    bool Is32Bit() const override;
    bool IsWinXPOsGroup() const override;
    bool IsWin2003Server() const override;
    bool IsWin2003ServerR2() const override;
    bool IsWin2003ServerGroup() const override;
    /// Whether the system's version equals the given one on the given fields.
    bool IsVersion(unsigned long major, unsigned long minor, unsigned long servicePackMajor,
                   unsigned long servicePackMinor) const override;
    bool IsWinXPWorkstation() const override;
    bool IsWorkstation() const override;
    bool IsServer() const override;
    bool IsAtLeastWindowsVista() const override;
    bool IsAtLeastWindows7() const override;
    bool IsAtLeastWindows8() const override;
    bool IsAtLeastWindowsXPSP2() const override;
    bool IsAtLeastWindows81() const override;
    /// Asks for version 6.4 (Windows 10 reports 10.0, which passes; 8.1 reports 6.3).
    bool IsAtLeastWindows10() const override;
    /// The all-users application-data directory, without a trailing backslash; empty when
    /// Windows has none.
    std::wstring GetCommonAppDataDirectory() const override;

    virtual ~OSInfo();

private:
    void GetUsersLocale(std::wstring& result, bool upperCase) const;
};

} // namespace Utilities
} // namespace Kelvo
