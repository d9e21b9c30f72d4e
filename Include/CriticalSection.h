// A Windows critical section for guarding state shared between completion-port workers.
// Recursive for the owning thread. Assignment leaves the target's own lock as it is: a lock's
// state cannot be copied.
#pragma once

#include "UtilitiesExport.h"

#include <HostApi/WindowsTypes.h>

namespace Kelvo {
namespace Utilities {

class KELVO_UTILITIES_API CriticalSection
{
public:
    CriticalSection();
    CriticalSection(const CriticalSection&) = delete;
    ~CriticalSection();

    CriticalSection& operator=(const CriticalSection& other);

    void Lock();
    void Unlock();

private:
    // CRITICAL_SECTION's layout, field by field, so that this header needs no <windows.h>; the
    // library checks it against the real one.
    struct Record
    {
        void* DebugInfo;
        long LockCount;
        long RecursionCount;
        HANDLE OwningThread;
        HANDLE LockSemaphore;
        ULONG_PTR SpinCount;
    };

    Record m_section;
};

} // namespace Utilities
} // namespace Kelvo
