#pragma once

#include "IIterator.h"
#include "UtilitiesExport.h"

#include <memory>
#include <string>

namespace Kelvo {
namespace Utilities {

/// The iterator handed out by Enumerator: a shared handle on the sequence's position.
/// Owns a share of the position; throws what IIterator throws.
/// Example: Examples/files_ini_logs.cpp
class KELVO_UTILITIES_API EnumerableIterator
{
public:
    /// Shares iterator.
    explicit EnumerableIterator(std::shared_ptr<IIterator> iterator);

    /// Whether the two positions differ (IIterator::Different).
    bool operator!=(const EnumerableIterator& other) const;
    /// The current entry (IIterator::GetData).
    std::wstring operator*() const;
    /// Advances the shared position (IIterator::Increment).
    void operator++();

private:
    std::shared_ptr<IIterator> m_iterator;
};

} // namespace Utilities
} // namespace Kelvo
