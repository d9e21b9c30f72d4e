// The other process of the service and launching tests, by its arguments:
//   none                     runs as a service under whatever name it is installed: reports
//                            running and ends on the stop control;
//   CODE FILE [ARGUMENT...]  writes each ARGUMENT, one a line, to FILE (UTF-16 with a byte-order
//                            mark; a relative FILE lands in its working directory) and exits
//                            with CODE.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

SERVICE_STATUS_HANDLE g_status = nullptr;
HANDLE g_stop = nullptr;

void Report(DWORD state)
{
    SERVICE_STATUS status{ SERVICE_WIN32_OWN_PROCESS, state, state == SERVICE_STOPPED ? 0u : SERVICE_ACCEPT_STOP, 0, 0, 0, 0 };
    ::SetServiceStatus(g_status, &status);
}

// Stopped only once the handler has answered: a process that ends while the stop control is
// still being answered fails it.
DWORD WINAPI Handler(DWORD control, DWORD, void*, void*)
{
    if (control == SERVICE_CONTROL_STOP)
    {
        Report(SERVICE_STOP_PENDING);
        ::SetEvent(g_stop);
    }
    return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, wchar_t** arguments)
{
    g_stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_status = ::RegisterServiceCtrlHandlerExW(arguments[0], Handler, nullptr);
    Report(SERVICE_RUNNING);
    ::WaitForSingleObject(g_stop, INFINITE);
    ::CloseHandle(g_stop);
    Report(SERVICE_STOPPED);
}

} // namespace

int main()
{
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (count < 3)
    {
        wchar_t anyName[] = L"";
        SERVICE_TABLE_ENTRYW table[] = { { anyName, ServiceMain }, { nullptr, nullptr } };
        return ::StartServiceCtrlDispatcherW(table) ? 0 : 1;
    }
    std::wstring text(1, L'\xFEFF');
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
