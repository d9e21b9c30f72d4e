// The exception family: composed texts, copies, what the handlers of each type catch, and
// exceptions crossing module boundaries (HostApi.dll, a caller's DLL, the executable); then the
// shared pieces of the platform-call module: the handle owner and the failure rule of its
// operations, against real handles and real failures.
#include <KelvoUtilities.h>
#include <HostApi/OperatingSystem.h>
#include <HostApi/UniqueHandle.h>

#include "CrossModuleProbe.h"
#include "OpenHandles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <type_traits>

using namespace Kelvo::Utilities;
using Kelvo::HostApi::OperatingSystem;
using Kelvo::HostApi::UniqueFindHandle;
using Kelvo::HostApi::UniqueKernelHandle;
using TestSupport::Caught;

namespace {

const SourceLocation OSInfoLine123{ L"Source\\OSInfo", 123 };

bool IsOpen(HANDLE handle)
{
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != FALSE;
}

HANDLE NewEvent()
{
    const HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_NE(nullptr, event);
    return event;
}

} // namespace

TEST(Exception, ComposesTheFullMessageOnlyWithACode)
{
    const Exception without(L"Failed to get version number", OSInfoLine123);
    EXPECT_EQ(0xFFFFFFFFFFFFFFFFull, without.GetErrorCode());
    EXPECT_EQ(L"18446744073709551615", without.GetErrorCodeText());
    EXPECT_EQ(L"Failed to get version number", without.GetFullMessage());
    EXPECT_EQ(L"Source\\OSInfo Line:123", without.GetSourceLocation());

    // Read from an assigned copy: the copy carries all four values.
    Exception with(L"other", SourceLocation{ L"Source\\Other", 1 });
    with = Exception(L"Failed to get version number", 87, OSInfoLine123);
    EXPECT_EQ(87u, with.GetErrorCode());
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
    e.SetSourceLocation(SourceLocation{ L"Source\\OSInfo", 7 });
    EXPECT_EQ(L"Source\\OSInfo Line:7", e.GetSourceLocation());
    EXPECT_EQ(L"m (ErrorCode: 2)", e.GetFullMessage());

    const int line = __LINE__ + 1;
    const SourceLocation here = KELVO_SOURCE_LOCATION(L"Source\\Here");
    EXPECT_EQ(L"Source\\Here", here.SourceFile);
    EXPECT_EQ(static_cast<std::uint32_t>(line), here.Line);
}

// A handler catches what is thrown when it names a public base of the thrown type: a handler for
// std::exception catches all three, a handler for one of them none of the other two.
template <typename Handler, typename Thrown>
constexpr bool Catches = std::is_convertible_v<Thrown*, Handler*>;
static_assert(Catches<std::exception, Exception> && Catches<std::exception, Win32Exception> &&
              Catches<std::exception, FileSystemException>);
static_assert(!Catches<Exception, Win32Exception> && !Catches<Exception, FileSystemException> &&
              !Catches<Win32Exception, Exception> && !Catches<Win32Exception, FileSystemException> &&
              !Catches<FileSystemException, Exception> && !Catches<FileSystemException, Win32Exception>);

