// A caller's DLL, apart from the test executable, through which the tests send exceptions
// across module boundaries in every direction.
#pragma once

#include <cstdint>
#include <string>

#if defined(KELVO_PROBE_EXPORTS)
#define KELVO_PROBE_API __declspec(dllexport)
#else
#define KELVO_PROBE_API __declspec(dllimport)
#endif

namespace CrossModuleProbe {

// Throws an Exception built in this DLL, for the executable to catch.
KELVO_PROBE_API void ThrowException(const std::wstring& message, std::uint64_t errorCode);

// Calls back into the executable and catches by type, in this DLL, the Exception that the
// callback (or HostApi.dll below it) throws; returns its full message.
KELVO_PROBE_API std::wstring CatchFromCallback(void (*callback)());

} // namespace CrossModuleProbe
