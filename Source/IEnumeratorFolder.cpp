//
// IEnumeratorFolder.cpp
//
#include "IEnumeratorFolder.h"

namespace Kelvo {
namespace Utilities {

IEnumeratorFolder::~IEnumeratorFolder() = default;

} // namespace Utilities
} // namespace Kelvo
