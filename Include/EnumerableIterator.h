#pragma once

#include "IIterator.h"
#include "UtilitiesExport.h"

#include <memory>
#include <string>

namespace Kelvo {
namespace Utilities {

/// The iterator handed out by Enumerator: a shared handle on the sequence's position.
class KELVO_UTILITIES_API EnumerableIterator
{
public:
    explicit EnumerableIterator(std::shared_ptr<IIterator> iterator);

    bool operator!=(const EnumerableIterator& other) const;
    std::wstring operator*() const;
    void operator++();

private:
    std::shared_ptr<IIterator> m_iterator;
};

} // namespace Utilities
} // namespace Kelvo
