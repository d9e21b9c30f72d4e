/// \file
/// The delay-load notification hook through which KelvoUtilities.dll loads HostApi.dll the first
/// time an operation needs it: only the file in KelvoUtilities.dll's own folder, and only when it
/// carries a valid Authenticode signature by the signer of KelvoUtilities.dll. A module that
/// delay-loads HostApi.dll itself may install it as its own helper's hook. It answers nothing for
/// other DLLs, which stay with the helper.
#pragma once

#include "UtilitiesExport.h"

#include <HostApi/WindowsTypes.h>

/// The delay-load helper's information record (delayimp.h).
struct DelayLoadInfo;

/// The 32-bit DLL exports it under its plain name, without stdcall's "@8" (the linker's
/// --kill-at); 32-bit callers name it so too.
#if defined(__i386__) && !defined(KELVO_UTILITIES_EXPORTS)
#define KELVO_PLAIN_EXPORT_NAME __asm__("RezolveDelayLoadImport")
#else
#define KELVO_PLAIN_EXPORT_NAME
#endif

/// The hook: for HostApi.dll's load notification, the module loaded from KelvoUtilities.dll's
/// folder after its signature check (null when the file is missing or not signed so); null for
/// every other notification and DLL. Never throws.
extern "C" KELVO_UTILITIES_API FARPROC __stdcall RezolveDelayLoadImport(unsigned notification, DelayLoadInfo* information)
    noexcept KELVO_PLAIN_EXPORT_NAME;
