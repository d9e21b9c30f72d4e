// The completion-port worker pool and device I/O, over named pipes of this process: a processor
// that adds up numbers arriving on a pipe, served by two workers; then a device I/O control
// request (a pipe transaction) answered by a thread of ours.
#include "Console.h"
#include <HostApi/UniqueHandle.h>
// Not in KelvoUtilities.h: a processor is an OVERLAPPED, which needs <windows.h>.
#include <IConnectionProcessor.h>

#include <windows.h>
#include <winioctl.h>

#include <string>
#include <thread>

using namespace Kelvo::Utilities;
using Kelvo::HostApi::UniqueFileHandle;
using Kelvo::HostApi::UniqueKernelHandle;

namespace {

// Control codes of the named-pipe file system (winioctl.h leaves them to the driver kit).
const unsigned long PipePeek = CTL_CODE(FILE_DEVICE_NAMED_PIPE, 3, METHOD_BUFFERED, FILE_READ_DATA);
const unsigned long PipeTransceive = CTL_CODE(FILE_DEVICE_NAMED_PIPE, 5, METHOD_NEITHER, FILE_READ_DATA | FILE_WRITE_DATA);

std::wstring PipeName(const wchar_t* purpose)
{
    return L"\\\\.\\pipe\\KelvoExample-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + purpose;
}

// Reads 32-bit numbers from its pipe, one overlapped read at a time, and adds them up until it
// reads 0. The processor is the OVERLAPPED of its reads, as the pool requires.
class SummingReader : public IConnectionProcessor
{
public:
    explicit SummingReader(const std::wstring& name)
        : m_pipe(::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED, PIPE_TYPE_BYTE, 1, 4096,
                                    4096, 0, nullptr)),
          m_done(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
    }

    HANDLE GetIoHandle() override
    {
        return m_pipe.Get();
    }

    void IssueIo() override
    {
        if (m_finished)
        {
            return;
        }
        if (!::ReadFile(m_pipe.Get(), &m_number, sizeof(m_number), nullptr, this) && ::GetLastError() != ERROR_IO_PENDING)
        {
            Finish();
        }
    }

    void OnIoCompleted(unsigned long bytesTransferred, ULONG_PTR) override
    {
        m_lock.Lock();
        if (bytesTransferred != sizeof(m_number) || m_number == 0)
        {
            m_lock.Unlock();
            Finish();
            return;
        }
        m_sum += m_number;
        ++m_count;
        m_lock.Unlock();
    }

    void OnIoFailed(unsigned long, unsigned long, ULONG_PTR) override
    {
        Finish();
    }

    bool WaitUntilDone()
    {
        return ::WaitForSingleObject(m_done.Get(), 10000) == WAIT_OBJECT_0;
    }

    unsigned long long Sum()
    {
        m_lock.Lock();
        const unsigned long long sum = m_sum;
        m_lock.Unlock();
        return sum;
    }

    unsigned long long Count()
    {
        m_lock.Lock();
        const unsigned long long count = m_count;
        m_lock.Unlock();
        return count;
    }

private:
    void Finish()
    {
        m_finished = true;
        ::SetEvent(m_done.Get());
    }

    UniqueFileHandle m_pipe;
    UniqueKernelHandle m_done;
    CriticalSection m_lock;
    DWORD m_number = 0;
    unsigned long long m_sum = 0;
    unsigned long long m_count = 0;
    bool m_finished = false;
};

} // namespace

int main()
{
    return RunExample([] {
        {
            const std::wstring name = PipeName(L"numbers");
            SummingReader reader(name);
            const UniqueFileHandle writer(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            CompletionPort pool(2);
            pool.Attach(&reader); // issues the first read
            pool.StartWorkers();
            for (DWORD number = 1; number <= 11; ++number)
            {
                const DWORD value = number == 11 ? 0 : number; // 0 ends the stream
                DWORD written = 0;
                ::WriteFile(writer.Get(), &value, sizeof(value), &written, nullptr);
            }
            Print("reader finished", reader.WaitUntilDone() ? L"true" : L"false");
            Print("numbers read", reader.Count());
            Print("their sum", reader.Sum());
            pool.StopWorkers();
            pool.WaitForWorkers();
        }

        // Device I/O control: the pipe file system is a driver like any other. A transaction
        // writes our message and reads the answer in one request.
        const std::wstring name = PipeName(L"device");
        const UniqueFileHandle server(::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX,
                                                         PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE, 1, 4096, 4096, 0, nullptr));
        DeviceIoController device;
        Print("Request before Connect (6 = invalid handle)", device.Request(PipePeek, nullptr, 0, nullptr, 0));
        Print("Connect", device.Connect(name) ? L"true" : L"false");
        DWORD mode = PIPE_READMODE_MESSAGE;
        ::SetNamedPipeHandleState(device.GetHandle(), &mode, nullptr, nullptr);
        std::thread answer([&server] {
            char message[64];
            DWORD read = 0;
            ::ReadFile(server.Get(), message, sizeof(message), &read, nullptr);
            const std::string reply = "re: " + std::string(message, read);
            ::WriteFile(server.Get(), reply.data(), static_cast<DWORD>(reply.size()), &read, nullptr);
        });
        char question[] = "status?";
        char reply[64] = {};
        unsigned long bytes = 0;
        const UniqueKernelHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        OVERLAPPED overlapped{};
        overlapped.hEvent = event.Get();
        const unsigned long result = device.Request(PipeTransceive, question, sizeof(question) - 1, reply,
                                                    sizeof(reply), &bytes, &overlapped);
        answer.join();
        Print("transaction result (0 = success)", result);
        Print("answer", std::string(reply, bytes));
        device.Disconnect();
    });
}
