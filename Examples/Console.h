// What the examples share: printing wide text to the console as UTF-8, one "label: value" per
// line, and printing a caught failure of the library the way a program should.
#pragma once

#include <KelvoUtilities.h>

#include <cstdio>
#include <exception>
#include <string>
#include <system_error>

inline std::string Utf8(const std::wstring& text)
{
    std::string utf8;
    Kelvo::Utilities::StringUtilities::Utf16ToUtf8(text, utf8);
    return utf8;
}

inline void Print(const char* label, const std::wstring& value)
{
    std::printf("%s: %s\n", label, Utf8(value).c_str());
}

inline void Print(const char* label, const std::string& value)
{
    std::printf("%s: %s\n", label, value.c_str());
}

inline void Print(const char* label, unsigned long long value)
{
    std::printf("%s: %llu\n", label, value);
}

// Every example's main: runs body and reports what escaped it. Exception carries its text in
// GetFullMessage() (its what() says nothing useful); Win32Exception and FileSystemException are
// std::system_error, whose what() holds the message and the code's description.
template <typename Body>
int RunExample(Body body)
{
    try
    {
        body();
        return 0;
    }
    catch (const Kelvo::Utilities::Exception& e)
    {
        std::printf("failed: %s [%s]\n", Utf8(e.GetFullMessage()).c_str(), Utf8(e.GetSourceLocation()).c_str());
    }
    catch (const std::system_error& e)
    {
        std::printf("failed: %s (code %d)\n", e.what(), e.code().value());
    }
    catch (const std::exception& e)
    {
        std::printf("failed: %s\n", e.what());
    }
    return 1;
}
