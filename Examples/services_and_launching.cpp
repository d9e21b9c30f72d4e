// Services and launching: the state of a service that exists and of one that does not, the
// error code a missing service gives, and child processes started and waited for.
#include "Console.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

using namespace Kelvo::Utilities;

namespace {

const wchar_t* StateName(ServiceState state)
{
    switch (state)
    {
    case ServiceStateStopped: return L"stopped";
    case ServiceStateStartPending: return L"start pending";
    case ServiceStateStopPending: return L"stop pending";
    case ServiceStateRunning: return L"running";
    case ServiceStateNotInstalled: return L"not installed";
    default: return L"other";
    }
}

} // namespace

int main(int argc, char** argv)
{
    // Started by itself below: end with the exit code given.
    if (argc == 3 && std::strcmp(argv[1], "--exit-with") == 0)
    {
        return std::atoi(argv[2]);
    }
    return RunExample([] {
        // The RPC service runs on every Windows (and in every Wine prefix).
        ServiceUtilities rpc(L"RpcSs");
        Print("RpcSs", StateName(rpc.GetStatus()));
        ServiceUtilities missing(L"KelvoNoSuchService");
        Print("KelvoNoSuchService", StateName(missing.GetStatus()));
        try
        {
            missing.Start();
        }
        catch (const Exception& e)
        {
            // 1060: ERROR_SERVICE_DOES_NOT_EXIST.
            Print("Start of a missing service, error code", e.GetErrorCode());
            Print("its message", e.GetFullMessage());
        }

        // Tools starts programs through the shell; RunWait waits and returns the exit code.
        wchar_t self[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        Print("RunWait(this program, --exit-with 42)", Tools::RunWait(self, L"--exit-with 42"));
        Print("RunWait(cmd.exe, /c exit 3)", Tools::RunWait(L"cmd.exe", L"/c exit 3"));
        Print("Run with flag 1 (wait), exit code 0", Tools::Run(1, self, L"--exit-with 0") ? L"true" : L"false");
        Print("Run with flag 1 (wait), exit code 5", Tools::Run(1, self, L"--exit-with 5") ? L"true" : L"false");
        // Nothing reports why a start failed: a missing program answers 0xFFFFFFFF.
        Print("RunWait of a missing program", Tools::RunWait(L"C:\\no\\such\\program.exe", L""));
    });
}
