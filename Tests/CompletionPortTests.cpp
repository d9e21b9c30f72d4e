// The worker pool, its lock and the device I/O controller, over named pipes of this process
// and packets posted to the port.
#include <KelvoUtilities.h>

#include "OpenHandles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>
#include <tlhelp32.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <stdexcept>
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

// Completes `quota` reads of its own pipe one after another: the numbers 1, 2, ... go into the
// client end (a bufferful at a time, which saves Wine's server a call per completion) and each
// IssueIo reads the next one back through the server end, so every completion is a real pipe
// read. Counts a fault for any that arrives twice, out of order or with another key; then counts
// `running` down. With no quota it reads one byte at a time of whatever another client writes,
// until that client's closing fails the read. It can be told to throw from each callback.
class Processor : public IConnectionProcessor
{
public:
    Processor(ULONG_PTR key, unsigned long quota, std::atomic<int>* running, const std::wstring& name = PipeName())
        : pipe(MakePipe(name)),
          m_client(quota > 0 ? ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE),
          m_key(key), m_quota(quota), m_running(running)
    {
    }

    HANDLE GetIoHandle() override
    {
        return io;
    }

    void OnIoCompleted(unsigned long bytes, ULONG_PTR key) override
    {
        if (m_quota > 0)
        {
            faults += bytes != sizeof(m_number) || m_number != completed + 1 || key != m_key ? 1 : 0;
            if (++completed == throwAtCompletion)
            {
                throw std::runtime_error("completion");
            }
        }
        else
        {
            received.append(reinterpret_cast<const char*>(&m_number), bytes);
        }
        lastThread = ::GetCurrentThreadId();
    }

