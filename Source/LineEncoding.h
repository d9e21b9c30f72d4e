//
// LineEncoding.h
//
// The two on-disk line forms of File, for the classes of this DLL that write lines themselves.
//
#pragma once

#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

// The line and CR LF, one byte per character: U+00NN is byte NN, anything above U+00FF is '?',
// and an LF inside the line becomes CR LF (text mode).
void AppendEightBitLine(std::vector<unsigned char>& bytes, const std::wstring& line);
// The line's code units little-endian, then U+000A.
void AppendUnicodeLine(std::vector<unsigned char>& bytes, const std::wstring& line);
// The two bytes FF FE that open a file of little-endian UTF-16 lines.
std::vector<unsigned char> UnicodeLinesStart();

} // namespace Utilities
} // namespace Kelvo
