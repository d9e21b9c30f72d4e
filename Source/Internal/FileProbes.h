// The new-file-name drawing and the permission probes that File and Tools share; each passes
// its own test of whether a file is there.
#pragma once

#include "Path.h"

#include <HostApi/UniqueHandle.h>

#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <string>

namespace Kelvo {
namespace Utilities {
namespace FileProbes {

// directory\<length random lower-case hexadecimal digits><extension> for which exists is false.
template <typename Exists>
std::wstring DrawNewFileName(const std::wstring& directory, const std::wstring& extension, unsigned int length,
                             Exists exists)
{
    if (directory.empty())
    {
        throw std::runtime_error("The provided path is empty");
    }
    if (extension.empty())
    {
        throw std::runtime_error("The provided extention is empty");
    }
    // A full directory (or a length of 0, which has one candidate only) must not keep us here.
    const int attempts = 1000;
    std::srand(static_cast<unsigned int>(_time64(nullptr)));
    for (int attempt = 0; attempt < attempts; ++attempt)
    {
        std::wstring name(length, L'0');
        for (wchar_t& digit : name)
        {
            // RAND_MAX + 1 is a multiple of 16, so every digit is drawn equally often.
            static_assert((RAND_MAX + 1) % 16 == 0, "digits would not be drawn evenly");
            digit = L"0123456789abcdef"[std::rand() % 16];
        }
        const std::wstring candidate = Path::Combine(directory, name) + extension;
        if (!exists(candidate))
        {
            return candidate;
        }
    }
    throw std::runtime_error("No new file name found: every name drawn exists already");
}

// Whether the file is there by exists and opens for reading and writing without sharing.
template <typename Exists>
bool IsWritable(const std::wstring& filename, Exists exists)
{
    if (filename.empty())
    {
        throw std::runtime_error("The provided filename is empty");
    }
    if (!exists(filename))
    {
        return false;
    }
    const HostApi::UniqueFileHandle file(::CreateFileW(filename.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsValid();
}

// Whether the file that drawName(folder) names can be created; the empty probe file stays.
template <typename DrawName>
bool CanCreateIn(const std::wstring& folder, DrawName drawName)
{
    if (folder.empty())
    {
        throw std::runtime_error("The provided folder is empty");
    }
    const std::wstring probe = drawName(folder);
    const HostApi::UniqueFileHandle file(::CreateFileW(probe.c_str(), GENERIC_WRITE,
                                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsValid();
}

} // namespace FileProbes
} // namespace Utilities
} // namespace Kelvo
