// A real service for the service tests, under whatever name it is installed: reports running
// and ends on the stop control.
#include <windows.h>

namespace {

SERVICE_STATUS_HANDLE g_status = nullptr;
HANDLE g_stop = nullptr;

void Report(DWORD state)
{
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_STOPPED ? 0 : SERVICE_ACCEPT_STOP;
    ::SetServiceStatus(g_status, &status);
}

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
    wchar_t anyName[] = L"";
    SERVICE_TABLE_ENTRYW table[] = { { anyName, ServiceMain }, { nullptr, nullptr } };
    return ::StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
