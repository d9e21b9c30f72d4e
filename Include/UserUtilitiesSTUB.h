#pragma once

#include "IUserUtilities.h"
#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// A fixed identity for code under test: both operations answer the SID text set last, or throw
/// Exception "GetUserSidFromCurrentUser failed." with the error code set last when it is not 0.
/// Owns only its answer. Example: Examples/security_and_identity.cpp
class KELVO_UTILITIES_API UserUtilitiesSTUB : public IUserUtilities
{
public:
    /// Answers the empty SID text until SetUserSid is called.
    UserUtilitiesSTUB();
    ~UserUtilitiesSTUB() override;

    ///@{
    /// The SID text set last, or Exception "GetUserSidFromCurrentUser failed." with the error code
    /// set last when it is not 0.
    std::wstring GetUserSidFromCurrentUser() override;
    std::wstring GetUserSidFromCurrentProcess() override;
    ///@}
    /// Replaces the answer of both operations.
    void SetUserSid(std::wstring& userSid, unsigned int errorCode);

private:
    std::wstring m_userSid;
    unsigned int m_errorCode;
};

} // namespace Utilities
} // namespace Kelvo
