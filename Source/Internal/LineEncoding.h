// The two on-disk line forms of File, for the classes of this DLL that write lines themselves.
#pragma once

#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

// The line and CR LF, one byte per character: U+00NN is byte NN, anything above U+00FF is '?',
// and an LF inside the line becomes CR LF (text mode).
void AppendEightBitLine(std::vector<unsigned char>& bytes, const std::wstring& line);
// The text's code units little-endian, then the code unit terminator: the byte form of UTF-16
// text in files and in registry values.
void AppendUtf16LittleEndian(std::vector<unsigned char>& bytes, const std::wstring& text, wchar_t terminator);
// The line's code units little-endian, then U+000A.
void AppendUnicodeLine(std::vector<unsigned char>& bytes, const std::wstring& line);
// The two bytes FF FE that open a file of little-endian UTF-16 lines.
std::vector<unsigned char> UnicodeLinesStart();

// What the platform's text mode keeps of 8-bit text: the bytes up to the first 0x1A, without the
// CR of each CR LF (a lone CR stays).
std::string TextModeBytes(const std::vector<unsigned char>& bytes);
// The UTF-16 code units of a file's bytes: little-endian after FF FE, big-endian after FE FF or
// without a mark. Every unit is kept, unpaired surrogates too; an odd last byte is not a unit.
std::wstring Utf16Text(const std::vector<unsigned char>& bytes);
// Splits at U+000A: an unterminated last line counts, a final line end adds no empty line.
std::vector<std::wstring> SplitLines(const std::wstring& text);

} // namespace Utilities
} // namespace Kelvo
