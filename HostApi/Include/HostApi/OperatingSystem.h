#pragma once

#include "HostApiExport.h"

#include "WindowsTypes.h"

#include <memory>
#include <string>

namespace Kelvo {
namespace HostApi {

/// Process, system and directory facts from Windows. Every failure throws
/// Kelvo::Utilities::Exception carrying the Windows error code.
class KELVO_HOSTAPI_API OperatingSystem
{
public:
    OperatingSystem() = delete;

    /// The pseudo-handle of the current process: valid in this process only, needs no closing.
    static HANDLE GetCurrentProcessHandle();
    /// Fills the given structure as GetNativeSystemInfo does (the real processor architecture,
    /// also in a 32-bit process on 64-bit Windows). A null pointer throws with code 87.
    static void OSGetNativeSystemInfo(const std::shared_ptr<SYSTEM_INFO>& info);
    /// The temporary directory, as GetTempPathW gives it (with a trailing backslash).
    static std::wstring TempDirectory();
    /// The Windows directory, such as `C:\Windows`.
    static std::wstring OperatingSystemRootDirectory();
    /// The memory region of process that holds address (the allocation base names the module).
    static MEMORY_BASIC_INFORMATION VirtualQuery(HANDLE process, const void* address);
};

} // namespace HostApi
} // namespace Kelvo
