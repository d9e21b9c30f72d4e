/// \file
/// The delay-load notification hook through which KelvoUtilities.dll loads HostApi.dll the first
/// time an operation needs it: only the file in KelvoUtilities.dll's own folder, only when it
/// carries a valid Authenticode signature by the signer of KelvoUtilities.dll, and only when it
/// comes from the same build. It loads the system DLLs that the library delay-loads (crypt32,
/// version, winhttp, wtsapi32) from the system folder only. Every failure, a function missing
/// from a loaded DLL among them, reaches the operation that needed the DLL as Exception. A module
/// that delay-loads these DLLs itself may install it as its own helper's hook. It answers nothing
/// for other DLLs, which stay with the helper.
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

/// The hook: for HostApi.dll and the system DLLs above, the module loaded as described, or, when
/// it cannot be had or lacks a function, a function that throws the refusal as Exception when the
/// operation calls it; null for every other DLL, which stays with the helper. Never throws itself.
extern "C" KELVO_UTILITIES_API FARPROC __stdcall RezolveDelayLoadImport(unsigned notification, DelayLoadInfo* information)
    noexcept KELVO_PLAIN_EXPORT_NAME;
