#pragma once

#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// Questions about the running Windows system: version and version predicates, bitness, the
/// user's UI language and country, and special directories. An abstract class so that callers
/// can be tested with a fake; objects are never deleted through it (its destructor is protected).
/// Implemented by OSInfo. Example: Examples/services_and_launching.cpp
class KELVO_UTILITIES_API IOSInfo
{
public:
    /// In the version arguments, this value means "not given".
    static constexpr unsigned long NotGiven = 0xFFFFFFFFul;

    /// The system's version as "major.minor.build".
    virtual std::wstring GetVersion() const = 0;
    /// The product line's code of the user's UI language (see ILanguage); empty when it has none.
    virtual std::wstring GetLanguage() const = 0;
    /// The two-letter country of the user's locale; empty when there is none.
    virtual std::wstring GetCountry() const = 0;
    /// Whether the processor architecture is 64-bit (x64 or Itanium), also in a 32-bit process.
    virtual bool Is64Bit() const = 0;
    /// The Windows directory, with a trailing backslash.
    virtual std::wstring GetBaseDirectory() const = 0;
    /// The temporary directory, with a trailing backslash.
    virtual std::wstring GetTempDirectory() const = 0;
    /// The user's UI language identifier (GetUserDefaultUILanguage).
    virtual unsigned short GetUsersOSLangId() const = 0;
    /// Whether the system is at least major.minor with that service pack; NotGiven skips a field.
    virtual bool IsAtLeastVersion(unsigned long major, unsigned long minor, unsigned long servicePackMajor,
                                  unsigned long servicePackMinor) const = 0;
    /// Not Is64Bit().
    virtual bool Is32Bit() const = 0;
    /// Windows XP workstation, Server 2003 or Server 2003 R2.
    virtual bool IsWinXPOsGroup() const = 0;
    /// Windows Server 2003 (version 5.2, a server, not R2).
    virtual bool IsWin2003Server() const = 0;
    /// Windows Server 2003 R2 (version 5.2 with the R2 system metric).
    virtual bool IsWin2003ServerR2() const = 0;
    /// Server 2003 or Server 2003 R2.
    virtual bool IsWin2003ServerGroup() const = 0;
    /// Whether the system is exactly that version on the given fields; NotGiven skips a field.
    virtual bool IsVersion(unsigned long major, unsigned long minor, unsigned long servicePackMajor,
                           unsigned long servicePackMinor) const = 0;
    /// Windows XP workstation (5.1; 5.2 for 64-bit XP).
    virtual bool IsWinXPWorkstation() const = 0;
    /// Whether the system is a workstation (not a server or domain controller).
    virtual bool IsWorkstation() const = 0;
    /// Not IsWorkstation().
    virtual bool IsServer() const = 0;
    ///@{
    /// Whether the system is at least that Windows version (XP SP2 is 5.1 with service pack 2).
    virtual bool IsAtLeastWindowsVista() const = 0;
    virtual bool IsAtLeastWindows7() const = 0;
    virtual bool IsAtLeastWindows8() const = 0;
    virtual bool IsAtLeastWindowsXPSP2() const = 0;
    virtual bool IsAtLeastWindows81() const = 0;
    virtual bool IsAtLeastWindows10() const = 0;
    ///@}
    /// The all-users application-data directory; empty when Windows has none.
    virtual std::wstring GetCommonAppDataDirectory() const = 0;

protected:
    ///@{
    /// Interfaces hold no state: constructing, copying and assigning do nothing.
    IOSInfo();
    IOSInfo(const IOSInfo&) = default;
    IOSInfo& operator=(const IOSInfo&) = default;
    ///@}
    ~IOSInfo();
};

} // namespace Utilities
} // namespace Kelvo
