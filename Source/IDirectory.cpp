//
// IDirectory.cpp
//
#include "IDirectory.h"

namespace Kelvo {
namespace Utilities {

IDirectory::~IDirectory() = default;

} // namespace Utilities
} // namespace Kelvo
