//
// IConnectionProcessor.cpp
//
#include "IConnectionProcessor.h"

namespace Kelvo {
namespace Utilities {

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
