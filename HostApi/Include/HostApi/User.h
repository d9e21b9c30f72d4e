//
// User.h
//
// The users behind sessions and processes. Every failure throws Kelvo::Utilities::Exception
// carrying the Windows error code.
//
#pragma once

#include "HostApiExport.h"

#include <memory>

namespace Kelvo {
namespace HostApi {

class KELVO_HOSTAPI_API User
{
public:
    User() = delete;

    // A primary token of the user logged on to the active console session, closed when the
    // last copy is released. Needs the right to act as part of the system (a service has it).
    static std::shared_ptr<void> GetUserHandleFromActiveSession();
};

} // namespace HostApi
} // namespace Kelvo
