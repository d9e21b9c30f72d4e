// What loading HostApi.dll on first use costs, once per process: the first library operation
// that needs it (signature check, load and binding), a plain LoadLibraryEx of the same file
// without the check, and a later call. Each figure is a median over fresh processes: the
// program starts itself once per sample. Run it from the build's bin/ folder, where both DLLs
// are signed:  ModuleLoadingBench [SAMPLES]
#include <OSInfo.h>
#include <Path.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using Kelvo::Utilities::OSInfo;
using Kelvo::Utilities::Path;

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One sample, in this process: prints "<first call ms> <later call ms>" or "<plain load ms>".
int Sample(const char* what)
{
    if (std::strcmp(what, "--first-call") == 0)
    {
        const Clock::time_point first = Clock::now();
        OSInfo().GetBaseDirectory();
        const double firstCall = MillisecondsSince(first);
        const Clock::time_point later = Clock::now();
        OSInfo().GetBaseDirectory();
        std::printf("%.4f %.4f\n", firstCall, MillisecondsSince(later));
        return 0;
    }
    const std::wstring hostApi = Path::Combine(Path::GetModuleDirectory(), L"HostApi.dll");
    const Clock::time_point load = Clock::now();
    const HMODULE module = ::LoadLibraryExW(hostApi.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    std::printf("%.4f\n", MillisecondsSince(load));
    return module != nullptr ? 0 : 1;
}

// The figures of samples fresh processes, each running this program with the argument what.
std::vector<std::vector<double>> Samples(const char* self, const char* what, int samples)
{
    std::vector<std::vector<double>> columns(2);
    const std::string command = std::string("\"\"") + self + "\" " + what + "\"";
    for (int i = 0; i < samples; ++i)
    {
        FILE* const child = ::_popen(command.c_str(), "r");
        double values[2] = {};
        const int read = child != nullptr ? std::fscanf(child, "%lf %lf", &values[0], &values[1]) : 0;
        if (child == nullptr || ::_pclose(child) != 0 || read < 1)
        {
            std::fprintf(stderr, "%s %s failed\n", self, what);
            std::exit(1);
        }
        for (int column = 0; column < read; ++column)
        {
            columns[static_cast<std::size_t>(column)].push_back(values[column]);
        }
    }
    return columns;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && argv[1][0] == '-')
    {
        return Sample(argv[1]);
    }
    const int samples = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const auto first = Samples(argv[0], "--first-call", samples);
    const auto plain = Samples(argv[0], "--plain-load", samples);
    const double firstCall = Median(first[0]);
    const double plainLoad = Median(plain[0]);
    std::printf("HostApi.dll on first use, %s-bit, median of %d processes each:\n", sizeof(void*) == 8 ? "64" : "32",
                samples);
    std::printf("  first call of an operation that needs it   %8.2f ms  (check, load, binding)\n", firstCall);
    std::printf("  LoadLibraryEx of the same file, no check   %8.2f ms\n", plainLoad);
    std::printf("  the check, by difference                   %8.2f ms\n", firstCall - plainLoad);
    std::printf("  a later call of the same operation         %8.4f ms\n", Median(first[1]));
    return 0;
}
