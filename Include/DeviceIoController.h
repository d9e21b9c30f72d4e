#pragma once

#include "UtilitiesExport.h"

#include <HostApi/UniqueHandle.h>
#include <HostApi/WindowsTypes.h>

#include <string>

namespace Kelvo {
namespace Utilities {

/// Sends device I/O control requests to a driver's device, opened exclusively for overlapped
/// I/O. Results are Win32 error codes (0 for success); nothing throws.
/// Owns the device handle.
/// Example: Examples/pool_and_device_io.cpp
class KELVO_UTILITIES_API DeviceIoController
{
public:
    /// Not connected.
    DeviceIoController();
    DeviceIoController(const DeviceIoController&) = delete;
    DeviceIoController& operator=(const DeviceIoController&) = delete;
    virtual ~DeviceIoController();

    /// Opens deviceName as given (the full device path) and answers whether it opened. The new handle
    /// replaces the old one before the old one is closed, so connecting again to the open device fails
    /// (it is opened exclusively) and leaves the controller not connected.
    bool Connect(const std::wstring& deviceName);
    /// Closes the device; not connected afterwards. Harmless when not connected.
    void Disconnect();

    /// Sends controlCode with the input and output buffers and waits for the answer; 0 on success,
    /// else the Windows error code (invalid handle when not connected).
    unsigned long Request(unsigned long controlCode, void* input, unsigned int inputSize, void* output,
                          unsigned int outputSize);
    /// The same, with the byte count of the output in bytesReturned.
    unsigned long Request(unsigned long controlCode, void* input, unsigned int inputSize, void* output,
                          unsigned int outputSize, unsigned long* bytesReturned);
    /// overlapped must not be null. With an event, waits for the request to complete; without,
    /// a pending request returns 0 at once and the caller collects the result itself.
    unsigned long Request(unsigned long controlCode, void* input, unsigned int inputSize, void* output,
                          unsigned int outputSize, unsigned long* bytesReturned, OVERLAPPED* overlapped);

    /// Null when not connected, INVALID_HANDLE_VALUE after a failed Connect.
    HANDLE GetHandle();

private:
    HostApi::UniqueKernelHandle m_device;
};

} // namespace Utilities
} // namespace Kelvo
