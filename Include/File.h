#pragma once

#include "UtilitiesExport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// How File::Move treats an existing destination.
enum FileOperationFlags : std::uint32_t
{
    /// Move fails when the destination exists.
    FileOperationNone = 0,
    /// Move may replace an existing destination.
    FileOperationReplaceExisting = 1
};

/// Whole-file operations on one path: bytes, 8-bit lines (byte 0xNN is U+00NN, CR LF line ends),
/// UTF-16 lines (FF FE, then each line and U+000A), size, delete, move, temporary files, new file
/// names, and two permission probes. Failures of the byte and file operations throw
/// FileSystemException with the Windows error; the line readers and writers and the probes
/// never throw for input or output errors.
/// Static functions; every handle opened is closed before the call returns.
/// Example: Examples/files_ini_logs.cpp
class KELVO_UTILITIES_API File
{
public:
    /// Files of 4 GiB or more throw FileSystemException with ERROR_FILE_TOO_LARGE (223); a file that
    /// cannot be opened throws "CreateFile failed." with the Windows error.
    static std::vector<unsigned char> ReadAllBytes(const std::wstring& path);
    /// Creates or truncates the file; throws FileSystemException "CreateFile failed." or "Could not
    /// write all bytes. FileName:".
    static void WriteAllBytes(const std::wstring& path, std::vector<unsigned char> bytes);
    /// Lines end at CR LF or LF; a byte 0x1A ends the text; an unreadable file gives no lines.
    static std::vector<std::wstring> ReadAllLines(const std::wstring& path);
    /// Each line and CR LF; a character above U+00FF is written as '?'.
    static void WriteAllLines(const std::wstring& path, std::vector<std::wstring> lines);
    /// A byte-order mark picks the byte order (big-endian without one); pairs stay two code units.
    static std::vector<std::wstring> ReadAllUnicodeLines(const std::wstring& path);
    /// FF FE, then each line and U+000A; an output error is not reported.
    static void WriteAllUnicodeLines(const std::wstring& path, std::vector<std::wstring> lines);
    /// Creates a new empty file in the temporary directory and returns its full path.
    static std::wstring GetTempFileNameW();
    /// 0 when the size cannot be had.
    static std::uint64_t GetSize(const std::wstring& path);
    /// A missing file counts as deleted; a file in a missing folder (code 3), a directory or a
    /// locked file throws FileSystemException "DeleteFile failed.".
    static void Delete(const std::wstring& path);
    ///@{
    /// Moves source to destination (replacing it only with FileOperationReplaceExisting); throws
    /// FileSystemException "CopyFile failed." with both paths, source untouched.
    static void Move(const std::wstring& source, std::wstring destination);
    static void Move(const std::wstring& source, std::wstring destination, FileOperationFlags flags);
    ///@}
    /// False for directories.
    static bool Exists(const std::wstring& path);
    /// `directory\<length random lower-case hexadecimal digits><extension>`, not existing yet.
    static std::wstring GenerateNewFileName(const std::wstring& directory, const std::wstring& extension,
                                            unsigned int length);
    /// Whether the existing file can be opened for reading and writing without sharing.
    static bool IsWritePermissonAvailable(const std::wstring& filename);
    /// Whether a new file can be created in folder; the empty probe file stays there.
    static bool IsCreatePermissonAvailable(const std::wstring& folder);
};

} // namespace Utilities
} // namespace Kelvo
