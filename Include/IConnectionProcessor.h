#pragma once

#include "UtilitiesExport.h"

#include <windows.h>

namespace Kelvo {
namespace Utilities {

/// One connection served by a CompletionPort. The processor is itself the OVERLAPPED record of
/// its asynchronous operations, so a completion packet leads straight back to it: IssueIo must
/// pass `this` as the OVERLAPPED. Workers may call into one processor concurrently when it has
/// more than one operation outstanding; it guards its own state.
/// Owns nothing of the pool's; the pool does not own it. Example: Examples/pool_and_device_io.cpp
class KELVO_UTILITIES_API IConnectionProcessor : public OVERLAPPED
{
public:
    /// A zeroed OVERLAPPED record.
    IConnectionProcessor();
    ///@{
    /// Copies the OVERLAPPED record as it is.
    IConnectionProcessor(const IConnectionProcessor& other);
    IConnectionProcessor& operator=(const IConnectionProcessor& other);
    ///@}
    virtual ~IConnectionProcessor();

    /// The file, pipe, socket or device handle to associate with the port.
    virtual HANDLE GetIoHandle() = 0;
    /// An operation completed: bytesTransferred bytes, on the key Attach gave. Whatever it throws
    /// ends this processor's chain of operations (IssueIo is not called), not the worker.
    virtual void OnIoCompleted(unsigned long bytesTransferred, ULONG_PTR completionKey) = 0;
    /// Starts the next asynchronous operation; called on Attach and after every OnIoCompleted.
    virtual void IssueIo() = 0;
    /// An operation completed with error; the worker that received it ends afterwards.
    virtual void OnIoFailed(unsigned long error, unsigned long bytesTransferred, ULONG_PTR completionKey) = 0;
};

} // namespace Utilities
} // namespace Kelvo
