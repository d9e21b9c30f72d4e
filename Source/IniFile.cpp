#include "IniFile.h"

#include "File.h"
#include "Path.h"
#include "Win32Exception.h"
#include "Internal/CodePageText.h"
#include "Internal/LineEncoding.h"
#include "Internal/PlainException.h"

#include <windows.h>

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
    return static_cast<int>(::GetPrivateProfileIntW(section.c_str(), key.c_str(), defaultValue, m_path.c_str()));
}

void IniFile::WriteStringValue(const std::wstring& section, const std::wstring& key, const std::wstring& value)
{
    if (!FitsTheFile(section, key, value))
    {
        throw Win32Exception(ERROR_INVALID_PARAMETER, "WriteStringValue failed.");
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
    const std::wstring directory = Path::GetDirectory(m_path);
    const std::wstring temporary = File::GenerateNewFileName(directory.empty() ? L"." : directory, L".tmp", 8);
    try
    {
        File::WriteAllBytes(temporary, content);
        File::Move(temporary, m_path, FileOperationReplaceExisting);
    }
    catch (...)
    {
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
