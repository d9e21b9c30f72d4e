#pragma once

#include "IEnumeratorFolder.h"
#include "UtilitiesExport.h"

namespace Kelvo {
namespace Utilities {

/// The sub-folders or the files of one directory as a lazy sequence of entry names: one entry
/// is held at a time, however large the directory. Paths longer than MAX_PATH are listed like any
/// other. A missing or unreadable directory is an empty sequence; an empty path throws Exception
/// with code 87, a path longer than any Windows path (32,767 characters) with code 206.
/// Each Enumerator owns its search. Example: Examples/files_ini_logs.cpp
class KELVO_UTILITIES_API EnumeratorFolder : public IEnumeratorFolder
{
public:
    EnumeratorFolder() = default;
    ~EnumeratorFolder() override;

    /// Directories other than "." and "..".
    Enumerator GetSubfolders(const std::wstring& path) override;
    /// Everything that is not a directory.
    Enumerator GetFiles(const std::wstring& path) override;
};

} // namespace Utilities
} // namespace Kelvo
