#pragma once

#include "UtilitiesExport.h"

#include <memory>

namespace Kelvo {
namespace Utilities {

/// A shared owner of one Windows handle, copied and released as std::shared_ptr<void> is. The
/// last owner closes the handle, unless it is null or INVALID_HANDLE_VALUE, so a failed
/// creation can be wrapped unchecked.
/// Throws only when allocating the owner fails. Example: Examples/security_and_identity.cpp
class KELVO_UTILITIES_API SharedHandle : public std::shared_ptr<void>
{
public:
    /// Owns nothing.
    SharedHandle() noexcept;
    /// Takes ownership of handle; should allocating the owner fail, handle is closed.
    explicit SharedHandle(void* handle);
};

} // namespace Utilities
} // namespace Kelvo
