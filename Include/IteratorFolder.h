#pragma once

#include "IIterator.h"
#include "UtilitiesExport.h"

#include <memory>
#include <string>

namespace Kelvo {
namespace Utilities {

/// A position in a directory search: the folders only or the non-folders only, never "." or
/// "..". Every finished, failed or default-made iterator is the end. The search is closed when
/// it ends or when the iterator goes.
/// Owns its search handle; only Different throws. Example: Examples/files_ini_logs.cpp
class KELVO_UTILITIES_API IteratorFolder : public IIterator
{
public:
    /// Starts the search; a pattern that finds nothing gives the end at once.
    IteratorFolder(const std::wstring& searchPattern, bool folders);
    /// The end.
    IteratorFolder();
    IteratorFolder(const IteratorFolder&) = delete;
    IteratorFolder& operator=(const IteratorFolder&) = delete;
    ~IteratorFolder() override;

    /// other must be an IteratorFolder, else std::runtime_error "invalid iterator conversion".
    bool Different(IIterator* other) override;
    /// Moves to the next entry of its kind; the end stays the end.
    void Increment() override;
    /// The current entry's name.
    std::wstring GetData() override;

private:
    struct SearchState;

    bool ShouldSkipCurrentPosition();
    // Moves to the next entry, closing the search when there is none.
    void Advance();

    std::unique_ptr<SearchState> m_search;
    bool m_folders;
};

} // namespace Utilities
} // namespace Kelvo
