// The exception family: composed texts, copies, what the handlers of each type catch, and
// exceptions crossing module boundaries (HostApi.dll, a caller's DLL, the executable).
#include <KelvoUtilities.h>
#include <HostApi/OperatingSystem.h>

#include "CrossModuleProbe.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>

using Kelvo::Utilities::Exception;
using Kelvo::Utilities::FileSystemException;
using Kelvo::Utilities::SourceLocation;
using Kelvo::Utilities::Win32Exception;

namespace {

const SourceLocation OSInfoLine123{ L"Source\\OSInfo", 123 };

// Which of the handlers, tried in the order a caller would write them, catches what thrower throws.
template <typename Thrower>
std::string CaughtAs(Thrower thrower)
{
    try
    {
        thrower();
    }
    catch (const Exception&)
    {
        return "Exception";
    }
    catch (const Win32Exception&)
    {
        return "Win32Exception";
    }
    catch (const FileSystemException&)
    {
        return "FileSystemException";
    }
    catch (const std::exception&)
    {
        return "std::exception";
    }
    return "nothing";
}

} // namespace

TEST(Exception, ComposesTheFullMessageOnlyWithACode)
{
    const Exception without(L"Failed to get version number", OSInfoLine123);
    EXPECT_EQ(0xFFFFFFFFFFFFFFFFull, without.GetErrorCode());
    EXPECT_EQ(L"18446744073709551615", without.GetErrorCodeText());
    EXPECT_EQ(L"Failed to get version number", without.GetFullMessage());
    EXPECT_EQ(L"Source\\OSInfo Line:123", without.GetSourceLocation());

    const Exception with(L"Failed to get version number", 87, OSInfoLine123);
    EXPECT_EQ(L"87", with.GetErrorCodeText());
    EXPECT_EQ(L"Failed to get version number", with.GetErrorMessage());
    EXPECT_EQ(L"Failed to get version number (ErrorCode: 87)", with.GetFullMessage());
    EXPECT_EQ(L"Source\\OSInfo Line:123", with.GetSourceLocation());

    EXPECT_EQ(L"x (ErrorCode: 0)", Exception(L"x", 0, OSInfoLine123).GetFullMessage());
    EXPECT_EQ(L" (ErrorCode: 5)", Exception(L"", 5, OSInfoLine123).GetFullMessage());
    EXPECT_EQ(L"x (ErrorCode: 18446744073709551615)", Exception(L"x", Exception::NoErrorCode, OSInfoLine123).GetFullMessage());
    // what() is the standard base's text, never the message.
    EXPECT_STREQ(std::exception().what(), with.what());
}

TEST(Exception, SourceLocationIsReplacedNotAppended)
{
    Exception e(L"m", 2, SourceLocation{ L"Source\\A", 0 });
    EXPECT_EQ(L"Source\\A Line:0", e.GetSourceLocation());
    e.SetSourceLocation(SourceLocation{ L"Source\\RegistryUtilities", 4294967295u });
    e.SetSourceLocation(SourceLocation{ L"Source\\OSInfo", 7 });
    EXPECT_EQ(L"Source\\OSInfo Line:7", e.GetSourceLocation());
    EXPECT_EQ(L"m (ErrorCode: 2)", e.GetFullMessage());

    const int line = __LINE__ + 1;
    const SourceLocation here = KELVO_SOURCE_LOCATION(L"Source\\Here");
    EXPECT_EQ(L"Source\\Here", here.SourceFile);
    EXPECT_EQ(static_cast<std::uint32_t>(line), here.Line);
}

TEST(Exception, CopiesCarryAllFourValues)
{
    const Exception original(L"message", 1060, OSInfoLine123);
    const Exception copy(original);
    Exception assigned(L"other", SourceLocation{ L"Source\\Other", 1 });
    assigned = original;
    for (const Exception* e : { &copy, static_cast<const Exception*>(&assigned) })
    {
        EXPECT_EQ(original.GetErrorCode(), e->GetErrorCode());
        EXPECT_EQ(original.GetErrorMessage(), e->GetErrorMessage());
        EXPECT_EQ(original.GetFullMessage(), e->GetFullMessage());
        EXPECT_EQ(original.GetSourceLocation(), e->GetSourceLocation());
    }
}

