// Before CompletionPort.h: which typeinfo objects this file exports (IConnectionProcessor's base
// _OVERLAPPED, and the std ones the workers' threads and errors need) follows the order in which
// GCC meets the exported classes, and the DLL has always exported them.
#include "IConnectionProcessor.h"

#include "CompletionPort.h"
#include "Win32Exception.h"

namespace Kelvo {
namespace Utilities {

// The port is not checked on purpose: construction never throws, and a pool without a port
// fails at the platform when it is first used (Attach throws, workers end at once).
CompletionPort::CompletionPort(int threadCount)
    : m_port(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, static_cast<DWORD>(threadCount))),
      m_threadCount(threadCount),
      m_nextKey(0)
{
}

CompletionPort::~CompletionPort()
{
    if (!m_workers)
    {
        return;
    }
    // Workers still running would end the process when their threads are destroyed: stop them.
    bool running = false;
    for (const std::thread& worker : *m_workers)
    {
        running = running || worker.joinable();
    }
    if (running)
    {
        StopWorkers();
        for (std::thread& worker : *m_workers)
        {
            if (worker.joinable())
            {
                worker.join();
            }
        }
    }
}

void CompletionPort::Attach(IConnectionProcessor* processor)
{
    const ULONG_PTR key = m_nextKey++;
    const HANDLE handle = processor->GetIoHandle();
    if (::CreateIoCompletionPort(handle, m_port.Get(), key, 0) != m_port.Get())
    {
        throw Win32Exception("CreateIoCompletionPort failed");
    }
    processor->IssueIo();
}

void CompletionPort::StartWorkers()
{
    if (!m_workers)
    {
        m_workers.reset(new std::vector<std::thread>);
    }
    for (int i = 0; i < m_threadCount; ++i)
    {
        m_workers->emplace_back(&CompletionPort::WorkerProc, this);
    }
}

void CompletionPort::StopWorkers()
{
    if (!m_workers)
    {
        return;
    }
    ::CancelIo(m_port.Get());
    for (std::size_t i = 0; i < m_workers->size(); ++i)
    {
        ::PostQueuedCompletionStatus(m_port.Get(), 0, 0, nullptr);
    }
}

void CompletionPort::WaitForWorkers()
{
    if (!m_workers)
    {
        return;
    }
    for (std::thread& worker : *m_workers)
    {
        worker.join();
    }
}

HANDLE CompletionPort::GetPortHandle() const
{
    return m_port.Get();
}

void CompletionPort::WorkerProc(CompletionPort* port)
{
    DWORD bytes = 0;
    ULONG_PTR key = 0;
    OVERLAPPED* overlapped = nullptr;
    for (;;)
    {
        const BOOL succeeded = ::GetQueuedCompletionStatus(port->m_port.Get(), &bytes, &key, &overlapped, INFINITE);
        if (overlapped == nullptr)
        {
            if (!succeeded || key == 0)
            {
                return; // a stop packet, or the port itself failed
            }
            continue; // a keyed packet without a processor: nobody to hand it to
        }
        IConnectionProcessor* processor = static_cast<IConnectionProcessor*>(overlapped);
        // An exception leaving a thread would end the process: what a processor throws stays here.
        if (!succeeded)
        {
            const DWORD error = ::GetLastError();
            try
            {
                processor->OnIoFailed(error, bytes, key);
            }
            catch (...)
            {
            }
            return;
        }
        try
        {
            processor->OnIoCompleted(bytes, key);
            processor->IssueIo();
        }
        catch (...)
        {
            // Its chain of operations ends here; the other processors are still served.
        }
    }
}

} // namespace Utilities
} // namespace Kelvo
