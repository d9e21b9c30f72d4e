#pragma once

#include "SourceLocation.h"
#include "UtilitiesExport.h"

#include <cstdint>
#include <exception>
#include <string>

namespace Kelvo {
namespace Utilities {

/// The library's own exception: a wide message, the Windows (or platform-call) error code that
/// caused the failure when there is one, and the throw site. Thrown by value; callers read it
/// through the wide getters, since what() deliberately carries no message.
/// Owns its strings; building one throws only std::bad_alloc. Not a base of Win32Exception
/// or FileSystemException: catch std::exception for all three. Print GetFullMessage().
/// Example: every program in Examples/.
class KELVO_UTILITIES_API Exception : public std::exception
{
public:
    /// The error code of an exception built without one.
    static constexpr std::uint64_t NoErrorCode = 0xFFFFFFFFFFFFFFFFull;

    /// A failure without a Windows code: the error code is NoErrorCode, the full message the message.
    Exception(const std::wstring& message, const SourceLocation& where);
    /// A failure with errorCode; the full message is message " (ErrorCode: N)".
    Exception(const std::wstring& message, std::uint64_t errorCode, const SourceLocation& where);
    ///@{
    /// Copies the code and the three texts.
    Exception(const Exception& other);
    Exception& operator=(const Exception& other);
    ///@}
    virtual ~Exception();

    /// The message followed by " (ErrorCode: N)" when a code was given.
    virtual std::wstring GetFullMessage() const;
    /// The message exactly as the thrower gave it.
    virtual std::wstring GetErrorMessage() const;
    /// `<SourceFile> Line:<Line>`, such as `Source\OSInfo Line:123`.
    virtual std::wstring GetSourceLocation() const;
    /// The Windows (or platform-call) error code; NoErrorCode when none was given.
    virtual std::uint64_t GetErrorCode() const;
    /// The error code as unsigned decimal text.
    virtual std::wstring GetErrorCodeText() const;
    /// Replaces the source-location text with that of where.
    virtual void SetSourceLocation(const SourceLocation& where);

private:
    std::uint64_t m_errorCode;
    std::wstring m_message;
    std::wstring m_fullMessage;
    std::wstring m_sourceLocation;
};

} // namespace Utilities
} // namespace Kelvo
