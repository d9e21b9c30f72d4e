// How many handles the test process holds. GetProcessHandleCount answers 0 under Wine, so the
// tests count the open handles among the lowest handle values instead: Windows and Wine both
// hand out the lowest free value first, so a leaked handle shows up there.
#pragma once

#include <windows.h>

inline unsigned int OpenHandleCount()
{
    unsigned int count = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4)
    {
        DWORD flags = 0;
        count += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    }
    return count;
}
