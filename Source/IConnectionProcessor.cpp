#include "IConnectionProcessor.h"

namespace Kelvo {
namespace Utilities {

// Out of line, so that the DLL exports the interface's special members to its callers.
IConnectionProcessor::IConnectionProcessor() : OVERLAPPED()
{
}

IConnectionProcessor::IConnectionProcessor(const IConnectionProcessor& other) : OVERLAPPED(other)
{
}

IConnectionProcessor& IConnectionProcessor::operator=(const IConnectionProcessor& other)
{
    OVERLAPPED::operator=(other);
    return *this;
}

IConnectionProcessor::~IConnectionProcessor() = default;

} // namespace Utilities
} // namespace Kelvo
