//
// ISerializer.cpp
//
#include "ISerializer.h"

namespace Kelvo {
namespace Utilities {

ISerializer::ISerializer()
{
}

ISerializer::ISerializer(const ISerializer&)
{
}

ISerializer& ISerializer::operator=(const ISerializer&)
{
    return *this;
}

} // namespace Utilities
} // namespace Kelvo
