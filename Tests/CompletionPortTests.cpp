// The worker pool, its lock and the device I/O controller, over named pipes of this process.
#include <IConnectionProcessor.h>
#include <KelvoUtilities.h>

#include "OpenHandles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

using namespace Kelvo::Utilities;
using Kelvo::HostApi::UniqueFileHandle;
using Kelvo::HostApi::UniqueKernelHandle;

namespace {

// Named-pipe control codes of the platform's pipe file system (not in the SDK's user headers).
const unsigned long PipePeek = CTL_CODE(FILE_DEVICE_NAMED_PIPE, 3, METHOD_BUFFERED, FILE_READ_DATA);
const unsigned long PipeTransceive = CTL_CODE(FILE_DEVICE_NAMED_PIPE, 5, METHOD_NEITHER, FILE_READ_DATA | FILE_WRITE_DATA);

std::wstring PipeName()
{
    static int serial = 0;
    return L"\\\\.\\pipe\\kelvo-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
}

// Completes `quota` reads of its own pipe one after another: each IssueIo writes the next of the
// numbers 1, 2, ... into the client end and reads it back through the server end, so every
// completion is a real pipe read. Counts a fault for any that arrives twice, out of order or
// with another key, then counts `running` down; or, told to hang up, starts one more read and
// closes the client end, which fails that read. It can be told to throw from a callback, and
// throws from every failure.
struct Processor : IConnectionProcessor
{
    Processor(ULONG_PTR key, unsigned long quota, std::atomic<int>* running = nullptr, const std::wstring& name = PipeName())
        : pipe(::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, 0, 1, 4096, 4096, 0, nullptr)),
          m_client(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)), m_key(key),
          m_quota(quota), m_running(running)
    {
    }

    HANDLE GetIoHandle() override
    {
        return io;
    }

    void OnIoCompleted(unsigned long bytes, ULONG_PTR key) override
    {
        faults += bytes != sizeof(m_number) || m_number != completed + 1 || key != m_key ? 1 : 0;
        if (++completed == throwAtCompletion)
        {
            throw std::runtime_error("completion");
        }
    }

    void IssueIo() override
    {
        if (++issued == throwAtIssue)
        {
            throw 42;
        }
        // Decided before reading: once the read is started, another worker may complete it.
        if (completed < m_quota)
        {
            const unsigned long next = completed + 1;
            DWORD written = 0;
            faults += ::WriteFile(m_client.Get(), &next, sizeof(next), &written, nullptr) ? 0 : 1;
            ::ReadFile(pipe.Get(), &m_number, sizeof(m_number), nullptr, this);
        }
        else if (hangUp)
        {
            ::ReadFile(pipe.Get(), &m_number, sizeof(m_number), nullptr, this);
            m_client.Reset();
        }
        else
        {
            --*m_running;
        }
    }

    void OnIoFailed(unsigned long error, unsigned long bytes, ULONG_PTR key) override
    {
        failure = std::to_string(error) + "|" + std::to_string(bytes) + "|" + std::to_string(key);
        failed = true;
        throw std::runtime_error("failure");
    }

    UniqueFileHandle pipe;
    HANDLE io = pipe.Get();
    unsigned long completed = 0, faults = 0, throwAtCompletion = 0;
    std::string failure;
    std::atomic<bool> failed{false};
    std::atomic<int> issued{0};
    int throwAtIssue = 0;
    bool hangUp = false;
    UniqueFileHandle m_client;
    ULONG_PTR m_key;
    unsigned long m_quota;
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

// The threads of this process: a worker that has ended no longer counts.
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
        EXPECT_THROW(port.WaitForWorkers(), std::system_error);
        std::size_t received = 0;
        for (const auto& processor : processors)
        {
            EXPECT_EQ(0u, processor->faults);
            EXPECT_EQ("", processor->failure);
            received += processor->completed;
        }
        EXPECT_EQ(total, received) << workers << " workers";
    }
    EXPECT_TRUE(Eventually([&] { return OpenHandleCount() == handlesBefore; }, 1000)) << handlesBefore << " handles before, now " << OpenHandleCount();
}

