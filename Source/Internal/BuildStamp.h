// Which build a DLL comes from: KelvoUtilities.dll and HostApi.dll carry the same build stamp
// (the project version and an identifier made once per build folder) in a section of their own,
// and KelvoUtilities.dll loads only the HostApi.dll that carries its own.
#pragma once

#include <windows.h>

#include <string>

namespace Kelvo {

// The name of the section that holds the stamp.
constexpr char BuildStampSection[] = ".kstamp";

// This module's stamp.
const std::string& OwnBuildStamp();

// The stamp in the section of that name of the DLL file open for reading at file, or empty when
// the file has none or is no well-formed PE file (it is read within its bounds, never trusted).
// Moves the file pointer.
std::string BuildStampOf(HANDLE file);

} // namespace Kelvo
