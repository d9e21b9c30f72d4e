#pragma once

#include "IRegistry.h"
#include "UtilitiesExport.h"

namespace Kelvo {
namespace Utilities {

/// The registry key factory: makes RegistryKey objects, without touching the registry.
/// Holds no state. Example: Examples/registry.cpp
class KELVO_UTILITIES_API Registry : public IRegistry
{
public:
    std::unique_ptr<IRegistryKey> CreateRegistryKey(ERegistryBaseKey baseKey, const std::wstring& subKey) override;
};

} // namespace Utilities
} // namespace Kelvo
