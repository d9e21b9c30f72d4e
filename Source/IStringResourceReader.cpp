//
// IStringResourceReader.cpp
//
#include "IStringResourceReader.h"

namespace Kelvo {
namespace Utilities {

IStringResourceReader::~IStringResourceReader() = default;

} // namespace Utilities
} // namespace Kelvo
