#include "IteratorFolder.h"

#include <HostApi/UniqueHandle.h>

#include <windows.h>

#include <stdexcept>

namespace Kelvo {
namespace Utilities {

struct IteratorFolder::SearchState
{
    HostApi::UniqueFindHandle handle;
    WIN32_FIND_DATAW entry{};
};

IteratorFolder::IteratorFolder(const std::wstring& searchPattern, bool folders)
    : m_search(new SearchState), m_folders(folders)
{
    m_search->handle.Reset(::FindFirstFileW(searchPattern.c_str(), &m_search->entry));
    if (ShouldSkipCurrentPosition())
    {
        Increment();
    }
}

IteratorFolder::IteratorFolder() : m_search(new SearchState), m_folders(false)
{
}

IteratorFolder::~IteratorFolder() = default;

bool IteratorFolder::Different(IIterator* other)
{
    const IteratorFolder* folder = dynamic_cast<IteratorFolder*>(other);
    if (folder == nullptr)
    {
        throw std::runtime_error("invalid iterator conversion");
    }
    return m_search->handle.Get() != folder->m_search->handle.Get();
}

void IteratorFolder::Increment()
{
    // A loop, not recursion: a directory may hold any number of entries to skip in a row.
    do
    {
        Advance();
    } while (ShouldSkipCurrentPosition());
}

std::wstring IteratorFolder::GetData()
{
    return m_search->entry.cFileName;
}

bool IteratorFolder::ShouldSkipCurrentPosition()
{
    if (!m_search->handle)
    {
        return false;
    }
    const std::wstring name = m_search->entry.cFileName;
    if (name == L"." || name == L"..")
    {
        return true;
    }
    const bool isFolder = (m_search->entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return isFolder != m_folders;
}

void IteratorFolder::Advance()
{
    if (m_search->handle && !::FindNextFileW(m_search->handle.Get(), &m_search->entry))
    {
        m_search->handle.Reset();
    }
}

} // namespace Utilities
} // namespace Kelvo
