//
// CompletionPortTests.cpp
//
// The worker pool, its lock and the device I/O controller, over named pipes of this process
// and packets posted to the port.
//
#include <KelvoUtilities.h>

#include "OpenHandles.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>
#include <tlhelp32.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

using Kelvo::HostApi::UniqueFileHandle;
using Kelvo::HostApi::UniqueKernelHandle;
using Kelvo::Utilities::CompletionPort;
using Kelvo::Utilities::CriticalSection;
using Kelvo::Utilities::DeviceIoController;
using Kelvo::Utilities::IConnectionProcessor;

namespace {

// Named-pipe control codes of the platform's pipe file system (not in the SDK's user headers).
const unsigned long PipePeek = CTL_CODE(FILE_DEVICE_NAMED_PIPE, 3, METHOD_BUFFERED, FILE_READ_DATA);
const unsigned long PipeTransceive =
    CTL_CODE(FILE_DEVICE_NAMED_PIPE, 5, METHOD_NEITHER, FILE_READ_DATA | FILE_WRITE_DATA);

std::wstring PipeName(const wchar_t* what)
{
    static int serial = 0;
    return L"\\\\.\\pipe\\kelvo-" + std::wstring(what) + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(++serial);
}

// The server end of a fresh one-instance pipe, for overlapped I/O.
UniqueFileHandle MakePipe(const std::wstring& name, DWORD mode = PIPE_TYPE_BYTE)
{
    return UniqueFileHandle(::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, mode, 1,
                                               4096, 4096, 0, nullptr));
}

// A pool whose processors post their own completions.
class PostingPort : public CompletionPort
{
public:
    using CompletionPort::CompletionPort;
    using CompletionPort::GetPortHandle;
};

// Posts `quota` completions to itself one after another, numbering them 1, 2, ... in the byte
// count, and checks that each arrives once and in order.
class Counter : public IConnectionProcessor
{
public:
    Counter(PostingPort& port, ULONG_PTR key, unsigned long quota, std::atomic<int>& running)
        : m_pipe(MakePipe(PipeName(L"counter"))), m_port(port), m_key(key), m_quota(quota), m_running(running)
    {
    }

    HANDLE GetIoHandle() override
    {
        return m_pipe.Get();
    }

    void OnIoCompleted(unsigned long bytes, ULONG_PTR key) override
    {
        faults += (bytes != received + 1 || key != m_key) ? 1 : 0;
        ++received;
        lastThread = ::GetCurrentThreadId();
    }

    void IssueIo() override
    {
        if (m_posted < m_quota)
        {
            ++m_posted;
            ::PostQueuedCompletionStatus(m_port.GetPortHandle(), m_posted, m_key, this);
        }
        else
        {
            --m_running;
        }
    }

    void OnIoFailed(unsigned long, unsigned long, ULONG_PTR) override
    {
        ++faults;
    }

    unsigned long received = 0;
    unsigned long faults = 0;
    DWORD lastThread = 0;

private:
    UniqueFileHandle m_pipe;
    PostingPort& m_port;
    ULONG_PTR m_key;
    unsigned long m_quota;
    unsigned long m_posted = 0;
    std::atomic<int>& m_running;
};

bool WaitFor(const std::atomic<int>& running, std::chrono::seconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (running > 0 && std::chrono::steady_clock::now() < end)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return running == 0;
}

// Wine closes the handles of ended threads a little later.
bool HandlesSettleTo(unsigned int count)
{
    for (int i = 0; i < 20 && OpenHandleCount() != count; ++i)
    {
        ::Sleep(50);
    }
    return OpenHandleCount() == count;
}

// The threads of this process: a worker that was stopped and joined no longer counts.
int ThreadCount()
{
    const UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = ::Thread32First(snapshot.Get(), &entry); more; more = ::Thread32Next(snapshot.Get(), &entry))
    {
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId() ? 1 : 0;
    }
    return count;
}

// Reads the server end of a pipe one byte at a time; the client's closing fails the read.
class PipeReader : public IConnectionProcessor
{
public:
    explicit PipeReader(const std::wstring& name) : m_pipe(MakePipe(name))
    {
    }

    HANDLE GetIoHandle() override
    {
        return m_pipe.Get();
    }

    void OnIoCompleted(unsigned long bytes, ULONG_PTR) override
    {
        received += std::string(m_byte, bytes);
    }

    void IssueIo() override
    {
        ++issued;
        ::ReadFile(m_pipe.Get(), m_byte, 1, nullptr, this);
    }

    void OnIoFailed(unsigned long error, unsigned long bytes, ULONG_PTR key) override
    {
        failure = std::to_string(error) + "|" + std::to_string(bytes) + "|" + std::to_string(key);
        failedThread = ::GetCurrentThreadId();
    }

