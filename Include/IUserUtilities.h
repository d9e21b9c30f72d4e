#pragma once

#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// Who the user is: the SID text ("S-1-5-...") of the user of the active console session and of
/// the user that runs this process. An abstract class so that callers can run with a fixed
/// identity or failure (UserUtilitiesSTUB).
class KELVO_UTILITIES_API IUserUtilities
{
public:
    virtual ~IUserUtilities();

    virtual std::wstring GetUserSidFromCurrentUser() = 0;
    virtual std::wstring GetUserSidFromCurrentProcess() = 0;

protected:
    IUserUtilities();
    IUserUtilities(const IUserUtilities&) = default;
    IUserUtilities& operator=(const IUserUtilities&) = default;
};

} // namespace Utilities
} // namespace Kelvo
