#pragma once

#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// Appends 8-bit text lines (CR LF) to a log file. With a split size set, a line that would make
/// the file larger than the limit first moves the file aside to `<name>_1<extension>`, replacing
/// the one older generation kept there.
/// Owns only the path; opens the file for each line. Example: Examples/files_ini_logs.cpp
class KELVO_UTILITIES_API FileAppender
{
public:
    /// Appends to path (nothing is opened yet); splitting is off.
    explicit FileAppender(const std::wstring& path);
    /// The same path and split size.
    FileAppender(const FileAppender& other);
    ~FileAppender();

    /// The limit in KiB; 0 (the start) switches splitting off, a negative limit never splits.
    void SetSplitSizeKb(int sizeKb);
    /// Creates the file's directory (one level) if needed. A character above U+00FF is written
    /// as '?'. Throws FileSystemException only when moving the full file aside fails; a file
    /// that cannot be written loses the line silently. A line goes in whole or not at all: a
    /// write that stops short (a disk full part-way) is cut back to where the file ended before
    /// the line, and earlier lines stay as they were.
    void AppendLine(const std::wstring& line);

private:
    int m_splitSizeKb;
    std::wstring m_path;
};

} // namespace Utilities
} // namespace Kelvo
