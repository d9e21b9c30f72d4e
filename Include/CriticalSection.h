#pragma once

#include "UtilitiesExport.h"

#include <HostApi/WindowsTypes.h>

namespace Kelvo {
namespace Utilities {

/// A Windows critical section for guarding state shared between completion-port workers.
/// Recursive for the owning thread. Assignment leaves the target's own lock as it is: a lock's
/// state cannot be copied.
/// Owns the critical section; nothing throws.
/// Example: Examples/pool_and_device_io.cpp
class KELVO_UTILITIES_API CriticalSection
{
public:
    /// An unlocked critical section.
    CriticalSection();
    CriticalSection(const CriticalSection&) = delete;
    ~CriticalSection();

    /// Leaves this lock as it is (nothing is copied).
    CriticalSection& operator=(const CriticalSection& other);

    /// Enters the critical section; waits while another thread holds it.
    void Lock();
    /// Leaves it; only the thread that holds it may call this.
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
