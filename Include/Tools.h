#pragma once

#include "UtilitiesExport.h"

#include <HostApi/WindowsTypes.h>

#include <string>

namespace Kelvo {
namespace Utilities {

/// Starts programs through the shell (ShellExecuteExW), optionally elevated and optionally
/// waiting for the exit code, and file probes built on whether a file opens for reading.
/// Programs start in the caller's current directory. Nothing here reports the Windows error:
/// a start that fails answers false or 0xFFFFFFFF. Owns nothing; every process handle is
/// closed before the call returns. Example: Examples/services_and_launching.cpp
class KELVO_UTILITIES_API Tools
{
public:
    /// Holds no state: the operations are static.
    Tools();
    virtual ~Tools();

    ///@{
    /// Starts path with parameters. flags: 0x1 waits for the program's end (RunWait always
    /// waits); 0x2 starts with the verb "runas" and initialises COM on the calling thread as an
    /// apartment thread, left so (a thread already in another COM model cannot start elevated).
    /// Other bits are ignored.
    /// Blanks around path and parameters are dropped; a path with a space is quoted unless it
    /// already is; a path that is empty then throws std::runtime_error.
    /// Waiting, true exactly when the program ends with exit code 0; else whether it started.
    static bool Run(const std::wstring& path, const std::wstring& parameters);
    static bool Run(int flags, const std::wstring& path, const std::wstring& parameters);
    ///@}
    ///@{
    /// Waits for the program's end and returns its exit code; 0xFFFFFFFF when it could not be
    /// started or the shell started no process of its own.
    static unsigned long RunWait(const std::wstring& path, const std::wstring& parameters);
    static unsigned long RunWait(int flags, const std::wstring& path, const std::wstring& parameters);
    ///@}

    /// `directory\<length random lower-case hexadecimal digits><extension>` that IsFileAvailable
    /// says is not there; std::runtime_error after 1000 draws that all are.
    static std::wstring GenerateFileName(const std::wstring& directory, const std::wstring& extension,
                                         unsigned int length);
    /// Whether the file opens for reading (false for directories and locked files).
    static bool IsFileAvailable(const std::wstring& path);
    /// Whether the readable file can be opened for reading and writing without sharing.
    static bool IsWritePermissonAvailable(const std::wstring& filename);
    /// Whether a new file can be created in folder; the empty probe file stays there.
    static bool IsCreatePermissonAvailable(const std::wstring& folder);

private:
    static bool Shellexecute(int flags, const std::wstring& path, const std::wstring& parameters,
                             SHELLEXECUTEINFOW& info);
    static void SafePath(std::wstring& path);
    static void SafeParameter(std::wstring& parameters);
};

} // namespace Utilities
} // namespace Kelvo
