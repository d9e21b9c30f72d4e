// The shared pieces of the platform-call module: the handle owner and the failure rule of
// its operations, against real handles and real failures.
#include <Exception.h>
#include <HostApi/OperatingSystem.h>
#include <HostApi/UniqueHandle.h>

#include "OpenHandles.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>

using Kelvo::HostApi::OperatingSystem;
using Kelvo::HostApi::UniqueFindHandle;
using Kelvo::HostApi::UniqueKernelHandle;
using Kelvo::Utilities::Exception;

namespace {

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

TEST(UniqueHandle, ClosesExactlyOnceWhoeverEndsUpOwningIt)
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

    // Unwinding closes too: the handle count stays flat (and the count does see a leak).
    // The first throw of the process makes the runtime open handles of its own.
    try
    {
        throw std::runtime_error("first");
    }
    catch (const std::runtime_error&)
    {
    }
    const unsigned int before = OpenHandleCount();
    const HANDLE leaked = NewEvent();
    EXPECT_EQ(before + 1, OpenHandleCount());
    ::CloseHandle(leaked);
    for (int i = 0; i < 1000; ++i)
    {
        try
        {
            UniqueKernelHandle owner(NewEvent());
            throw std::runtime_error("unwind");
        }
        catch (const std::runtime_error&)
        {
        }
    }
    EXPECT_EQ(before, OpenHandleCount());
}

TEST(UniqueHandle, InvalidValuesFollowTheTraits)
{
    EXPECT_FALSE(UniqueKernelHandle(INVALID_HANDLE_VALUE).IsValid());
    EXPECT_FALSE(UniqueKernelHandle(nullptr).IsValid());
    EXPECT_EQ(INVALID_HANDLE_VALUE, UniqueFindHandle().Get());
    WIN32_FIND_DATAW data;
    EXPECT_FALSE(UniqueFindHandle(::FindFirstFileW(L"C:\\no such folder\\*", &data)));
}

TEST(OperatingSystem, DirectoriesExistAndNeedNoFixedBuffer)
{
    const std::wstring temp = OperatingSystem::TempDirectory();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(L'\\', temp.back());
    EXPECT_EQ(std::wstring::npos, temp.find(L'\0'));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(temp.c_str()));

    const std::wstring windows = OperatingSystem::OperatingSystemRootDirectory();
    const DWORD attributes = ::GetFileAttributesW(windows.c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_NE(0u, attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW((windows + L"\\system32").c_str()));

}

TEST(OperatingSystem, LongTemporaryDirectoriesComeBackWholeOrFailWithTheCode)
{
    std::wstring saved(32767, L'\0');
    saved.resize(::GetEnvironmentVariableW(L"TMP", &saved[0], 32767));
    const auto reportedFor = [](const std::wstring& directory) {
        EXPECT_TRUE(::SetEnvironmentVariableW(L"TMP", directory.c_str()));
        return OperatingSystem::TempDirectory();
    };

    const std::wstring fits = L"C:\\" + std::wstring(250, L'k');
    EXPECT_EQ(fits + L"\\", reportedFor(fits));

    // Windows reports the size a longer directory needs, and it comes back whole; Wine refuses
    // such a directory with ERROR_FILENAME_EXCED_RANGE, which must arrive as the code.
    const std::wstring longer = L"C:\\" + std::wstring(300, L'k');
    try
    {
        EXPECT_EQ(longer + L"\\", reportedFor(longer));
    }
    catch (const Exception& e)
    {
        EXPECT_EQ(static_cast<std::uint64_t>(ERROR_FILENAME_EXCED_RANGE), e.GetErrorCode());
        EXPECT_EQ(L"GetTempPathW failed", e.GetErrorMessage());
    }
    ::SetEnvironmentVariableW(L"TMP", saved.empty() ? nullptr : saved.c_str());
}

TEST(OperatingSystem, SystemInfoAndMemoryRegions)
{
    const auto info = std::make_shared<SYSTEM_INFO>();
    OperatingSystem::OSGetNativeSystemInfo(info);
    // The native architecture: x64, also for the 32-bit build under WOW64.
    EXPECT_EQ(PROCESSOR_ARCHITECTURE_AMD64, info->wProcessorArchitecture);
    EXPECT_GE(info->dwNumberOfProcessors, 1u);

    const HMODULE self = ::GetModuleHandleW(nullptr);
    const MEMORY_BASIC_INFORMATION region =
        OperatingSystem::VirtualQuery(OperatingSystem::GetCurrentProcessHandle(), reinterpret_cast<const void*>(&IsOpen));
    EXPECT_EQ(static_cast<void*>(self), region.AllocationBase);
}

TEST(OperatingSystem, FailuresThrowTheLibraryExceptionWithTheWindowsCode)
{
    try
    {
        // An address above every user-mode region.
        OperatingSystem::VirtualQuery(::GetCurrentProcess(), reinterpret_cast<const void*>(~static_cast<ULONG_PTR>(0)));
        FAIL() << "nothing was thrown";
    }
    catch (const Exception& e)
    {
        EXPECT_EQ(static_cast<std::uint64_t>(ERROR_INVALID_PARAMETER), e.GetErrorCode());
        EXPECT_EQ(L"VirtualQueryEx failed", e.GetErrorMessage());
        EXPECT_EQ(L"VirtualQueryEx failed (ErrorCode: 87)", e.GetFullMessage());
        EXPECT_EQ(0u, e.GetSourceLocation().rfind(L"HostApi\\Source\\OperatingSystem Line:", 0));
    }
}