TEST(SystemErrors, Win32AndFileSystemExceptionsTakeTheLastErrorOrTheGivenCode)
{
    ::SetLastError(ERROR_ACCESS_DENIED);
    const Win32Exception fromLastError("GetDiskFreeSpaceEx failed");
    EXPECT_EQ(std::error_code(5, std::system_category()), fromLastError.code());
    EXPECT_EQ("GetDiskFreeSpaceEx failed: " + std::system_category().message(5), fromLastError.what());

    ::SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(2, Win32Exception(ERROR_FILE_NOT_FOUND, "RegGetValue failed.").code().value());
    // Without a message there is nothing for ": " to separate.
    EXPECT_EQ(std::system_category().message(87), Win32Exception(87, "").what());

    // File-system failures keep both wide paths as given.
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

TEST(CrossModule, ExceptionsAreCaughtByTypeInEveryModule)
{
    // From HostApi.dll through the executable into a caller's DLL, from that DLL into the
    // executable, and from the executable into the DLL.
    EXPECT_EQ(L"GetNativeSystemInfo failed (ErrorCode: 87)",
              CrossModuleProbe::CatchFromCallback([] { OperatingSystem::OSGetNativeSystemInfo(nullptr); }));
    const Exception fromDll = Caught<Exception>([] { CrossModuleProbe::ThrowException(L"from the DLL", 1060); });
    EXPECT_EQ(L"from the DLL (ErrorCode: 1060)", fromDll.GetFullMessage());
    EXPECT_EQ(0u, fromDll.GetSourceLocation().rfind(L"Tests\\CrossModuleProbe Line:", 0));
    EXPECT_EQ(L"from the executable (ErrorCode: 5)", CrossModuleProbe::CatchFromCallback([] {
                  throw Exception(L"from the executable", 5, KELVO_SOURCE_LOCATION(L"Tests\\ErrorReportingTests"));
              }));
}

TEST(UniqueHandle, ClosesExactlyOnceWhoeverEndsUpOwningItAndKnowsItsInvalidValues)
{
    const HANDLE moved = NewEvent(), released = NewEvent(), replaced = NewEvent(), put = NewEvent();
    {
        UniqueKernelHandle first(moved);
        UniqueKernelHandle second(std::move(first));
        UniqueKernelHandle third;
        third = std::move(second);
        EXPECT_FALSE(first.IsValid() || second.IsValid());
        EXPECT_TRUE(IsOpen(moved));

        EXPECT_EQ(released, UniqueKernelHandle(released).Release());

        UniqueKernelHandle owner(replaced);
        owner.Reset(put);
        EXPECT_FALSE(IsOpen(replaced));
        EXPECT_EQ(nullptr, *owner.Put());
        EXPECT_FALSE(IsOpen(put));
    }
    EXPECT_FALSE(IsOpen(moved));
    EXPECT_TRUE(IsOpen(released));
    ::CloseHandle(released);

    // The handle count that the leak checks of every suite rely on does see a leak.
    const unsigned int before = OpenHandleCount();
    const UniqueKernelHandle leaked(NewEvent());
    EXPECT_EQ(before + 1, OpenHandleCount());

    // Which values mean "no handle" follows the traits of the function that made it.
    EXPECT_FALSE(UniqueKernelHandle(INVALID_HANDLE_VALUE).IsValid());
    EXPECT_FALSE(UniqueKernelHandle(nullptr).IsValid());
    EXPECT_EQ(INVALID_HANDLE_VALUE, UniqueFindHandle().Get());
    WIN32_FIND_DATAW data;
    EXPECT_FALSE(UniqueFindHandle(::FindFirstFileW(L"C:\\no such folder\\*", &data)));
}

TEST(OperatingSystem, LongTemporaryDirectoriesComeBackWholeOrFailWithTheCode)
{
    std::wstring saved(32767, L'\0');
    saved.resize(::GetEnvironmentVariableW(L"TMP", &saved[0], 32767));
    const std::wstring fits = L"C:\\" + std::wstring(250, L'k');
    ::SetEnvironmentVariableW(L"TMP", fits.c_str());
    EXPECT_EQ(fits + L"\\", OperatingSystem::TempDirectory());

    // Windows reports the size a longer directory needs, and it comes back whole; Wine refuses
    // such a directory with ERROR_FILENAME_EXCED_RANGE, which must arrive as the code.
    const std::wstring longer = L"C:\\" + std::wstring(300, L'k');
    ::SetEnvironmentVariableW(L"TMP", longer.c_str());
    try
    {
        EXPECT_EQ(longer + L"\\", OperatingSystem::TempDirectory());
    }
    catch (const Exception& e)
    {
        EXPECT_EQ(static_cast<std::uint64_t>(ERROR_FILENAME_EXCED_RANGE), e.GetErrorCode());
        EXPECT_EQ(L"GetTempPathW failed", e.GetErrorMessage());
    }
    ::SetEnvironmentVariableW(L"TMP", saved.empty() ? nullptr : saved.c_str());
}

TEST(OperatingSystem, VirtualQueryAnswersOrThrowsTheLibraryExceptionWithTheWindowsCode)
{
    const MEMORY_BASIC_INFORMATION region =
        OperatingSystem::VirtualQuery(OperatingSystem::GetCurrentProcessHandle(), reinterpret_cast<const void*>(&IsOpen));
    EXPECT_EQ(static_cast<void*>(::GetModuleHandleW(nullptr)), region.AllocationBase);

    // An address above every user-mode region.
    const Exception e = Caught<Exception>(
        [] { OperatingSystem::VirtualQuery(::GetCurrentProcess(), reinterpret_cast<const void*>(~static_cast<ULONG_PTR>(0))); });
    EXPECT_EQ(87u, e.GetErrorCode());
    EXPECT_EQ(L"VirtualQueryEx failed (ErrorCode: 87)", e.GetFullMessage());
    EXPECT_EQ(0u, e.GetSourceLocation().rfind(L"HostApi\\Source\\OperatingSystem Line:", 0));
}
