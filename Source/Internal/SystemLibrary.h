// System DLLs from the system folder only, whatever the program's folder, the current directory
// or PATH hold.
#pragma once

#include <HostApi/UniqueHandle.h>

namespace Kelvo {

// The DLL name (for example L"crypt32.dll") loaded from the system folder, its own imports
// looked for there too; null when it cannot be loaded (GetLastError says why).
HostApi::UniqueModule LoadSystemLibrary(const wchar_t* name);

} // namespace Kelvo
