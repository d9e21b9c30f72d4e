#pragma once

#include "UtilitiesExport.h"

#include <HostApi/UniqueHandle.h>
#include <HostApi/WindowsTypes.h>

#include <memory>
#include <thread>
#include <vector>

namespace Kelvo {
namespace Utilities {

class IConnectionProcessor;

/// A fixed pool of worker threads over one I/O completion port. Attach associates a processor's
/// handle with the port (each with the next completion key, counted from 0) and lets it issue its
/// first operation; the workers then hand every completion back to its processor and let it issue
/// the next. A failed completion ends the worker that received it. A processor that throws from
/// OnIoCompleted or IssueIo ends its own chain of operations: the worker drops the exception, does
/// not call IssueIo for it, and goes on serving the other processors; what OnIoFailed throws is
/// dropped as well, and that worker ends as after any failed completion. So no exception of a
/// processor ends the process. The pool never owns the processors. StopWorkers and
/// WaitForWorkers end the workers; the destructor does both for workers still running.
/// Owns the port and its worker threads. Throws Win32Exception when Attach cannot associate a
/// handle, std::system_error when a thread cannot be started or joined.
/// Example: Examples/pool_and_device_io.cpp
class KELVO_UTILITIES_API CompletionPort
{
public:
    /// threadCount is the port's concurrency and the number of workers each StartWorkers starts.
    /// Creates the port, without checking it: a port that could not be made fails in Attach.
    explicit CompletionPort(int threadCount);
    CompletionPort(const CompletionPort&) = delete;
    CompletionPort& operator=(const CompletionPort&) = delete;
    ~CompletionPort();

    /// Throws Win32Exception "CreateIoCompletionPort failed" when the handle cannot be associated;
    /// IssueIo is then not called, and the key stays used.
    void Attach(IConnectionProcessor* processor);
    /// Starts threadCount more workers.
    void StartWorkers();
    /// Posts one stop packet per worker ever started; does not wait.
    void StopWorkers();
    /// Joins every worker; a second call throws std::system_error.
    void WaitForWorkers();

protected:
    /// The body of every worker: waits for completions on port's queue and hands each to its
    /// processor until a stop packet or a failed completion comes.
    static void WorkerProc(CompletionPort* port);

    /// The port, for derived pools that post their own packets.
    HANDLE GetPortHandle() const;

private:
    HostApi::UniqueKernelHandle m_port;
    std::unique_ptr<std::vector<std::thread>> m_workers;
    int m_threadCount;
    unsigned int m_nextKey;
};

} // namespace Utilities
} // namespace Kelvo
