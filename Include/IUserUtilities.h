#pragma once

#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// Who the user is: the SID text ("S-1-5-...") of the user of the active console session and of
/// the user that runs this process. An abstract class so that callers can run with a fixed
/// identity or failure (UserUtilitiesSTUB).
/// Implemented by UserUtilities and UserUtilitiesSTUB. Example: Examples/security_and_identity.cpp
class KELVO_UTILITIES_API IUserUtilities
{
public:
    virtual ~IUserUtilities();

    /// The SID text of the user logged on at the active console session.
    virtual std::wstring GetUserSidFromCurrentUser() = 0;
    /// The SID text of the user that runs this process.
    virtual std::wstring GetUserSidFromCurrentProcess() = 0;

protected:
    ///@{
    /// Interfaces hold no state: constructing, copying and assigning do nothing.
    IUserUtilities();
    IUserUtilities(const IUserUtilities&) = default;
    IUserUtilities& operator=(const IUserUtilities&) = default;
///@}
};

} // namespace Utilities
} // namespace Kelvo
