//
// Failure.cpp
//
#include "Failure.h"

namespace Kelvo {
namespace HostApi {

void ThrowFailure(const wchar_t* call, DWORD errorCode, const Utilities::SourceLocation& where)
{
    throw Utilities::Exception(std::wstring(call) + L" failed", errorCode, where);
}

void ThrowLastError(const wchar_t* call, const Utilities::SourceLocation& where)
{
    ThrowFailure(call, ::GetLastError(), where);
}

} // namespace HostApi
} // namespace Kelvo
