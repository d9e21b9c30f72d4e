// Completions per second through the worker pool with 1, 2 and 8 workers, against a bare
// GetQueuedCompletionStatus loop, for posted packets and for reads of named pipes; POSTs per
// second against a server inside this program.
#include <IConnectionProcessor.h>
#include <KelvoUtilities.h>

#include "LoopbackHttpServer.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

using namespace Kelvo::Utilities;

namespace {

const unsigned long Completions = 100000;
const unsigned long Processors = 50;

class Pool : public CompletionPort
{
public:
    using CompletionPort::CompletionPort;
    using CompletionPort::GetPortHandle;
};

// A pipe whose server end (overlapped) reads what its client end writes, within one process.
struct PipePair
{
    PipePair()
    {
        static int serial = 0;
        const std::wstring name = L"\\\\.\\pipe\\kelvo-bench-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(++serial);
        server.Reset(::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, 0, 1, 4096, 4096, 0,
                                        nullptr));
        client.Reset(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    }

    // Queues 256 numbers at once, so that most reads find their data waiting.
    void Fill()
    {
        unsigned long numbers[256] = {};
        DWORD written = 0;
        ::WriteFile(client.Get(), numbers, sizeof(numbers), &written, nullptr);
    }

    // Reads one number; the completion goes to the port the server end belongs to.
    void Read(OVERLAPPED* overlapped)
    {
        if (reads++ % 256 == 0)
        {
            Fill();
        }
        ::ReadFile(server.Get(), &number, sizeof(number), nullptr, overlapped);
    }

    Kelvo::HostApi::UniqueFileHandle server;
    Kelvo::HostApi::UniqueFileHandle client;
    unsigned long number = 0;
    unsigned long reads = 0;
};

// Completes its share one operation at a time: reads of its own pipe, or packets it posts.
class Looper : public IConnectionProcessor
{
public:
    Looper(HANDLE port, bool piped, unsigned long quota, std::atomic<int>& running)
        : m_port(port), m_piped(piped), m_quota(quota), m_running(running)
    {
    }
    HANDLE GetIoHandle() override
    {
        return m_pipe.server.Get();
    }
    void OnIoCompleted(unsigned long, ULONG_PTR) override
    {
    }
    void IssueIo() override
    {
        if (m_issued++ == m_quota)
        {
            --m_running;
        }
        else if (m_piped)
        {
            m_pipe.Read(this);
        }
        else
        {
            ::PostQueuedCompletionStatus(m_port, 0, 1, this);
        }
    }
    void OnIoFailed(unsigned long, unsigned long, ULONG_PTR) override
    {
    }

private:
    PipePair m_pipe;
    HANDLE m_port;
    bool m_piped;
    unsigned long m_quota;
    unsigned long m_issued = 0;
    std::atomic<int>& m_running;
};

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

const char* Traffic(bool piped)
{
    return piped ? "pipe reads" : "posted packets";
}

void PoolRun(int workers, bool piped)
{
    Pool pool(workers);
    std::atomic<int> running(static_cast<int>(Processors));
    std::vector<std::unique_ptr<Looper>> loopers;
    for (unsigned long i = 0; i < Processors; ++i)
    {
        loopers.emplace_back(new Looper(pool.GetPortHandle(), piped, Completions / Processors, running));
    }
    const auto start = std::chrono::steady_clock::now();
    for (auto& looper : loopers)
    {
        pool.Attach(looper.get());
    }
    pool.StartWorkers();
    while (running > 0)
    {
        ::Sleep(1);
    }
    const double seconds = Seconds(start);
    pool.StopWorkers();
    pool.WaitForWorkers();
    std::printf("%-15s pool, %d worker(s):  %10.0f completions/s\n", Traffic(piped), workers, Completions / seconds);
}

// The same traffic without the pool: one thread starting each operation and taking its packet.
void BareRun(bool piped)
{
    const Kelvo::HostApi::UniqueKernelHandle port(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    PipePair pipe;
    ::CreateIoCompletionPort(pipe.server.Get(), port.Get(), 1, 0);
    OVERLAPPED overlapped{};
    const auto start = std::chrono::steady_clock::now();
    for (unsigned long i = 0; i < Completions; ++i)
    {
        if (piped)
        {
            pipe.Read(&overlapped);
        }
        else
        {
            ::PostQueuedCompletionStatus(port.Get(), 0, 1, &overlapped);
        }
        DWORD bytes = 0;
        ULONG_PTR key = 0;
        OVERLAPPED* taken = nullptr;
        ::GetQueuedCompletionStatus(port.Get(), &bytes, &key, &taken, INFINITE);
    }
    std::printf("%-15s bare GetQueuedCompletionStatus loop: %10.0f completions/s\n", Traffic(piped),
                Completions / Seconds(start));
}

void PostRun()
{
    LoopbackHttpServer server;
    server.SetReply(200, "ok");
    WinHTTPClient client(false);
    client.AddHeader(L"X-Bench", 1);
    client.SetCommandBody(L"{\"bench\":true}");
    const std::wstring url = L"http://127.0.0.1:" + std::to_wstring(server.Port()) + L"/bench";
    const int posts = 300;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < posts; ++i)
    {
        client.ExecutePostRequest(url);
    }
    std::printf("POST to a local server: %10.0f requests/s\n", posts / Seconds(start));
}

} // namespace

int main()
{
    for (const bool piped : {false, true})
    {
        BareRun(piped);
        for (const int workers : {1, 2, 8})
        {
            PoolRun(workers, piped);
        }
    }
    PostRun();
    return 0;
}
