#include "IStringResourceReader.h"

namespace Kelvo {
namespace Utilities {

// Out of line, so that the DLL exports the interface's special members to its callers.
IStringResourceReader::~IStringResourceReader() = default;

} // namespace Utilities
} // namespace Kelvo
