#include "CriticalSection.h"

namespace Kelvo {
namespace Utilities {

CriticalSection::CriticalSection()
{
    ::InitializeCriticalSection(&m_section);
}

CriticalSection::~CriticalSection()
{
    ::DeleteCriticalSection(&m_section);
}

CriticalSection& CriticalSection::operator=(const CriticalSection& /*other*/)
{
    // Copying the raw record would break both locks; each keeps its own.
    return *this;
}

void CriticalSection::Lock()
{
    ::EnterCriticalSection(&m_section);
}

void CriticalSection::Unlock()
{
    ::LeaveCriticalSection(&m_section);
}

} // namespace Utilities
} // namespace Kelvo