    std::string received;
    std::atomic<int> issued{0};
    std::string failure;
    std::atomic<DWORD> failedThread{0};

private:
    UniqueFileHandle m_pipe;
    char m_byte[1];
};

// A processor whose handle cannot be associated with a port.
class Unattachable : public Counter
{
public:
    using Counter::Counter;

    HANDLE GetIoHandle() override
    {
        return INVALID_HANDLE_VALUE;
    }
};

} // namespace

TEST(CompletionPort, NoCompletionLostOrDoubled)
{
    // Counted after the first round: the runtime keeps some handles of its own for the most
    // threads it has run at once, which are not ours to count.
    unsigned int handlesBefore = 0;
    const unsigned long total = 20000; // Wine's completion ports are slow: see the README
    for (const int workers : {8, 2, 1})
    {
        handlesBefore = workers == 2 ? OpenHandleCount() : handlesBefore;
        PostingPort port(workers);
        const unsigned long processorCount = 50;
        std::atomic<int> running(static_cast<int>(processorCount));
        std::vector<std::unique_ptr<Counter>> counters;
        for (unsigned long i = 0; i < processorCount; ++i)
        {
            counters.emplace_back(new Counter(port, i, total / processorCount, running));
            port.Attach(counters.back().get());
        }
        port.StartWorkers();
        EXPECT_TRUE(WaitFor(running, std::chrono::seconds(60))) << workers << " workers";
        port.StopWorkers();
        port.WaitForWorkers();
        unsigned long received = 0;
        for (const auto& counter : counters)
        {
            EXPECT_EQ(0u, counter->faults);
            received += counter->received;
        }
        EXPECT_EQ(total, received) << workers << " workers";
    }
    EXPECT_TRUE(HandlesSettleTo(handlesBefore));
}

TEST(CompletionPort, FailedCompletionEndsOnlyItsWorker)
{
    PostingPort port(2);
    const std::wstring name = PipeName(L"reader");
    PipeReader reader(name);
    {
        // The client end first, so that the server end is connected when the first read starts.
        UniqueFileHandle client(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(client.IsValid());
        port.Attach(&reader); // key 0
        port.StartWorkers();
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(client.Get(), "ab", 2, &written, nullptr));
        for (int i = 0; i < 5000 && reader.issued < 3; ++i)
        {
            ::Sleep(1);
        }
    }
    for (int i = 0; i < 5000 && reader.failedThread == 0; ++i)
    {
        ::Sleep(1);
    }
    EXPECT_EQ("ab", reader.received);
    EXPECT_EQ("109|0|0", reader.failure); // ERROR_BROKEN_PIPE

    // The other worker still serves.
    std::atomic<int> running(1);
    Counter counter(port, 1, 100, running);
    port.Attach(&counter);
    EXPECT_TRUE(WaitFor(running, std::chrono::seconds(10)));
    EXPECT_EQ(100u, counter.received);
    EXPECT_NE(reader.failedThread.load(), counter.lastThread);
    port.StopWorkers();
    port.WaitForWorkers();
    EXPECT_THROW(port.WaitForWorkers(), std::system_error);
}

TEST(CompletionPort, AttachFailureAndLifecycle)
{
    const int threadsBefore = ThreadCount();
    {
        PostingPort port(3);
        port.StopWorkers(); // before any start: nothing to do
        port.WaitForWorkers();

        std::atomic<int> unissued(1);
        Unattachable bad(port, 0, 0, unissued); // its IssueIo would count down
        try
        {
            port.Attach(&bad);
            FAIL() << "nothing was thrown";
        }
        catch (const Kelvo::Utilities::Win32Exception& e)
        {
            EXPECT_EQ(ERROR_INVALID_PARAMETER, e.code().value());
            EXPECT_EQ(0u, std::string(e.what()).find("CreateIoCompletionPort failed: "));
        }
        EXPECT_EQ(1, unissued);

        // The failed attach used key 0.
        std::atomic<int> running(1);
        Counter counter(port, 1, 10, running);
        port.Attach(&counter);
        port.StartWorkers();
        port.StartWorkers(); // six workers now
        EXPECT_TRUE(WaitFor(running, std::chrono::seconds(10)));
        EXPECT_EQ(0u, counter.faults);
        EXPECT_EQ(10u, counter.received);
        EXPECT_EQ(threadsBefore + 6, ThreadCount());
        // Destroyed with its workers running: they are stopped and joined.
    }
    EXPECT_EQ(threadsBefore, ThreadCount());
}