TEST(CompletionPort, FailuresEndOnlyTheirWorkerAndThrowsOnlyTheirChain)
{
    const int threadsBefore = ThreadCount();
    {
        CompletionPort port(2);
        port.StopWorkers(); // before any start: nothing to do
        port.WaitForWorkers();

        Processor bad(0, 1);
        bad.io = INVALID_HANDLE_VALUE;
        const auto e = TestSupport::Caught<Win32Exception>([&] { port.Attach(&bad); });
        EXPECT_EQ(ERROR_INVALID_PARAMETER, e.code().value());
        EXPECT_EQ(0u, std::string(e.what()).find("CreateIoCompletionPort failed: "));
        EXPECT_EQ(0, bad.issued);

        // A failed completion ends the worker that received it, though its processor throws.
        port.StartWorkers();
        EXPECT_EQ(threadsBefore + 2, ThreadCount());
        Processor hangsUp(1, 2); // key 1: the failed attach used key 0
        hangsUp.hangUp = true;
        port.Attach(&hangsUp);
        EXPECT_TRUE(Eventually([&] { return hangsUp.failed && ThreadCount() == threadsBefore + 1; }));
        EXPECT_EQ("109|0|1", hangsUp.failure); // ERROR_BROKEN_PIPE, after its two numbers

        // The other worker still serves, alone: what a processor throws ends only its own chain
        // of operations, not the worker, nor the process.
        std::atomic<int> running(1);
        Processor throwsOnCompletion(2, 100), throwsOnIssue(3, 100), counter(4, 100, &running);
        throwsOnCompletion.throwAtCompletion = 3;
        throwsOnIssue.throwAtIssue = 5;
        port.Attach(&throwsOnCompletion);
        port.Attach(&throwsOnIssue);
        port.Attach(&counter);
        EXPECT_TRUE(Eventually([&] { return running == 0; })); // all 100 of the counter's
        EXPECT_EQ(0u, counter.faults);
        // Neither is asked for another operation after it threw.
        EXPECT_EQ(3u, throwsOnCompletion.completed);
        EXPECT_EQ(3, throwsOnCompletion.issued);
        EXPECT_EQ(4u, throwsOnIssue.completed);
        EXPECT_EQ(5, throwsOnIssue.issued);

        port.StartWorkers(); // two more
        EXPECT_EQ(threadsBefore + 3, ThreadCount());
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
    const UniqueFileHandle server(::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE,
                                                     1, 4096, 4096, 0, nullptr));
    DeviceIoController device;
    EXPECT_EQ(nullptr, device.GetHandle());
    unsigned long bytes = 0;
    EXPECT_EQ(static_cast<unsigned long>(ERROR_INVALID_HANDLE), device.Request(PipePeek, nullptr, 0, nullptr, 0));
    ASSERT_TRUE(device.Connect(name));
    // A transaction needs message reading: refused at once, synchronously and overlapped.
    char input[] = "one", two[] = "two", output[16] = {};
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
            char message[16];
            DWORD read = 0;
            ::ReadFile(server.Get(), message, sizeof(message), &read, nullptr);
            ::Sleep(200);
            const std::string reply = "re:" + std::string(message, read);
            ::WriteFile(server.Get(), reply.data(), static_cast<DWORD>(reply.size()), &read, nullptr);
        }
    });

    // With an event: returns once the answer is there.
    const UniqueKernelHandle event(::CreateEventW(nullptr, TRUE, TRUE, nullptr));
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.Get();
    EXPECT_EQ(0u, device.Request(PipeTransceive, input, 3, output, sizeof(output), &bytes, &overlapped));
    EXPECT_EQ("re:one", std::string(output, bytes));

    // Without: returns at once, pending; the caller collects the result.
    OVERLAPPED bare{};
    EXPECT_EQ(0u, device.Request(PipeTransceive, two, 3, output, sizeof(output), &bytes, &bare));
    EXPECT_EQ(static_cast<ULONG_PTR>(STATUS_PENDING), bare.Internal);
    DWORD collected = 0;
    EXPECT_TRUE(::GetOverlappedResult(device.GetHandle(), &bare, &collected, TRUE));
    EXPECT_EQ("re:two", std::string(output, collected));
    answer.join();
    const unsigned int handlesConnected = OpenHandleCount();

    // Opened exclusively: connecting again fails, and leaves the old device closed and nothing open.
    EXPECT_FALSE(device.Connect(name));
    EXPECT_EQ(INVALID_HANDLE_VALUE, device.GetHandle());
    EXPECT_FALSE(::PeekNamedPipe(server.Get(), nullptr, 0, nullptr, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_BROKEN_PIPE), ::GetLastError());
    device.Disconnect();
    device.Disconnect();
    EXPECT_EQ(nullptr, device.GetHandle());
    EXPECT_TRUE(Eventually([&] { return OpenHandleCount() == handlesConnected - 1; }, 1000)); // the device's handle, and nothing else
}
