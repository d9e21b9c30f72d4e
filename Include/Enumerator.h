#pragma once

#include "EnumerableIterator.h"
#include "IIterator.h"
#include "UtilitiesExport.h"

#include <memory>

namespace Kelvo {
namespace Utilities {

/// A single-pass sequence: begin() and end() hand out iterators that share the sequence's own
/// position, so advancing any of them advances them all, and a second begin() goes on where the
/// first stopped.
///
/// for (auto it = e.begin(), end = e.end(); it != end; ++it) use(*it);
class KELVO_UTILITIES_API Enumerator
{
public:
    /// Takes ownership of both iterators.
    Enumerator(IIterator* begin, IIterator* end);
    Enumerator(Enumerator&& other) noexcept;
    Enumerator(const Enumerator&) = delete;
    Enumerator& operator=(const Enumerator&) = delete;
    ~Enumerator();

    EnumerableIterator begin();
    EnumerableIterator end();

private:
    std::shared_ptr<IIterator> m_begin;
    std::shared_ptr<IIterator> m_end;
};

} // namespace Utilities
} // namespace Kelvo
