#include "ILanguage.h"

namespace Kelvo {
namespace Utilities {

// Out of line, so that the DLL exports the interface's special members to its callers.
ILanguage::~ILanguage() = default;

} // namespace Utilities
} // namespace Kelvo
