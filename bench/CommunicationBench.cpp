//
// CommunicationBench.cpp
//
// Completions per second through the worker pool with 1, 2 and 8 workers, against a bare
// GetQueuedCompletionStatus loop; POSTs per second against a server inside this program.
//
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

// Posts its share of completions to itself, one outstanding at a time.
class Poster : public IConnectionProcessor
{
public:
    Poster(HANDLE port, unsigned long quota, std::atomic<int>& running)
        : m_pipe(::CreateNamedPipeW((L"\\\\.\\pipe\\kelvo-bench-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                     std::to_wstring(++s_serial)).c_str(),
                                    PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, 0, 1, 0, 0, 0, nullptr)),
          m_port(port), m_quota(quota), m_running(running)
    {
    }
    HANDLE GetIoHandle() override
    {
        return m_pipe.Get();
    }
    void OnIoCompleted(unsigned long, ULONG_PTR) override
    {
    }
    void IssueIo() override
    {
        if (m_posted++ < m_quota)
        {
            ::PostQueuedCompletionStatus(m_port, 0, 1, this);
        }
        else
        {
            --m_running;
        }
    }
    void OnIoFailed(unsigned long, unsigned long, ULONG_PTR) override
    {
    }

private:
    static int s_serial;
    Kelvo::HostApi::UniqueFileHandle m_pipe;
    HANDLE m_port;
    unsigned long m_quota;
    unsigned long m_posted = 0;
    std::atomic<int>& m_running;
};
int Poster::s_serial = 0;

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void PoolRun(int workers)
{
    Pool pool(workers);
    std::atomic<int> running(static_cast<int>(Processors));
    std::vector<std::unique_ptr<Poster>> posters;
    for (unsigned long i = 0; i < Processors; ++i)
    {
        posters.emplace_back(new Poster(pool.GetPortHandle(), Completions / Processors, running));
    }
    const auto start = std::chrono::steady_clock::now();
    for (auto& poster : posters)
    {
        pool.Attach(poster.get());
    }
    pool.StartWorkers();
    while (running > 0)
    {
        ::Sleep(1);
    }
    const double seconds = Seconds(start);
    pool.StopWorkers();
    pool.WaitForWorkers();
    std::printf("pool, %d worker(s):  %10.0f completions/s\n", workers, Completions / seconds);
}

// The same traffic without the pool: one thread posting and taking packets itself.
void BareRun()
{
    const HANDLE port = ::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
    OVERLAPPED overlapped{};
    const auto start = std::chrono::steady_clock::now();
    for (unsigned long i = 0; i < Completions; ++i)
    {
        ::PostQueuedCompletionStatus(port, 0, 1, &overlapped);
        DWORD bytes = 0;
        ULONG_PTR key = 0;
        OVERLAPPED* taken = nullptr;
        ::GetQueuedCompletionStatus(port, &bytes, &key, &taken, INFINITE);
    }
    std::printf("bare GetQueuedCompletionStatus loop: %10.0f completions/s\n", Completions / Seconds(start));
    ::CloseHandle(port);
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
    BareRun();
    for (const int workers : {1, 2, 8})
    {
        PoolRun(workers);
    }
    PostRun();
    return 0;
}