TEST(CriticalSection, AssignmentKeepsEachLock)
{
    CriticalSection first;
    CriticalSection second;
    first.Lock();
    first.Lock(); // recursive for its owner
    second = first;
    std::atomic<bool> entered(false);
    std::thread other([&] {
        second.Lock();
        second.Unlock();
        entered = true;
        first.Lock();
        first.Unlock();
    });
    for (int i = 0; i < 5000 && !entered; ++i)
    {
        ::Sleep(1);
    }
    EXPECT_TRUE(entered) << "the assigned lock looks held by another thread";
    first.Unlock();
    first.Unlock();
    other.join();
}

TEST(DeviceIoController, OverlappedRequestsThroughAPipe)
{
    {
        const std::wstring name = PipeName(L"device");
        UniqueFileHandle server = MakePipe(name, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE);
        DeviceIoController device;
        EXPECT_EQ(nullptr, device.GetHandle());
        unsigned long bytes = 0;
        EXPECT_EQ(static_cast<unsigned long>(ERROR_INVALID_HANDLE), device.Request(PipePeek, nullptr, 0, nullptr, 0));
        ASSERT_TRUE(device.Connect(name));
        // A transaction needs message reading: refused at once, synchronously and overlapped.
        char input[] = "one";
        char output[16] = {};
        EXPECT_EQ(static_cast<unsigned long>(ERROR_BAD_PIPE), device.Request(PipeTransceive, input, 3, output, sizeof(output)));
        OVERLAPPED refused{};
        EXPECT_EQ(static_cast<unsigned long>(ERROR_BAD_PIPE),
                  device.Request(PipeTransceive, input, 3, output, sizeof(output), &bytes, &refused));
        DWORD mode = PIPE_READMODE_MESSAGE;
        ASSERT_TRUE(::SetNamedPipeHandleState(device.GetHandle(), &mode, nullptr, nullptr));

        // The server answers each message after a pause.
        std::thread answer([&] {
            for (int i = 0; i < 2; ++i)
            {
                UniqueKernelHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
                OVERLAPPED overlapped{};
                overlapped.hEvent = event.Get();
                char message[16];
                DWORD read = 0;
                if (!::ReadFile(server.Get(), message, sizeof(message), &read, &overlapped))
                {
                    ::GetOverlappedResult(server.Get(), &overlapped, &read, TRUE);
                }
                ::Sleep(200);
                std::string reply = "re:" + std::string(message, read);
                ::ResetEvent(event.Get());
                DWORD written = 0;
                if (!::WriteFile(server.Get(), reply.data(), static_cast<DWORD>(reply.size()), &written, &overlapped))
                {
                    ::GetOverlappedResult(server.Get(), &overlapped, &written, TRUE);
                }
            }
        });

        // With an event: returns once the answer is there.
        UniqueKernelHandle event(::CreateEventW(nullptr, TRUE, TRUE, nullptr));
        OVERLAPPED overlapped{};
        overlapped.hEvent = event.Get();
        EXPECT_EQ(0u, device.Request(PipeTransceive, input, 3, output, sizeof(output), &bytes, &overlapped));
        EXPECT_EQ("re:one", std::string(output, bytes));

        // Without: returns at once, pending; the caller collects the result.
        OVERLAPPED bare{};
        char two[] = "two";
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(0u, device.Request(PipeTransceive, two, 3, output, sizeof(output), &bytes, &bare));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
        EXPECT_EQ(static_cast<ULONG_PTR>(STATUS_PENDING), bare.Internal);
        DWORD collected = 0;
        EXPECT_TRUE(::GetOverlappedResult(device.GetHandle(), &bare, &collected, TRUE));
        EXPECT_EQ("re:two", std::string(output, collected));
        answer.join();
        const unsigned int handlesConnected = OpenHandleCount();

        // Opened exclusively: connecting again fails and leaves nothing open.
        EXPECT_FALSE(device.Connect(name));
        EXPECT_EQ(INVALID_HANDLE_VALUE, device.GetHandle());
        EXPECT_FALSE(::PeekNamedPipe(server.Get(), nullptr, 0, nullptr, nullptr, nullptr));
        EXPECT_EQ(static_cast<DWORD>(ERROR_BROKEN_PIPE), ::GetLastError());
        EXPECT_FALSE(device.Connect(PipeName(L"missing")));
        EXPECT_EQ(INVALID_HANDLE_VALUE, device.GetHandle());
        device.Disconnect();
        device.Disconnect();
        EXPECT_EQ(nullptr, device.GetHandle());
        EXPECT_TRUE(HandlesSettleTo(handlesConnected - 1)); // the device's handle, and nothing else
    }
}
