#include "IRegistry.h"

namespace Kelvo {
namespace Utilities {

// Out of line, so that the DLL exports the interface's special members to its callers.
IRegistry::~IRegistry() = default;

} // namespace Utilities
} // namespace Kelvo
