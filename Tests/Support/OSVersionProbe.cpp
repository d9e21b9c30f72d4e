// Started by the OS information tests under a chosen Windows version (Wine reads it at process
// start): prints OSInfo's version answers as name=value lines on standard output (the composites of
// composites are decided by the tests' faked system).
#include <KelvoUtilities.h>

#include <cstdio>

using namespace Kelvo::Utilities;

int main()
{
    const unsigned long no = IOSInfo::NotGiven;
    const OSInfo os;
    const auto Print = [](const char* name, bool value) { std::printf("%s=%d\n", name, value ? 1 : 0); };
    Print("IsAtLeastWindowsVista", os.IsAtLeastWindowsVista());
    Print("IsAtLeastWindows7", os.IsAtLeastWindows7());
    Print("IsAtLeastWindows8", os.IsAtLeastWindows8());
    Print("IsAtLeastWindows81", os.IsAtLeastWindows81());
    Print("IsAtLeastWindows10", os.IsAtLeastWindows10());
    Print("IsAtLeastWindowsXPSP2", os.IsAtLeastWindowsXPSP2());
    Print("IsWorkstation", os.IsWorkstation());
    Print("IsServer", os.IsServer());
    Print("IsWinXPWorkstation", os.IsWinXPWorkstation());
    Print("IsWin2003Server", os.IsWin2003Server());
    Print("IsVersion(5.1)", os.IsVersion(5, 1, no, no));
    Print("IsVersion(5.2)", os.IsVersion(5, 2, no, no));
    Print("IsVersion(5.2 SP2)", os.IsVersion(5, 2, 2, no));
    Print("IsVersion(6.0)", os.IsVersion(6, 0, no, no));
    Print("IsVersion(6.1)", os.IsVersion(6, 1, no, no));
    Print("IsVersion(6.1 SP0)", os.IsVersion(6, 1, 0, no));
    Print("IsVersion(6.1 SP1)", os.IsVersion(6, 1, 1, no));
    Print("IsVersion(6.1 SP1.0)", os.IsVersion(6, 1, 1, 0));
    Print("IsVersion(6)", os.IsVersion(6, no, no, no));
    Print("IsVersion(10.0)", os.IsVersion(10, 0, no, no));
    Print("IsAtLeastVersion(6.1 SP2)", os.IsAtLeastVersion(6, 1, 2, no));
    std::printf("ShortTimeFormat=%s\n", StringUtilities::ToAscii(KelvoTime::GetShortTimeFormat()).c_str());
    return 0;
}
