// This library's own module and the full file name of a module, read into a buffer that grows
// while the name fills it completely (a cut name), so that long installation paths come back whole.
#pragma once

#include <windows.h>

#include <string>

// The linker's symbol for the start of the image it links: here, KelvoUtilities.dll.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace Kelvo {
namespace Utilities {

inline HMODULE ThisModule()
{
    return reinterpret_cast<HMODULE>(&__ImageBase);
}

// Empty when Windows gives no name (GetLastError says why).
inline std::wstring ModuleFileName(HMODULE module)
{
    std::wstring name(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD length = ::GetModuleFileNameW(module, &name[0], static_cast<DWORD>(name.size()));
        if (length == 0)
        {
            return std::wstring();
        }
        if (length < name.size())
        {
            name.resize(length);
            return name;
        }
        name.resize(name.size() * 2);
    }
}

} // namespace Utilities
} // namespace Kelvo
