#include "CriticalSection.h"

#include <windows.h>

#include <cstddef>

namespace Kelvo {
namespace Utilities {

namespace {

// The record the header declares is the one Windows works on.
template <typename Record>
CRITICAL_SECTION* Section(Record& record) noexcept
{
    static_assert(sizeof(Record) == sizeof(CRITICAL_SECTION) && alignof(Record) == alignof(CRITICAL_SECTION));
    static_assert(offsetof(Record, DebugInfo) == offsetof(CRITICAL_SECTION, DebugInfo));
    static_assert(offsetof(Record, LockCount) == offsetof(CRITICAL_SECTION, LockCount));
    static_assert(offsetof(Record, RecursionCount) == offsetof(CRITICAL_SECTION, RecursionCount));
    static_assert(offsetof(Record, OwningThread) == offsetof(CRITICAL_SECTION, OwningThread));
    static_assert(offsetof(Record, LockSemaphore) == offsetof(CRITICAL_SECTION, LockSemaphore));
    static_assert(offsetof(Record, SpinCount) == offsetof(CRITICAL_SECTION, SpinCount));
    return reinterpret_cast<CRITICAL_SECTION*>(&record);
}

} // namespace

CriticalSection::CriticalSection()
{
    ::InitializeCriticalSection(Section(m_section));
}

CriticalSection::~CriticalSection()
{
    ::DeleteCriticalSection(Section(m_section));
}

CriticalSection& CriticalSection::operator=(const CriticalSection& /*other*/)
{
    // Copying the raw record would break both locks; each keeps its own.
    return *this;
}

void CriticalSection::Lock()
{
    ::EnterCriticalSection(Section(m_section));
}

void CriticalSection::Unlock()
{
    ::LeaveCriticalSection(Section(m_section));
}

} // namespace Utilities
} // namespace Kelvo
