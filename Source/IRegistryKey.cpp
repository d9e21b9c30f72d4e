#include "IRegistryKey.h"

namespace Kelvo {
namespace Utilities {

// Out of line, so that the DLL exports the interface's special members to its callers.
IRegistryKey::~IRegistryKey() = default;

} // namespace Utilities
} // namespace Kelvo
