#pragma once

#include "IRegistryKey.h"
#include "RegistryTypes.h"
#include "UtilitiesExport.h"

#include <memory>
#include <string>

namespace Kelvo {
namespace Utilities {

/// Makes registry key objects; an abstract class so that callers can be tested with a fake.
/// Implemented by Registry. Example: Examples/registry.cpp
class KELVO_UTILITIES_API IRegistry
{
public:
    ///@{
    /// Interfaces hold no state: constructing, copying and assigning do nothing.
    IRegistry() = default;
    IRegistry(const IRegistry&) = default;
    IRegistry& operator=(const IRegistry&) = default;
    ///@}
    virtual ~IRegistry();

    /// A key object for subKey below baseKey, owned by the caller; the registry is not touched yet.
    virtual std::unique_ptr<IRegistryKey> CreateRegistryKey(ERegistryBaseKey baseKey, const std::wstring& subKey) = 0;
};

} // namespace Utilities
} // namespace Kelvo
