// What the tests that touch the file system share: a fixture that gives each test a fresh
// directory below the temporary directory, with non-Latin characters in its name, and removes
// it; the names of a listing; and the private memory of the process.
#pragma once

#include <File.h>
#include <Path.h>

#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>

class FileSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A unique name from the system, turned into a directory.
        const std::wstring unique = Kelvo::Utilities::File::GetTempFileNameW();
        Kelvo::Utilities::File::Delete(unique);
        m_dir = unique + L".d\u00e9\u65e5";
        std::filesystem::create_directory(m_dir);
    }

    void TearDown() override
    {
        std::filesystem::remove_all(m_dir);
    }

    std::wstring In(const std::wstring& name) const
    {
        return Kelvo::Utilities::Path::Combine(m_dir, name);
    }

    std::wstring m_dir;
};

// Every name of a list or of a single-pass enumeration, in any order.
using Names = std::multiset<std::wstring>;
template <typename Listing>
Names NamesIn(Listing&& listing)
{
    Names names;
    for (const std::wstring& name : listing)
    {
        names.insert(name);
    }
    return names;
}

// The private commit of the process; Wine leaves PrivateUsage 0.
inline std::int64_t PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return static_cast<std::int64_t>(counters.PagefileUsage);
}
