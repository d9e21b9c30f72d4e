#include "IUserUtilities.h"

namespace Kelvo {
namespace Utilities {

// Out of line, so that the DLL exports the interface's special members to its callers.
IUserUtilities::IUserUtilities() = default;

IUserUtilities::~IUserUtilities() = default;

} // namespace Utilities
} // namespace Kelvo
