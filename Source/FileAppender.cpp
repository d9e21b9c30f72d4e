#include "FileAppender.h"

#include "File.h"
#include "Internal/LineEncoding.h"
#include "Internal/WholeWrite.h"
#include "Path.h"

#include <HostApi/UniqueHandle.h>

#include <windows.h>
#include <shlwapi.h>

#include <cstdint>
#include <vector>

namespace Kelvo {
namespace Utilities {

FileAppender::FileAppender(const std::wstring& path) : m_splitSizeKb(0), m_path(path)
{
}

FileAppender::FileAppender(const FileAppender& other) = default;

FileAppender::~FileAppender() = default;

void FileAppender::SetSplitSizeKb(int sizeKb)
{
    m_splitSizeKb = sizeKb;
}

void FileAppender::AppendLine(const std::wstring& line)
{
    const std::wstring directory = Path::GetDirectory(m_path);
    if (!::PathFileExistsW(directory.c_str()))
    {
        ::CreateDirectoryW(directory.c_str(), nullptr);
    }
    if (m_splitSizeKb != 0)
    {
        // Estimated as two bytes a character; a negative limit, read unsigned, is never reached.
        const std::uint64_t size = File::GetSize(m_path);
        const std::uint64_t expected = size + 2 * static_cast<std::uint64_t>(line.size());
        const std::uint64_t limit = static_cast<std::uint64_t>(static_cast<std::int64_t>(m_splitSizeKb) * 1024);
        // An empty or missing file has nothing to move aside (and must not replace the older one).
        if (size > 0 && expected > limit)
        {
            File::Move(m_path, Path::InsertBeforeExtension(m_path, L'_', 1), FileOperationReplaceExisting);
        }
    }
    std::vector<unsigned char> bytes;
    AppendEightBitLine(bytes, line);
    // Append-only access: every write lands at the end, also with other writers at work.
    const HostApi::UniqueFileHandle file(::CreateFileW(m_path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER start{};
    if (!file || !::GetFileSizeEx(file.Get(), &start) || WriteWhole(file.Get(), bytes.data(), bytes.size()))
    {
        return;
    }
    // A fragment without its line end would glue the next line onto it: the line goes whole or
    // not at all. Cutting needs write access, which an append-only handle lacks.
    const HostApi::UniqueFileHandle cut(::CreateFileW(m_path.c_str(), GENERIC_WRITE,
                                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (cut && ::SetFilePointerEx(cut.Get(), start, nullptr, FILE_BEGIN))
    {
        ::SetEndOfFile(cut.Get());
    }
}

} // namespace Utilities
} // namespace Kelvo
