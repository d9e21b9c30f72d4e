//
// IIterator.cpp
//
#include "IIterator.h"

namespace Kelvo {
namespace Utilities {

IIterator::~IIterator() = default;

} // namespace Utilities
} // namespace Kelvo
