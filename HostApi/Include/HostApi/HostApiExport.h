// The export macro of HostApi.dll: dllexport while the DLL itself is built (CMake defines
// KELVO_HOSTAPI_EXPORTS for it), dllimport for every caller.
#pragma once

#if defined(KELVO_HOSTAPI_EXPORTS)
#define KELVO_HOSTAPI_API __declspec(dllexport)
#else
#define KELVO_HOSTAPI_API __declspec(dllimport)
#endif
