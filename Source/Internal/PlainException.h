// A std::exception whose what() is a fixed message: for failures that callers catch as
// std::exception only, never as runtime_error or logic_error.
#pragma once

#include <exception>

namespace Kelvo {
namespace Utilities {

class PlainException : public std::exception
{
public:
    // message must outlive the exception: a string literal.
    explicit PlainException(const char* message) : m_message(message)
    {
    }

    const char* what() const noexcept override
    {
        return m_message;
    }

private:
    const char* m_message;
};

} // namespace Utilities
} // namespace Kelvo
