//
// IIniFile.cpp
//
#include "IIniFile.h"

namespace Kelvo {
namespace Utilities {

IIniFile::~IIniFile() = default;

} // namespace Utilities
} // namespace Kelvo
