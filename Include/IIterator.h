#pragma once

#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// A position in a single-pass sequence of names, behind an abstract class.
/// Implemented by IteratorFolder; shared by the iterators of an Enumerator.
/// Example: Examples/files_ini_logs.cpp
class KELVO_UTILITIES_API IIterator
{
public:
    ///@{
    /// Interfaces hold no state: constructing, copying and assigning do nothing.
    IIterator() = default;
    IIterator(const IIterator&) = default;
    IIterator& operator=(const IIterator&) = default;
    ///@}
    virtual ~IIterator();

    /// Whether this position differs from other's (the end equals the end).
    virtual bool Different(IIterator* other) = 0;
    /// Moves to the next name; at the end it stays there.
    virtual void Increment() = 0;
    /// The name at this position.
    virtual std::wstring GetData() = 0;
};

} // namespace Utilities
} // namespace Kelvo
