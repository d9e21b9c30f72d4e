#include "IEnumeratorFolder.h"

namespace Kelvo {
namespace Utilities {

// Out of line, so that the DLL exports the interface's special members to its callers.
IEnumeratorFolder::~IEnumeratorFolder() = default;

} // namespace Utilities
} // namespace Kelvo
