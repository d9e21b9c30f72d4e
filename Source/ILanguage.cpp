//
// ILanguage.cpp
//
#include "ILanguage.h"

namespace Kelvo {
namespace Utilities {

ILanguage::~ILanguage() = default;

} // namespace Utilities
} // namespace Kelvo