    void IssueIo() override
    {
        if (++issued == throwAtIssue)
        {
            throw 42;
        }
        if (m_quota == 0)
        {
            ::ReadFile(pipe.Get(), &m_number, 1, nullptr, this);
        }
        else if (completed < m_quota)
        {
            if (completed == m_written)
            {
                WriteNumbers();
            }
            ::ReadFile(pipe.Get(), &m_number, sizeof(m_number), nullptr, this);
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
        if (throwOnFailure)
        {
            throw std::runtime_error("failure");
        }
    }

    UniqueFileHandle pipe;
    HANDLE io = pipe.Get();
    std::string received;
    unsigned long completed = 0;
    unsigned long faults = 0;
    std::string failure;
    std::atomic<int> issued{0};
    DWORD lastThread = 0;
    std::atomic<DWORD> failedThread{0};
    unsigned long throwAtCompletion = 0;
    int throwAtIssue = 0;
    bool throwOnFailure = false;

private:
    // The next numbers, as many as the pipe's buffer takes, in one write.
    void WriteNumbers()
    {
        unsigned long numbers[256];
        DWORD count = 0;
        while (count < 256 && m_written < m_quota)
        {
            numbers[count++] = ++m_written;
        }
        DWORD written = 0;
        faults += ::WriteFile(m_client.Get(), numbers, count * sizeof(numbers[0]), &written, nullptr) ? 0 : 1;
    }

    UniqueFileHandle m_client;
    ULONG_PTR m_key;
    unsigned long m_quota;
    unsigned long m_written = 0;
    unsigned long m_number = 0;
    std::atomic<int>* m_running;
};

// Waits up to about limit milliseconds for done(), looking every step milliseconds; Wine also
// closes the handles of ended threads a little later.
template <typename Done>
bool Eventually(Done done, int limit = 10000, int step = 1)
{
    for (int waited = 0; waited < limit && !done(); waited += step)
    {
        ::Sleep(static_cast<DWORD>(step));
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
    const char* const soak = std::getenv("KELVO_POOL_COMPLETIONS");
    const unsigned long total = soak != nullptr ? std::stoul(soak) : 20000, processorCount = 50;
    for (const int workers : {8, 2, 1})
    {
        handlesBefore = workers == 2 ? OpenHandleCount() : handlesBefore;
        CompletionPort port(workers);
        std::atomic<int> running(static_cast<int>(processorCount));
        std::vector<std::unique_ptr<Processor>> processors;
        for (unsigned long i = 0; i < processorCount; ++i)
        {
            processors.emplace_back(new Processor(i, total / processorCount, &running));
            port.Attach(processors.back().get());
        }
        port.StartWorkers();
        EXPECT_TRUE(Eventually([&] { return running == 0; }, 1200000, 20)) << workers << " workers";
        port.StopWorkers();
        port.WaitForWorkers();
        std::size_t received = 0;
        for (const auto& processor : processors)
        {
            EXPECT_EQ(0u, processor->faults);
            EXPECT_EQ("", processor->failure);
            received += processor->completed;
        }
        EXPECT_EQ(total, received) << workers << " workers";
    }
    EXPECT_TRUE(Eventually([&] { return OpenHandleCount() == handlesBefore; }, 1000));
}

TEST(CompletionPort, FailedCompletionEndsOnlyItsWorker)
{
    CompletionPort port(2);
    const std::wstring name = PipeName();
    Processor reader(0, 0, nullptr, name);
    reader.throwOnFailure = true; // dropped: the worker ends as after any failure
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
    Processor counter(1, 100, &running);
    port.Attach(&counter);
    EXPECT_TRUE(Eventually([&] { return running == 0; }));
    EXPECT_EQ(100u, counter.completed);
    EXPECT_NE(reader.failedThread.load(), counter.lastThread);
    port.StopWorkers();
    port.WaitForWorkers();
    EXPECT_THROW(port.WaitForWorkers(), std::system_error);
}

TEST(CompletionPort, ProcessorThatThrowsEndsOnlyItsOwnChain)
{
    // One worker: had an exception ended it, or the process, nobody would serve the counter.
    CompletionPort port(1);
    std::atomic<int> running(1);
    Processor throwsOnCompletion(0, 100, nullptr), throwsOnIssue(1, 100, nullptr), counter(2, 100, &running);
    throwsOnCompletion.throwAtCompletion = 3;
    throwsOnIssue.throwAtIssue = 5;
    port.Attach(&throwsOnCompletion);
    port.Attach(&throwsOnIssue);
    port.Attach(&counter);
    port.StartWorkers();
    EXPECT_TRUE(Eventually([&] { return running == 0; }));
    EXPECT_EQ(100u, counter.completed);
    EXPECT_EQ(0u, counter.faults);
    // Neither is asked for another operation after it threw.
    EXPECT_EQ(3u, throwsOnCompletion.completed);
    EXPECT_EQ(3, throwsOnCompletion.issued);
    EXPECT_EQ(4u, throwsOnIssue.completed);
    EXPECT_EQ(5, throwsOnIssue.issued);
    port.StopWorkers();
    port.WaitForWorkers();
}

TEST(CompletionPort, AttachFailureAndLifecycle)
{
    const int threadsBefore = ThreadCount();
    {
        CompletionPort port(3);
        port.StopWorkers(); // before any start: nothing to do
        port.WaitForWorkers();

        Processor bad(0, 0, nullptr);
        bad.io = INVALID_HANDLE_VALUE;
        const auto e = TestSupport::Caught<Kelvo::Utilities::Win32Exception>([&] { port.Attach(&bad); });
        EXPECT_EQ(ERROR_INVALID_PARAMETER, e.code().value());
        EXPECT_EQ(0u, std::string(e.what()).find("CreateIoCompletionPort failed: "));
        EXPECT_EQ(0, bad.issued);

        // The failed attach used key 0.
        std::atomic<int> running(1);
        Processor counter(1, 10, &running);
        port.Attach(&counter);
        port.StartWorkers();
        port.StartWorkers(); // six workers now
        EXPECT_TRUE(Eventually([&] { return running == 0; }));
        EXPECT_EQ(0u, counter.faults);
        EXPECT_EQ(10u, counter.completed);
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
