// HostApi.dll's own delay-loaded DLLs (version, wtsapi32) come from the system folder only, and
// their failures reach the operation that needed them as Exception (Internal/DelayLoad.h).
#include "Internal/DelayLoad.h"

// Installs the hook in this DLL's copy of MinGW-w64's delay-load helper.
PfnDliHook __pfnDliNotifyHook2 = Kelvo::DelayLoad::SystemNotification;
