#pragma once

#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// A position in a single-pass sequence of names, behind an abstract class.
class KELVO_UTILITIES_API IIterator
{
public:
    IIterator() = default;
    IIterator(const IIterator&) = default;
    IIterator& operator=(const IIterator&) = default;
    virtual ~IIterator();

    virtual bool Different(IIterator* other) = 0;
    virtual void Increment() = 0;
    virtual std::wstring GetData() = 0;
};

} // namespace Utilities
} // namespace Kelvo
