#pragma once

#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// Questions about the running Windows system: version and version predicates, bitness, the
/// user's UI language and country, and special directories. An abstract class so that callers
/// can be tested with a fake; objects are never deleted through it (its destructor is protected).
class KELVO_UTILITIES_API IOSInfo
{
public:
    /// In the version arguments, this value means "not given".
    static constexpr unsigned long NotGiven = 0xFFFFFFFFul;

    virtual std::wstring GetVersion() const = 0;
    virtual std::wstring GetLanguage() const = 0;
    virtual std::wstring GetCountry() const = 0;
    virtual bool Is64Bit() const = 0;
    virtual std::wstring GetBaseDirectory() const = 0;
    virtual std::wstring GetTempDirectory() const = 0;
    virtual unsigned short GetUsersOSLangId() const = 0;
    virtual bool IsAtLeastVersion(unsigned long major, unsigned long minor, unsigned long servicePackMajor,
                                  unsigned long servicePackMinor) const = 0;
    virtual bool Is32Bit() const = 0;
    virtual bool IsWinXPOsGroup() const = 0;
    virtual bool IsWin2003Server() const = 0;
    virtual bool IsWin2003ServerR2() const = 0;
    virtual bool IsWin2003ServerGroup() const = 0;
    virtual bool IsVersion(unsigned long major, unsigned long minor, unsigned long servicePackMajor,
                           unsigned long servicePackMinor) const = 0;
    virtual bool IsWinXPWorkstation() const = 0;
    virtual bool IsWorkstation() const = 0;
    virtual bool IsServer() const = 0;
    virtual bool IsAtLeastWindowsVista() const = 0;
    virtual bool IsAtLeastWindows7() const = 0;
    virtual bool IsAtLeastWindows8() const = 0;
    virtual bool IsAtLeastWindowsXPSP2() const = 0;
    virtual bool IsAtLeastWindows81() const = 0;
    virtual bool IsAtLeastWindows10() const = 0;
    virtual std::wstring GetCommonAppDataDirectory() const = 0;

protected:
    IOSInfo();
    IOSInfo(const IOSInfo&) = default;
    IOSInfo& operator=(const IOSInfo&) = default;
    ~IOSInfo();
};

} // namespace Utilities
} // namespace Kelvo
