// The export macro of KelvoUtilities.dll: dllexport while the DLL itself is built
// (CMake defines KELVO_UTILITIES_EXPORTS for it), dllimport for every caller.
// HostApi.dll compiles the exception classes into itself and defines KELVO_UTILITIES_EMBEDDED,
// so that it neither imports from nor exports on behalf of KelvoUtilities.dll.
#pragma once

#if defined(KELVO_UTILITIES_EXPORTS)
#define KELVO_UTILITIES_API __declspec(dllexport)
#elif defined(KELVO_UTILITIES_EMBEDDED)
#define KELVO_UTILITIES_API
#else
#define KELVO_UTILITIES_API __declspec(dllimport)
#endif
