//
// IUserUtilities.cpp
//
#include "IUserUtilities.h"

namespace Kelvo {
namespace Utilities {

IUserUtilities::IUserUtilities() = default;

IUserUtilities::~IUserUtilities() = default;

} // namespace Utilities
} // namespace Kelvo
