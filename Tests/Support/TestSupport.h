// Small helpers that several suites share: what a call throws, files beside the test programs,
// and user locale settings changed for a test and put back.
#pragma once

#include <Exception.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>

namespace TestSupport {

// The E that call throws, to look at; a call that throws nothing fails the test.
template <typename E, typename Call>
E Caught(Call call)
{
    try
    {
        call();
    }
    catch (const E& e)
    {
        return e;
    }
    throw std::logic_error("nothing was thrown");
}

// The what() of the E that call throws.
template <typename E, typename Call>
std::string WhatOf(Call call)
{
    try
    {
        call();
    }
    catch (const E& e)
    {
        return e.what();
    }
    throw std::logic_error("nothing was thrown");
}

// "message|code|source file" of the library Exception that call throws.
template <typename Call>
std::wstring FailureOf(Call call)
{
    const Kelvo::Utilities::Exception e = Caught<Kelvo::Utilities::Exception>(call);
    const std::wstring at = e.GetSourceLocation();
    return e.GetErrorMessage() + L"|" + e.GetErrorCodeText() + L"|" + at.substr(0, at.find(L" Line:"));
}

// The path of file in the folder of the running test program (where CMake puts every module).
inline std::wstring BesideTheTests(const std::wstring& file)
{
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, &path[0], MAX_PATH));
    return path.substr(0, path.find_last_of(L'\\') + 1) + file;
}

// Sets a locale item of the user and puts the old text back at the end of the scope.
class ScopedLocaleItem
{
public:
    ScopedLocaleItem(LCTYPE item, const std::wstring& value) : m_item(item), m_old(1024, L'\0')
    {
        m_old.resize(static_cast<std::size_t>(::GetLocaleInfoW(LOCALE_USER_DEFAULT, item, &m_old[0], 1024)) - 1);
        EXPECT_TRUE(::SetLocaleInfoW(LOCALE_USER_DEFAULT, item, value.c_str())) << std::hex << item;
    }

    ScopedLocaleItem(const ScopedLocaleItem&) = delete;
    ScopedLocaleItem& operator=(const ScopedLocaleItem&) = delete;

    ~ScopedLocaleItem()
    {
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, m_item, m_old.c_str());
    }

private:
    LCTYPE m_item;
    std::wstring m_old;
};

} // namespace TestSupport
