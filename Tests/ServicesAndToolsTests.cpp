// Services against the real service control manager, with a real service program; process
// launching with a child program that reports its directory and arguments and exits with a
// given code.
#include "OpenHandles.h"
#include "TestSupport.h"

#include <File.h>
#include <HostApi/OperatingSystem.h>
#include <ServiceUtilities.h>
#include <Tools.h>

#include <gtest/gtest.h>
#include <objbase.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace Kelvo::Utilities;
using Kelvo::HostApi::ServiceHandle;
using TestSupport::FailureOf;
using TestSupport::WhatOf;

namespace {

const std::wstring Pid = std::to_wstring(::GetCurrentProcessId());
const std::wstring Child = TestSupport::BesideTheTests(L"ExitWithCode.exe");

// A folder of its own for a test, without the report of an earlier run (Wine reuses process ids).
std::wstring NewFolder(const std::wstring& name)
{
    const std::wstring folder = Kelvo::HostApi::OperatingSystem::TempDirectory() + name + Pid;
    ::CreateDirectoryW(folder.c_str(), nullptr);
    File::Delete(folder + L"\\report.txt");
    return folder;
}

bool Reaches(ServiceUtilities& service, ServiceState state)
{
    for (int i = 0; i < 200 && service.GetStatus() != state; ++i)
    {
        ::Sleep(50);
    }
    return service.GetStatus() == state;
}

// "<start type> <display name>" as the service control manager holds them.
std::wstring ConfigurationOf(const std::wstring& name)
{
    const ServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    const ServiceHandle service(::OpenServiceW(manager, name.c_str(), SERVICE_QUERY_CONFIG));
    DWORD needed = 0;
    ::QueryServiceConfigW(service, nullptr, 0, &needed);
    std::vector<unsigned char> buffer(needed);
    const auto config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!::QueryServiceConfigW(service, config, needed, &needed))
    {
        return L"QueryServiceConfigW failed";
    }
    return std::to_wstring(config->dwStartType) + L" " + config->lpDisplayName;
}

} // namespace

