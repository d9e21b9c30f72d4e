/// \file
/// SourceLocation, the throw site an Exception records, and KELVO_SOURCE_LOCATION, which makes one.
#pragma once

#include <cstdint>
#include <string>

namespace Kelvo {
namespace Utilities {

/// The throw site recorded by Exception: the throwing source file, as a path relative to the
/// project root without extension (e.g. `Source\OSInfo`), and the line of the throwing statement.
struct SourceLocation
{
    /// The throwing source file, such as `Source\OSInfo`.
    std::wstring SourceFile;
    /// The line of the throwing statement.
    std::uint32_t Line;
};

} // namespace Utilities
} // namespace Kelvo

/// The SourceLocation of the statement it stands in; file is a wide literal such as `L"Source\\OSInfo"`.
#define KELVO_SOURCE_LOCATION(file) \
    ::Kelvo::Utilities::SourceLocation{ file, static_cast<std::uint32_t>(__LINE__) }
