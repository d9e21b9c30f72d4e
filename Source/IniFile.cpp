#include "IniFile.h"

#include "File.h"
#include "FileSystemException.h"
#include "Path.h"
#include "Win32Exception.h"
#include "Internal/CodePageText.h"
#include "Internal/LineEncoding.h"
#include "Internal/PlainException.h"
#include "Internal/WholeWrite.h"

#include <HostApi/UniqueHandle.h>

#include <windows.h>

#include <cstdint>
#include <string>

namespace Kelvo {
namespace Utilities {

namespace {

// The file's lines as the profile functions read them: UTF-16 after a byte-order mark, else
// 8-bit text in the ANSI code page, so that every value reads the same once rewritten as UTF-16.
std::vector<std::wstring> ReadStoredLines(const std::wstring& path)
{
    // Reading the bytes first also makes an unreadable file an error instead of no lines.
    const std::vector<unsigned char> bytes = File::ReadAllBytes(path);
    const bool unicode =
        bytes.size() >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF));
    if (unicode)
    {
        return SplitLines(Utf16Text(bytes));
    }
    return SplitLines(CodePageText(CP_ACP, TextModeBytes(bytes)));
}

bool HasLineBreak(const std::wstring& text)
{
    return text.find_first_of(L"\r\n") != std::wstring::npos;
}

// Whether the file can hold the entry where it belongs. A line break would start lines of the
// caller's choosing; a ']' ends a section name early; an '=' ends a key early, and a key whose
// first visible character is '[' or ';' would read as a section or a comment.
bool FitsTheFile(const std::wstring& section, const std::wstring& key, const std::wstring& value)
{
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value))
    {
        return false;
    }
    const std::size_t keyStart = key.find_first_not_of(L" \t");
    const bool keyStartsBadly = keyStart != std::wstring::npos && (key[keyStart] == L'[' || key[keyStart] == L';');
    return section.find(L']') == std::wstring::npos && key.find(L'=') == std::wstring::npos && !keyStartsBadly;
}

// The profile functions take paths of fewer than MAX_PATH characters; given a longer one, they
// may write to a file of another name and report success.
void RefuseLongPath(const std::wstring& path, const char* message)
{
    if (path.size() >= MAX_PATH)
    {
        throw Win32Exception(ERROR_FILENAME_EXCED_RANGE, message);
    }
}

// How long a writer waits for another writer of the same file (a header's rewrite included).
const DWORD WriterWait = 10000;

// The full path in upper case: one name for every spelling of the file.
std::wstring FileIdentity(const std::wstring& path)
{
    std::wstring full(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
        if (length == 0)
        {
            full = path;
            break;
        }
        const bool fits = length < full.size();
        full.resize(length);
        if (fits)
        {
            break;
        }
    }
    std::wstring upper(full.size(), L'\0');
    const int mapped = ::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, full.data(), static_cast<int>(full.size()),
                                      &upper[0], static_cast<int>(upper.size()));
    return mapped == static_cast<int>(upper.size()) ? upper : full;
}

// Held by one writer of a file at a time, in every process of the session: each write of an
// IniFile and the whole of a header's read, rewrite and replacement. A kernel object name may
// not hold a backslash and is limited in length, so the file gives it a 64-bit FNV-1a hash of
// its identity (a collision only makes two files share a lock).
class WriterLock
{
public:
    explicit WriterLock(const std::wstring& path)
    {
        std::uint64_t hash = 14695981039346656037ull;
        for (const wchar_t unit : FileIdentity(path))
        {
            hash = (hash ^ static_cast<std::uint16_t>(unit)) * 1099511628211ull;
        }
        const std::wstring name = L"Local\\Kelvo.IniFile." + std::to_wstring(hash);
        m_mutex.Reset(::CreateMutexW(nullptr, FALSE, name.c_str()));
        if (!m_mutex)
        {
            m_failure = ::GetLastError();
            return;
        }
        // An abandoned lock was held by a writer that ended: a header leaves the old or the new
        // file whole, and the profile functions write theirs in one go.
        const DWORD waited = ::WaitForSingleObject(m_mutex.Get(), WriterWait);
        m_failure = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED ? 0
                    : waited == WAIT_TIMEOUT                             ? WAIT_TIMEOUT
                                                                         : ::GetLastError();
    }

    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

    ~WriterLock()
    {
        if (m_failure == 0)
        {
            ::ReleaseMutex(m_mutex.Get());
        }
    }

    // 0 when held, else why not: WAIT_TIMEOUT when another writer kept it too long.
    DWORD Failure() const
    {
        return m_failure;
    }

private:
    HostApi::UniqueKernelHandle m_mutex;
    DWORD m_failure = 0;
};

