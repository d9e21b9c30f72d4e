//
// CompletionPortTests.cpp
//
// The worker pool, its lock and the device I/O controller, over named pipes of this process
// and packets posted to the port.
//
#include <KelvoUtilities.h>

#include "OpenHandles.h"
#include "TestSupport.h"

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

std::wstring PipeName()
{
    static int serial = 0;
    return L"\\\\.\\pipe\\kelvo-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
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
// count, and counts a fault for any that arrives twice, out of order or with another key; then
// counts `running` down. With no quota it reads its pipe one byte at a time instead, until the
// client's closing fails the read.
class Processor : public IConnectionProcessor
{
public:
    Processor(PostingPort& port, ULONG_PTR key, unsigned long quota, std::atomic<int>* running,
              const std::wstring& name = PipeName())
        : pipe(MakePipe(name)), m_port(port), m_key(key), m_quota(quota), m_running(running)
    {
    }

    HANDLE GetIoHandle() override
    {
        return io;
    }

    void OnIoCompleted(unsigned long bytes, ULONG_PTR key) override
    {
        faults += (m_quota > 0 && bytes != received.size() + 1) || key != m_key ? 1 : 0;
        received += m_quota > 0 ? std::string(1, '+') : std::string(m_byte, bytes);
        lastThread = ::GetCurrentThreadId();
    }

    void IssueIo() override
    {
        ++issued;
        if (m_quota == 0)
        {
            ::ReadFile(pipe.Get(), m_byte, 1, nullptr, this);
        }
        else if (m_posted < m_quota)
        {
            ::PostQueuedCompletionStatus(m_port.GetPortHandle(), ++m_posted, m_key, this);
        }
        else
        {
            --*m_running;
        }
    }

    void OnIoFailed(unsigned long error, unsigned long bytes, ULONG_PTR key) override
    {
        failure = std::to_string(error) + "|" + std::to_string(bytes) + "|" + std::to_string(key);
        failedThread = ::GetCurrentThreadId();
    }

    UniqueFileHandle pipe;
    HANDLE io = pipe.Get();
    std::string received;
    unsigned long faults = 0;
    std::string failure;
    std::atomic<int> issued{0};
    DWORD lastThread = 0;
    std::atomic<DWORD> failedThread{0};

private:
    PostingPort& m_port;
    ULONG_PTR m_key;
    unsigned long m_quota;
    unsigned long m_posted = 0;
    std::atomic<int>* m_running;
    char m_byte[1] = {};
};

// Waits up to about limit milliseconds for done(); Wine also closes the handles of ended
// threads a little later.
template <typename Done>
bool Eventually(Done done, int limit = 10000)
{
    for (int i = 0; i < limit && !done(); ++i)
    {
        ::Sleep(1);
    }
    return done();
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

} // namespace

TEST(CompletionPort, NoCompletionLostOrDoubled)
{
    // Counted after the first round: the runtime keeps some handles of its own for the most
    // threads it has run at once, which are not ours to count.
    unsigned int handlesBefore = 0;
    const unsigned long total = 20000, processorCount = 50; // Wine's completion ports are slow: see the README
    for (const int workers : {8, 2, 1})
    {
        handlesBefore = workers == 2 ? OpenHandleCount() : handlesBefore;
        PostingPort port(workers);
        std::atomic<int> running(static_cast<int>(processorCount));
        std::vector<std::unique_ptr<Processor>> processors;
        for (unsigned long i = 0; i < processorCount; ++i)
        {
            processors.emplace_back(new Processor(port, i, total / processorCount, &running));
            port.Attach(processors.back().get());
        }
        port.StartWorkers();
        EXPECT_TRUE(Eventually([&] { return running == 0; }, 60000)) << workers << " workers";
        port.StopWorkers();
        port.WaitForWorkers();
        std::size_t received = 0;
        for (const auto& processor : processors)
        {
            EXPECT_EQ(0u, processor->faults);
            EXPECT_EQ("", processor->failure);
            received += processor->received.size();
        }
        EXPECT_EQ(total, received) << workers << " workers";
    }
    EXPECT_TRUE(Eventually([&] { return OpenHandleCount() == handlesBefore; }, 1000));
}

TEST(CompletionPort, FailedCompletionEndsOnlyItsWorker)
{
    PostingPort port(2);
    const std::wstring name = PipeName();
    Processor reader(port, 0, 0, nullptr, name);
    {
        // The client end first, so that the server end is connected when the first read starts.
        UniqueFileHandle client(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(client.IsValid());
        port.Attach(&reader); // key 0
        port.StartWorkers();
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(client.Get(), "ab", 2, &written, nullptr));
        Eventually([&] { return reader.issued >= 3; });
    }
    Eventually([&] { return reader.failedThread != 0; });
    EXPECT_EQ("ab", reader.received);
    EXPECT_EQ("109|0|0", reader.failure); // ERROR_BROKEN_PIPE

    // The other worker still serves.
    std::atomic<int> running(1);
    Processor counter(port, 1, 100, &running);
    port.Attach(&counter);
    EXPECT_TRUE(Eventually([&] { return running == 0; }));
    EXPECT_EQ(100u, counter.received.size());
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

        Processor bad(port, 0, 0, nullptr);
        bad.io = INVALID_HANDLE_VALUE;
        const auto e = TestSupport::Caught<Kelvo::Utilities::Win32Exception>([&] { port.Attach(&bad); });
        EXPECT_EQ(ERROR_INVALID_PARAMETER, e.code().value());
        EXPECT_EQ(0u, std::string(e.what()).find("CreateIoCompletionPort failed: "));
        EXPECT_EQ(0, bad.issued);

        // The failed attach used key 0.
        std::atomic<int> running(1);
        Processor counter(port, 1, 10, &running);
        port.Attach(&counter);
        port.StartWorkers();
        port.StartWorkers(); // six workers now
        EXPECT_TRUE(Eventually([&] { return running == 0; }));
        EXPECT_EQ(0u, counter.faults);
        EXPECT_EQ(10u, counter.received.size());
        EXPECT_EQ(threadsBefore + 6, ThreadCount());
        // Destroyed with its workers running: they are stopped and joined.
    }
    EXPECT_EQ(threadsBefore, ThreadCount());
}

TEST(CriticalSection, AssignmentKeepsEachLock)
{
    CriticalSection first, second;
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
    EXPECT_TRUE(Eventually([&] { return entered.load(); }, 5000)) << "the assigned lock looks held by another thread";
    first.Unlock();
    first.Unlock();
    other.join();
}

TEST(DeviceIoController, OverlappedRequestsThroughAPipe)
{
    const std::wstring name = PipeName();
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
            ::ReadFile(server.Get(), message, sizeof(message), nullptr, &overlapped);
            ::GetOverlappedResult(server.Get(), &overlapped, &read, TRUE);
            ::Sleep(200);
            std::string reply = "re:" + std::string(message, read);
            ::ResetEvent(event.Get());
            ::WriteFile(server.Get(), reply.data(), static_cast<DWORD>(reply.size()), nullptr, &overlapped);
            ::GetOverlappedResult(server.Get(), &overlapped, &read, TRUE);
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
    EXPECT_FALSE(device.Connect(PipeName()));
    EXPECT_EQ(INVALID_HANDLE_VALUE, device.GetHandle());
    device.Disconnect();
    device.Disconnect();
    EXPECT_EQ(nullptr, device.GetHandle());
    EXPECT_TRUE(Eventually([&] { return OpenHandleCount() == handlesConnected - 1; }, 1000)); // the device's handle, and nothing else
}
