// The other process of the INI tests: IniWriter PATH COUNT writes the keys k0 to k<COUNT-1>, with
// the values 0 to COUNT-1, to the section "child" of the INI file PATH through IniFile, and exits
// with the number of writes that threw.
#include <IniFile.h>

#include <windows.h>
#include <shellapi.h>

#include <exception>
#include <string>

int main()
{
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (count != 3)
    {
        return -1;
    }
    Kelvo::Utilities::IniFile ini(arguments[1]);
    int failed = 0;
    for (int i = 0, keys = std::stoi(arguments[2]); i < keys; ++i)
    {
        try
        {
            ini.WriteIntValue(L"child", L"k" + std::to_wstring(i), i);
        }
        catch (const std::exception&)
        {
            ++failed;
        }
    }
    return failed;
}
