// The export macro of HostApi.dll: dllexport while the DLL itself is built (CMake defines
// KELVO_HOSTAPI_EXPORTS for it), dllimport for every caller but KelvoUtilities.dll.
#pragma once

#if defined(KELVO_HOSTAPI_EXPORTS)
#define KELVO_HOSTAPI_API __declspec(dllexport)
#elif defined(KELVO_HOSTAPI_DELAY_LOADED)
// KelvoUtilities.dll calls the delay-load thunks by their own names: the 32-bit linker drops a
// thunk whose name nobody calls, even though the import's first call needs it.
#define KELVO_HOSTAPI_API
#else
#define KELVO_HOSTAPI_API __declspec(dllimport)
#endif
