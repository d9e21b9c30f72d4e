//
// Utf16.h
//
// The surrogate ranges of UTF-16, for the classes of this DLL that decode or check it.
//
#pragma once

namespace Kelvo {
namespace Utilities {

inline bool IsHighSurrogate(unsigned int unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

inline bool IsLowSurrogate(unsigned int unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace Utilities
} // namespace Kelvo
