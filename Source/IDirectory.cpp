#include "IDirectory.h"

namespace Kelvo {
namespace Utilities {

// Out of line, so that the DLL exports the interface's special members to its callers.
IDirectory::~IDirectory() = default;

} // namespace Utilities
} // namespace Kelvo
