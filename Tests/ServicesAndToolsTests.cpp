// Services against the real service control manager, with a real service program; process
// launching with a child program that reports its directory and arguments and exits with a
// given code. The file probes of Tools are tested with those of File.
#include "FileSystemTest.h"
#include "OpenHandles.h"
#include "TestSupport.h"

#include <HostApi/UniqueHandle.h>
#include <ServiceUtilities.h>
#include <Tools.h>

#include <objbase.h>

#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace Kelvo::Utilities;
using Kelvo::HostApi::ServiceHandle;
using TestSupport::FailureOf;

namespace {

const std::wstring Child = TestSupport::BesideTheTests(L"TestChild.exe");

bool Reaches(ServiceUtilities& service, ServiceState state)
{
    for (int i = 0; i < 200 && service.GetStatus() != state; ++i)
    {
        ::Sleep(50);
    }
    return service.GetStatus() == state;
}

} // namespace

TEST(ServiceUtilities, InstallStartStopChangeAndRemoveARealService)
{
    const std::wstring name = L"KelvoTestService" + std::to_wstring(::GetCurrentProcessId());
    // Stops and deletes the service at the end of the test, whatever happened.
    const ServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    const std::shared_ptr<void> cleanup(nullptr, [&](void*) {
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
    const std::wstring failed = L" failed Service: " + name + L"|", here = L"|Source\\ServiceUtilities";
    EXPECT_EQ(L"OpenServiceW" + failed + L"1060" + here, FailureOf([&] {
                  missing.ChangeConfiguration(0, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
              }));
    EXPECT_EQ(L"OpenServiceW" + failed + L"1060" + here, FailureOf([&] { missing.Remove(); }));
    const unsigned int handlesBefore = OpenHandleCount();
    {
        ServiceUtilities service(name);
        // The manager kept here may only connect; Install must still be able to create.
        ASSERT_EQ(ServiceStateNotInstalled, service.GetStatus());
        const std::wstring display = L"Kelvo test service";
        const std::wstring binary = L'"' + Child + L"\" service";
        service.Install(&display, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                        SERVICE_ERROR_NORMAL, &binary, nullptr, nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(ServiceStateStopped, service.GetStatus());
        service.Start();
        ASSERT_TRUE(Reaches(service, ServiceStateRunning));
        EXPECT_EQ(L"StartServiceW" + failed + L"1056" + here, FailureOf([&] { service.Start(); }));
        service.Stop();
        ASSERT_TRUE(Reaches(service, ServiceStateStopped));
        EXPECT_EQ(L"ControlService" + failed + L"1062" + here, FailureOf([&] { service.Stop(); }));
        const std::wstring renamed = L"Kelvo test service, renamed";
        service.ChangeConfiguration(SERVICE_NO_CHANGE, SERVICE_DISABLED, SERVICE_NO_CHANGE, nullptr, nullptr,
                                    nullptr, nullptr, nullptr, nullptr, &renamed);
        EXPECT_EQ(L"StartServiceW" + failed + L"1058" + here, FailureOf([&] { service.Start(); }));
        wchar_t shown[64] = {};
        DWORD size = 64;
        EXPECT_TRUE(::GetServiceDisplayNameW(manager, name.c_str(), shown, &size));
        EXPECT_EQ(renamed, shown);
        service.Remove();
    }
    // Its last handle is closed: the service is gone.
    EXPECT_EQ(ServiceStateNotInstalled, ServiceUtilities(name).GetStatus());
    EXPECT_EQ(handlesBefore, OpenHandleCount());
}

using ToolsTest = FileSystemTest;

TEST_F(ToolsTest, ExitCodesArgumentsPathsAndStartDirectory)
{
    // A program starts in the caller's directory.
    wchar_t before[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(::SetCurrentDirectoryW(m_dir.c_str()));
    const unsigned long code = Tools::RunWait(Child, L"0 report.txt");
    ::SetCurrentDirectoryW(before);
    EXPECT_EQ(0ul, code);
    EXPECT_TRUE(File::Exists(In(L"report.txt")));

    const std::wstring to = L" \"" + In(L"report.txt") + L"\" ";
    EXPECT_EQ(3ul, Tools::RunWait(Child, L"  3" + to + L"\"a b\" \"say \\\"hi\\\"\"  "));
    EXPECT_EQ((std::vector<std::wstring>{ L"a b", L"say \"hi\"" }), File::ReadAllUnicodeLines(In(L"report.txt")));

    // Blanks around, spaces inside, quoted already.
    const std::wstring spaced = In(L"Test Child.exe");
    ASSERT_TRUE(::CopyFileW(Child.c_str(), spaced.c_str(), FALSE));
    for (const std::wstring& path : { L"  " + Child + L" ", L" " + spaced + L"  ", L'"' + spaced + L'"' })
    {
        EXPECT_EQ(7ul, Tools::RunWait(path, L"7" + to)) << path.c_str();
    }
    EXPECT_EQ("The provided executable path is empty", TestSupport::WhatOf<std::runtime_error>([] { Tools::Run(L"   ", L"x"); }));

    // The shell keeps what it opens on its first start and its first failure.
    EXPECT_EQ(0xFFFFFFFFul, Tools::RunWait(Child + L".missing", L""));
    const unsigned int handlesBefore = OpenHandleCount();
    EXPECT_FALSE(Tools::Run(1, Child, L"3" + to));
    EXPECT_TRUE(Tools::Run(1, Child, L"0" + to));
    EXPECT_TRUE(Tools::Run(Child, L"3")); // not waited for: it writes nothing
    EXPECT_FALSE(Tools::Run(Child + L".missing", L""));
    EXPECT_EQ(handlesBefore, OpenHandleCount());
}

TEST_F(ToolsTest, ElevatedStartsNeedAnApartmentThread)
{
    const std::wstring report = L" \"" + In(L"report.txt") + L"\"";
    std::thread([&] {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        EXPECT_EQ(0xFFFFFFFFul, Tools::RunWait(2, Child, L"0" + report));
        EXPECT_FALSE(Tools::Run(2, Child, L"0" + report));
        ::CoUninitialize();
    }).join();
    EXPECT_FALSE(File::Exists(In(L"report.txt")));
    std::thread([&] { EXPECT_EQ(5ul, Tools::RunWait(2, Child, L"5" + report)); }).join();
}
