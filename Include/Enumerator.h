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
/// `for (auto it = e.begin(), end = e.end(); it != end; ++it) use(*it);`
///
/// Owns both iterators; throws what they throw. Example: Examples/files_ini_logs.cpp
class KELVO_UTILITIES_API Enumerator
{
public:
    /// Takes ownership of both iterators.
    Enumerator(IIterator* begin, IIterator* end);
    /// Takes other's iterators; other is left empty.
    Enumerator(Enumerator&& other) noexcept;
    Enumerator(const Enumerator&) = delete;
    Enumerator& operator=(const Enumerator&) = delete;
    ~Enumerator();

    /// An iterator on the sequence's current position.
    EnumerableIterator begin();
    /// The end of the sequence.
    EnumerableIterator end();

private:
    std::shared_ptr<IIterator> m_begin;
    std::shared_ptr<IIterator> m_end;
};

} // namespace Utilities
} // namespace Kelvo
