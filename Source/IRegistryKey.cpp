//
// IRegistryKey.cpp
//
#include "IRegistryKey.h"

namespace Kelvo {
namespace Utilities {

IRegistryKey::~IRegistryKey() = default;

} // namespace Utilities
} // namespace Kelvo
