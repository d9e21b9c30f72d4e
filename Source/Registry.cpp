#include "Registry.h"

#include "RegistryKey.h"

namespace Kelvo {
namespace Utilities {

std::unique_ptr<IRegistryKey> Registry::CreateRegistryKey(ERegistryBaseKey baseKey, const std::wstring& subKey)
{
    return std::unique_ptr<IRegistryKey>(new RegistryKey(baseKey, subKey));
}

} // namespace Utilities
} // namespace Kelvo
