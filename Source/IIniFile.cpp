#include "IIniFile.h"

namespace Kelvo {
namespace Utilities {

// Out of line, so that the DLL exports the interface's special members to its callers.
IIniFile::~IIniFile() = default;

} // namespace Utilities
} // namespace Kelvo
