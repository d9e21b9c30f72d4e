// ExitWithCode CODE FILE [ARGUMENT...]: writes its working directory and each ARGUMENT, one a
// line, to FILE (UTF-16 with a byte-order mark) and exits with CODE.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

int main()
{
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (arguments == nullptr || count < 3)
    {
        return 255;
    }
    std::wstring text(32768, L'\0');
    text.resize(::GetCurrentDirectoryW(static_cast<DWORD>(text.size()), &text[0]));
    text = L'\xFEFF' + text + L'\n';
    for (int i = 3; i < count; ++i)
    {
        text += std::wstring(arguments[i]) + L'\n';
    }
    const HANDLE file = ::CreateFileW(arguments[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    ::CloseHandle(file);
    return static_cast<int>(std::wcstoul(arguments[1], nullptr, 10));
}