// A new file beside the INI file for its rewrite, created exclusively under a name that no
// other caller draws at the same time (process, thread, attempt); a name left over by an ended
// process is passed by.
HostApi::UniqueFileHandle CreateRewriteFile(const std::wstring& path, std::wstring& name)
{
    const std::wstring directory = Path::GetDirectory(path);
    for (unsigned int attempt = 0;; ++attempt)
    {
        const std::wstring file = L"~ini" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(::GetCurrentThreadId()) + L"-" + std::to_wstring(attempt) + L".tmp";
        name = Path::Combine(directory.empty() ? L"." : directory, file);
        HostApi::UniqueFileHandle created(
            ::CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, 0, nullptr));
        const DWORD error = ::GetLastError();
        if (created || (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 1000)
        {
            if (!created)
            {
                throw FileSystemException("CreateFile failed.", name);
            }
            return created;
        }
    }
}

} // namespace

IniFile::IniFile() = default;

IniFile::IniFile(const std::wstring& path) : m_path(path)
{
}

IniFile::IniFile(const IniFile& other) = default;

IniFile& IniFile::operator=(const IniFile& other) = default;

IniFile::~IniFile() = default;

void IniFile::Initialize(const std::wstring& path)
{
    m_path = path;
}

std::wstring IniFile::ReadStringValue(const std::wstring& section, const std::wstring& key,
                                      const std::wstring& defaultValue)
{
    if (section.empty() || key.empty())
    {
        throw PlainException("Invalid parameter.");
    }
    RefuseLongPath(m_path, "ReadStringValue failed.");
    std::wstring value(16, L'\0');
    for (;;)
    {
        const DWORD size = static_cast<DWORD>(value.size());
        const DWORD length = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue.c_str(), &value[0],
                                                        size, m_path.c_str());
        if (length == 0)
        {
            return defaultValue;
        }
        // A value that fills the buffer may have been cut.
        if (length < size - 1)
        {
            value.resize(length);
            return value;
        }
        value.resize(value.size() * 2);
    }
}

int IniFile::ReadIntValue(const std::wstring& section, const std::wstring& key, int defaultValue)
{
    RefuseLongPath(m_path, "ReadIntValue failed.");
    return static_cast<int>(::GetPrivateProfileIntW(section.c_str(), key.c_str(), defaultValue, m_path.c_str()));
}

void IniFile::WriteStringValue(const std::wstring& section, const std::wstring& key, const std::wstring& value)
{
    RefuseLongPath(m_path, "WriteStringValue failed.");
    if (!FitsTheFile(section, key, value))
    {
        throw Win32Exception(ERROR_INVALID_PARAMETER, "WriteStringValue failed.");
    }
    const WriterLock lock(m_path);
    if (lock.Failure() != 0)
    {
        throw Win32Exception(lock.Failure(), "WriteStringValue failed.");
    }
    if (!::WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), m_path.c_str()))
    {
        throw Win32Exception("WriteStringValue failed.");
    }
}

void IniFile::WriteIntValue(const std::wstring& section, const std::wstring& key, int value)
{
    WriteStringValue(section, key, std::to_wstring(value));
}

void IniFile::WriteHeader(const std::vector<std::wstring>& lines)
{
    if (m_path.empty())
    {
        throw PlainException("Not initialized inifile.");
    }
    const WriterLock lock(m_path);
    if (lock.Failure() != 0)
    {
        ::SetLastError(lock.Failure());
        throw FileSystemException("WriteHeader failed.", m_path);
    }
    std::vector<unsigned char> content = UnicodeLinesStart();
    for (const std::wstring& line : lines)
    {
        AppendUnicodeLine(content, line);
    }
    if (File::Exists(m_path))
    {
        for (const std::wstring& line : ReadStoredLines(m_path))
        {
            AppendUnicodeLine(content, line);
        }
    }
    // Written beside the file and moved over it in one step: at every moment the old or the new
    // file is there whole.
    std::wstring temporary;
    HostApi::UniqueFileHandle file = CreateRewriteFile(m_path, temporary);
    try
    {
        if (!WriteWhole(file.Get(), content.data(), content.size()))
        {
            throw FileSystemException("Could not write all bytes. FileName:", temporary);
        }
        file.Reset();
        File::Move(temporary, m_path, FileOperationReplaceExisting);
    }
    catch (...)
    {
        file.Reset();
        ::DeleteFileW(temporary.c_str());
        throw;
    }
}

std::wstring IniFile::ReadHeader()
{
    return std::wstring();
}

} // namespace Utilities
} // namespace Kelvo
