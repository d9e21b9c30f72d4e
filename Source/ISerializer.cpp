#include "ISerializer.h"

namespace Kelvo {
namespace Utilities {

// Out of line, so that the DLL exports the interface's special members to its callers.
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

ISerializer::~ISerializer() = default;

} // namespace Utilities
} // namespace Kelvo
