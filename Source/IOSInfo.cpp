//
// IOSInfo.cpp
//
#include "IOSInfo.h"

namespace Kelvo {
namespace Utilities {

IOSInfo::IOSInfo() = default;

IOSInfo::~IOSInfo() = default;

} // namespace Utilities
} // namespace Kelvo
