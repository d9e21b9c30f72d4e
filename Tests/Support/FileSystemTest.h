// The fixture of the tests that touch the file system: each test owns a fresh directory below
// the temporary directory, with non-Latin characters in its name, and removes it.
#pragma once

#include <File.h>
#include <Path.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
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
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_dir))
        {
            ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        std::filesystem::remove_all(m_dir);
    }

    std::wstring In(const std::wstring& name) const
    {
        return Kelvo::Utilities::Path::Combine(m_dir, name);
    }

    std::wstring m_dir;
};
