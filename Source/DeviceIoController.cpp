#include "DeviceIoController.h"

#include <windows.h>

namespace Kelvo {
namespace Utilities {

DeviceIoController::DeviceIoController() : m_device(nullptr)
{
}

DeviceIoController::~DeviceIoController() = default;

bool DeviceIoController::Connect(const std::wstring& deviceName)
{
    m_device.Reset(::CreateFileW(deviceName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr));
    return m_device.Get() != INVALID_HANDLE_VALUE;
}

void DeviceIoController::Disconnect()
{
    m_device.Reset(nullptr);
}

unsigned long DeviceIoController::Request(unsigned long controlCode, void* input, unsigned int inputSize,
                                          void* output, unsigned int outputSize)
{
    unsigned long bytesReturned = 0;
    return Request(controlCode, input, inputSize, output, outputSize, &bytesReturned);
}

unsigned long DeviceIoController::Request(unsigned long controlCode, void* input, unsigned int inputSize,
                                          void* output, unsigned int outputSize, unsigned long* bytesReturned)
{
    if (!::DeviceIoControl(m_device.Get(), controlCode, input, inputSize, output, outputSize, bytesReturned, nullptr))
    {
        return ::GetLastError();
    }
    return ERROR_SUCCESS;
}

unsigned long DeviceIoController::Request(unsigned long controlCode, void* input, unsigned int inputSize,
                                          void* output, unsigned int outputSize, unsigned long* bytesReturned,
                                          OVERLAPPED* overlapped)
{
    if (overlapped->hEvent)
    {
        ::ResetEvent(overlapped->hEvent);
    }
    if (::DeviceIoControl(m_device.Get(), controlCode, input, inputSize, output, outputSize, bytesReturned,
                          overlapped))
    {
        return ERROR_SUCCESS;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_IO_PENDING)
    {
        return error;
    }
    if (!overlapped->hEvent)
    {
        return ERROR_SUCCESS; // pending: the caller collects the result, e.g. through a completion port
    }
    if (::WaitForSingleObject(overlapped->hEvent, INFINITE) != WAIT_OBJECT_0)
    {
        return ERROR_IO_PENDING;
    }
    if (!::GetOverlappedResult(m_device.Get(), overlapped, bytesReturned, FALSE))
    {
        return ::GetLastError();
    }
    return ERROR_SUCCESS;
}

HANDLE DeviceIoController::GetHandle()
{
    return m_device.Get();
}

} // namespace Utilities
} // namespace Kelvo
