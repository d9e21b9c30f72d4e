//
// IRegistry.cpp
//
#include "IRegistry.h"

namespace Kelvo {
namespace Utilities {

IRegistry::~IRegistry() = default;

} // namespace Utilities
} // namespace Kelvo
