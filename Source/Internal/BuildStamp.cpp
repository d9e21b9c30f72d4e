// The build stamp of this module and of DLL files. The stamp's text comes from the build
// (cmake/KelvoModuleLoading.cmake), the same for every DLL that one build folder makes.
#include "Internal/BuildStamp.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#ifndef KELVO_BUILD_STAMP
#error "KELVO_BUILD_STAMP comes from the build (kelvo_build_stamp)"
#endif

namespace Kelvo {

namespace {

// Kept by the linker although nothing reads it through its name: the section is what counts.
__attribute__((section(".kstamp"), used)) const char Stamp[] = KELVO_BUILD_STAMP;

// Reads size bytes at offset, or answers false when the file holds fewer.
bool ReadAt(HANDLE file, std::uint64_t offset, void* buffer, DWORD size)
{
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    DWORD read = 0;
    return ::SetFilePointerEx(file, position, nullptr, FILE_BEGIN) &&
           ::ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

// Longer stamps are not ours.
constexpr DWORD MostStampBytes = 256;

} // namespace

const std::string& OwnBuildStamp()
{
    static const std::string stamp(Stamp);
    return stamp;
}

std::string BuildStampOf(HANDLE file)
{
    IMAGE_DOS_HEADER dos{};
    if (!ReadAt(file, 0, &dos, sizeof(dos)) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew <= 0)
    {
        return std::string();
    }
    // The signature and the file header, the same in both architectures.
    struct
    {
        DWORD signature;
        IMAGE_FILE_HEADER header;
    } nt{};
    const std::uint64_t ntOffset = static_cast<std::uint32_t>(dos.e_lfanew);
    if (!ReadAt(file, ntOffset, &nt, sizeof(nt)) || nt.signature != IMAGE_NT_SIGNATURE)
    {
        return std::string();
    }
    const std::uint64_t sections = ntOffset + sizeof(nt) + nt.header.SizeOfOptionalHeader;
    for (WORD i = 0; i < nt.header.NumberOfSections; ++i)
    {
        IMAGE_SECTION_HEADER section{};
        if (!ReadAt(file, sections + std::uint64_t{ i } * sizeof(section), &section, sizeof(section)))
        {
            return std::string();
        }
        if (std::strncmp(reinterpret_cast<const char*>(section.Name), BuildStampSection, IMAGE_SIZEOF_SHORT_NAME) != 0)
        {
            continue;
        }
        // The stamp's text up to its terminating zero; the file may hold the section's trailing
        // zeros or fewer bytes than the section in memory.
        const DWORD size = std::min({ section.Misc.VirtualSize, section.SizeOfRawData, MostStampBytes });
        std::vector<char> text(size + 1, '\0');
        if (size == 0 || !ReadAt(file, section.PointerToRawData, text.data(), size))
        {
            return std::string();
        }
        return std::string(text.data());
    }
    return std::string();
}

} // namespace Kelvo
