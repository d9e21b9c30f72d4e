#include "Exception.h"

namespace Kelvo {
namespace Utilities {

namespace {

// Unsigned decimal text without padding; done by hand because the runtime's wide printf
// family does not agree on 64-bit length modifiers.
std::wstring ToDecimal(std::uint64_t value)
{
    wchar_t digits[20];
    std::size_t count = 0;
    do
    {
        digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    return std::wstring(std::make_reverse_iterator(digits + count), std::make_reverse_iterator(digits));
}

} // namespace

// Defined here as well so that the DLL exports it for callers that take its address.
constexpr std::uint64_t Exception::NoErrorCode;

Exception::Exception(const std::wstring& message, const SourceLocation& where)
    : m_errorCode(NoErrorCode), m_message(message), m_fullMessage(message)
{
    Exception::SetSourceLocation(where);
}

Exception::Exception(const std::wstring& message, std::uint64_t errorCode, const SourceLocation& where)
    : m_errorCode(errorCode), m_message(message), m_fullMessage(message)
{
    Exception::SetSourceLocation(where);
    m_fullMessage += L" (ErrorCode: ";
    m_fullMessage += ToDecimal(errorCode);
    m_fullMessage += L")";
}

Exception::Exception(const Exception& other) = default;
Exception& Exception::operator=(const Exception& other) = default;
Exception::~Exception() = default;

std::wstring Exception::GetFullMessage() const
{
    return m_fullMessage;
}

std::wstring Exception::GetErrorMessage() const
{
    return m_message;
}

std::wstring Exception::GetSourceLocation() const
{
    return m_sourceLocation;
}

std::uint64_t Exception::GetErrorCode() const
{
    return m_errorCode;
}

std::wstring Exception::GetErrorCodeText() const
{
    return ToDecimal(m_errorCode);
}

void Exception::SetSourceLocation(const SourceLocation& where)
{
    m_sourceLocation = where.SourceFile + L" Line:" + ToDecimal(where.Line);
}

} // namespace Utilities
} // namespace Kelvo