TEST(Exception, EachHandlerCatchesOnlyItsOwnType)
{
    EXPECT_EQ("Exception", CaughtAs([] { throw Exception(L"m", OSInfoLine123); }));
    EXPECT_EQ("Win32Exception", CaughtAs([] { throw Win32Exception(5, "call failed"); }));
    EXPECT_EQ("FileSystemException", CaughtAs([] { throw FileSystemException("CreateFile failed.", L"C:\\a"); }));

    // A handler for std::exception alone catches all three.
    auto caughtAsStd = [](auto thrower) {
        try
        {
            thrower();
        }
        catch (const std::exception&)
        {
            return true;
        }
        return false;
    };
    EXPECT_TRUE(caughtAsStd([] { throw Exception(L"m", OSInfoLine123); }));
    EXPECT_TRUE(caughtAsStd([] { throw Win32Exception(5, "call failed"); }));
    EXPECT_TRUE(caughtAsStd([] { throw FileSystemException("CreateFile failed.", L"C:\\a"); }));
}

TEST(Win32Exception, TakesTheLastErrorOrTheGivenCode)
{
    ::SetLastError(ERROR_ACCESS_DENIED);
    const Win32Exception fromLastError("GetDiskFreeSpaceEx failed");
    EXPECT_EQ(std::error_code(5, std::system_category()), fromLastError.code());
    EXPECT_EQ("GetDiskFreeSpaceEx failed: " + std::system_category().message(5), fromLastError.what());

    ::SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(2, Win32Exception(ERROR_FILE_NOT_FOUND, "RegGetValue failed.").code().value());
    // Without a message there is nothing for ": " to separate.
    EXPECT_EQ(std::system_category().message(87), Win32Exception(87, "").what());
}

TEST(FileSystemException, TakesTheLastErrorAndKeepsBothWidePaths)
{
    const std::wstring source = L"C:\\T\u00e9st\\\u65e5\u672c.txt";
    ::SetLastError(ERROR_SHARING_VIOLATION);
    const FileSystemException one("CreateFile failed.", source);
    EXPECT_EQ(std::error_code(32, std::system_category()), one.code());
    EXPECT_EQ(source, one.path1().wstring());
    EXPECT_TRUE(one.path2().empty());
    EXPECT_NE(std::string(one.what()).find("CreateFile failed."), std::string::npos);

    ::SetLastError(ERROR_DISK_FULL);
    const FileSystemException two("MoveFileEx failed", source, L"D:\\target");
    EXPECT_EQ(112, two.code().value());
    EXPECT_EQ(L"D:\\target", two.path2().wstring());
}

TEST(CrossModule, HostApiFailureIsCaughtByTypeInTheExecutable)
{
    try
    {
        Kelvo::HostApi::OperatingSystem::OSGetNativeSystemInfo(nullptr);
        FAIL() << "nothing was thrown";
    }
    catch (const Exception& e)
    {
        EXPECT_EQ(87u, e.GetErrorCode());
        EXPECT_EQ(L"GetNativeSystemInfo failed", e.GetErrorMessage());
        EXPECT_EQ(0u, e.GetSourceLocation().rfind(L"HostApi\\Source\\OperatingSystem Line:", 0));
    }
}

TEST(CrossModule, HostApiFailureIsCaughtByTypeInAnotherDll)
{
    EXPECT_EQ(87u, CrossModuleProbe::CatchHostApiFailure());
}

TEST(CrossModule, DllExceptionIsCaughtByTypeInTheExecutable)
{
    try
    {
        CrossModuleProbe::ThrowException(L"from the DLL", 1060);
        FAIL() << "nothing was thrown";
    }
    catch (const Exception& e)
    {
        EXPECT_EQ(L"from the DLL (ErrorCode: 1060)", e.GetFullMessage());
        EXPECT_EQ(0u, e.GetSourceLocation().rfind(L"Tests\\CrossModuleProbe Line:", 0));
    }
}

TEST(CrossModule, ExecutableExceptionIsCaughtByTypeInTheDll)
{
    EXPECT_EQ(L"from the executable (ErrorCode: 5)", CrossModuleProbe::CatchFromCallback([] {
                  throw Exception(L"from the executable", 5, KELVO_SOURCE_LOCATION(L"Tests\\ErrorReportingTests"));
              }));
}