TEST(ServiceUtilities, InstallStartStopChangeAndRemoveARealService)
{
    const std::wstring name = L"KelvoTestService" + Pid;
    // Stops and deletes the service at the end of the test, whatever happened.
    const std::shared_ptr<void> cleanup(nullptr, [&](void*) {
        const ServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
        const ServiceHandle service(::OpenServiceW(manager, name.c_str(), SERVICE_STOP | DELETE));
        SERVICE_STATUS status{};
        ::ControlService(service, SERVICE_CONTROL_STOP, &status);
        ::DeleteService(service);
    });
    // Failures carry the Windows code, their origin and the service's name. The first call to the
    // manager opens what the process keeps for its later calls.
    EXPECT_EQ(L"Service name should not be empty!|87|Source\\ServiceUtilities", FailureOf([] { ServiceUtilities(L""); }));
    ServiceUtilities missing(name);
    ASSERT_EQ(ServiceStateNotInstalled, missing.GetStatus());
    const std::wstring notInstalled = L"OpenServiceW failed Service: " + name + L"|1060|Source\\ServiceUtilities";
    EXPECT_EQ(notInstalled, FailureOf([&] { missing.Start(); }));
    EXPECT_EQ(notInstalled, FailureOf([&] { missing.Stop(); }));
    EXPECT_EQ(notInstalled, FailureOf([&] {
                  missing.ChangeConfiguration(0, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
              }));
    EXPECT_EQ(notInstalled, FailureOf([&] { missing.Remove(); }));
    const unsigned int handlesBefore = OpenHandleCount();
    {
        ServiceUtilities service(name);
        // The manager kept here may only connect; Install must still be able to create.
        ASSERT_EQ(ServiceStateNotInstalled, service.GetStatus());
        const std::wstring display = L"Kelvo test service";
        const std::wstring binary = L'"' + TestSupport::BesideTheTests(L"TestService.exe") + L'"';
        service.Install(&display, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                        SERVICE_ERROR_NORMAL, &binary, nullptr, nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(ServiceStateStopped, service.GetStatus());
        service.Start();
        ASSERT_TRUE(Reaches(service, ServiceStateRunning));
        EXPECT_EQ(L"StartServiceW failed Service: " + name + L"|1056|Source\\ServiceUtilities",
                  FailureOf([&] { service.Start(); }));
        service.Stop();
        ASSERT_TRUE(Reaches(service, ServiceStateStopped));
        EXPECT_EQ(L"ControlService failed Service: " + name + L"|1062|Source\\ServiceUtilities",
                  FailureOf([&] { service.Stop(); }));
        const std::wstring renamed = L"Kelvo test service, renamed";
        service.ChangeConfiguration(SERVICE_NO_CHANGE, SERVICE_DISABLED, SERVICE_NO_CHANGE, nullptr, nullptr,
                                    nullptr, nullptr, nullptr, nullptr, &renamed);
        EXPECT_EQ(L"4 " + renamed, ConfigurationOf(name));
        service.Remove();
    }
    // Its last handle is closed: the service is gone.
    EXPECT_EQ(ServiceStateNotInstalled, ServiceUtilities(name).GetStatus());
    EXPECT_EQ(handlesBefore, OpenHandleCount());
}

TEST(Tools, ExitCodesArgumentsPathsAndStartDirectory)
{
    // A program starts in the caller's directory.
    const std::wstring folder = NewFolder(L"Kelvo \u00dcn\u00efc\u00f8d\u00e9 \u0436 ");
    wchar_t before[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.c_str()));
    const unsigned long code = Tools::RunWait(Child, L"0 report.txt");
    ::SetCurrentDirectoryW(before);
    EXPECT_EQ(0ul, code);
    EXPECT_EQ(folder, File::ReadAllUnicodeLines(folder + L"\\report.txt").at(0));

    const std::wstring to = L" \"" + folder + L"\\report.txt\" ";
    EXPECT_EQ(3ul, Tools::RunWait(Child, L"  3" + to + L"\"a b\" \"say \\\"hi\\\"\"  "));
    const std::vector<std::wstring> lines = File::ReadAllUnicodeLines(folder + L"\\report.txt");
    EXPECT_EQ((std::vector<std::wstring>{ L"a b", L"say \"hi\"" }), std::vector<std::wstring>(lines.begin() + 1, lines.end()));

    // Blanks around, spaces inside, quoted already.
    const std::wstring spaced = folder + L"\\Exit With Code.exe";
    ASSERT_TRUE(::CopyFileW(Child.c_str(), spaced.c_str(), FALSE));
    for (const std::wstring& path : { L"  " + Child + L" ", L" " + spaced + L"  ", L'"' + spaced + L'"' })
    {
        EXPECT_EQ(7ul, Tools::RunWait(path, L"7" + to)) << path.c_str();
    }
    EXPECT_EQ("The provided executable path is empty", WhatOf<std::runtime_error>([] { Tools::Run(L"   ", L"x"); }));
    EXPECT_EQ("The provided executable path is empty", WhatOf<std::runtime_error>([] { Tools::RunWait(L"", L""); }));

    // The shell keeps what it opens on its first start and its first failure.
    EXPECT_EQ(0xFFFFFFFFul, Tools::RunWait(Child + L".missing", L""));
    const unsigned int handlesBefore = OpenHandleCount();
    EXPECT_FALSE(Tools::Run(1, Child, L"3" + to));
    EXPECT_TRUE(Tools::Run(1, Child, L"0" + to));
    EXPECT_TRUE(Tools::Run(Child, L"3" + to));
    EXPECT_FALSE(Tools::Run(Child + L".missing", L""));
    EXPECT_EQ(handlesBefore, OpenHandleCount());
}

TEST(Tools, ElevatedStartsNeedAnApartmentThread)
{
    const std::wstring report = NewFolder(L"KelvoElevated") + L"\\report.txt";
    std::thread([&] {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        EXPECT_EQ(0xFFFFFFFFul, Tools::RunWait(2, Child, L"0 \"" + report + L"\""));
        EXPECT_FALSE(Tools::Run(2, Child, L"0 \"" + report + L"\""));
        ::CoUninitialize();
    }).join();
    EXPECT_FALSE(File::Exists(report));
    std::thread([&] { EXPECT_EQ(5ul, Tools::RunWait(2, Child, L"5 \"" + report + L"\"")); }).join();
}

TEST(Tools, ProbesGoByWhetherAFileOpensForReading)
{
    const std::wstring folder = NewFolder(L"KelvoProbes");
    const std::wstring file = folder + L"\\.tmp";
    File::WriteAllBytes(file, { 1 });
    EXPECT_FALSE(Tools::IsFileAvailable(folder));
    EXPECT_TRUE(Tools::IsWritePermissonAvailable(file));
    // Length 0 has one candidate only, and it is taken.
    EXPECT_EQ("No new file name found: every name drawn exists already",
              WhatOf<std::runtime_error>([&] { Tools::GenerateFileName(folder, L".tmp", 0); }));
    {
        const Kelvo::HostApi::UniqueFileHandle locked(
            ::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_FALSE(Tools::IsWritePermissonAvailable(file));
        // A file that does not open for reading counts as free.
        EXPECT_EQ(file, Tools::GenerateFileName(folder, L".tmp", 0));
    }
    EXPECT_TRUE(Tools::IsCreatePermissonAvailable(folder));
    EXPECT_EQ("The provided path is empty", WhatOf<std::runtime_error>([] { Tools::GenerateFileName(L"", L".a", 8); }));
    EXPECT_EQ("The provided extention is empty", WhatOf<std::runtime_error>([] { Tools::GenerateFileName(L"C:", L"", 8); }));
    EXPECT_EQ("The provided filename is empty", WhatOf<std::runtime_error>([] { Tools::IsWritePermissonAvailable(L""); }));
    EXPECT_EQ("The provided folder is empty", WhatOf<std::runtime_error>([] { Tools::IsCreatePermissonAvailable(L""); }));
}
