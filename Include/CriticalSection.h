#pragma once

#include "UtilitiesExport.h"

#include <windows.h>

namespace Kelvo {
namespace Utilities {

/// A Windows critical section for guarding state shared between completion-port workers.
/// Recursive for the owning thread. Assignment leaves the target's own lock as it is: a lock's
/// state cannot be copied.
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
    CRITICAL_SECTION m_section;
};

} // namespace Utilities
} // namespace Kelvo
