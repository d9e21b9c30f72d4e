#include "EnumerableIterator.h"

#include <utility>

namespace Kelvo {
namespace Utilities {

EnumerableIterator::EnumerableIterator(std::shared_ptr<IIterator> iterator) : m_iterator(std::move(iterator))
{
}

bool EnumerableIterator::operator!=(const EnumerableIterator& other) const
{
    return m_iterator->Different(other.m_iterator.get());
}

std::wstring EnumerableIterator::operator*() const
{
    return m_iterator->GetData();
}

void EnumerableIterator::operator++()
{
    m_iterator->Increment();
}

} // namespace Utilities
} // namespace Kelvo
