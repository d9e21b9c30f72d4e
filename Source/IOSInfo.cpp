#include "IOSInfo.h"

namespace Kelvo {
namespace Utilities {

// Out of line, so that the DLL exports the interface's special members to its callers.
IOSInfo::IOSInfo() = default;

IOSInfo::~IOSInfo() = default;

} // namespace Utilities
} // namespace Kelvo
