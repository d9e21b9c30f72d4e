#include "Enumerator.h"

#include <utility>

namespace Kelvo {
namespace Utilities {

Enumerator::Enumerator(IIterator* begin, IIterator* end) : m_begin(begin), m_end(end)
{
}

Enumerator::Enumerator(Enumerator&& other) noexcept
    : m_begin(std::move(other.m_begin)), m_end(std::move(other.m_end))
{
}

Enumerator::~Enumerator() = default;

EnumerableIterator Enumerator::begin()
{
    return EnumerableIterator(m_begin);
}

EnumerableIterator Enumerator::end()
{
    return EnumerableIterator(m_end);
}

} // namespace Utilities
} // namespace Kelvo
