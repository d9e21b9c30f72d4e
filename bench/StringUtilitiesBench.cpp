// Replacement and trimming on multi-megabyte texts with about a million matches.
// Run by hand: build/mingw-x64/bin/StringUtilitiesBench.exe under Wine.
#include <StringUtilities.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

using Kelvo::Utilities::StringUtilities;

namespace {

// Best of three runs, in milliseconds; prepare builds a fresh input outside the timing.
double Milliseconds(const std::function<std::wstring()>& prepare, const std::function<void(std::wstring&)>& work)
{
    double best = 1e300;
    for (int run = 0; run < 3; ++run)
    {
        std::wstring text = prepare();
        const auto start = std::chrono::steady_clock::now();
        work(text);
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
        best = elapsed.count() < best ? elapsed.count() : best;
    }
    return best;
}

void Report(const char* name, std::size_t characters, double milliseconds)
{
    const double mebibytes = static_cast<double>(characters * sizeof(wchar_t)) / (1024.0 * 1024.0);
    std::printf("%-58s %8.1f ms  %8.1f MiB/s\n", name, milliseconds, mebibytes / (milliseconds / 1000.0));
}

} // namespace

int main()
{
    const std::size_t matches = 1 << 20;
    // 4 MiB of UTF-16: "ab" a million times over.
    const auto pairs = [matches] {
        std::wstring text;
        text.reserve(2 * matches);
        for (std::size_t i = 0; i < matches; ++i)
        {
            text += L"ab";
        }
        return text;
    };
    // a...ab...b: every replacement makes the next match where it meets its neighbours.
    const auto nested = [matches] { return std::wstring(matches, L'a') + std::wstring(matches, L'b'); };

    Report("ReplaceAll ab -> X, 4 MiB, 1,048,576 matches",
           2 * matches, Milliseconds(pairs, [](std::wstring& t) { StringUtilities::ReplaceAll(t, L"ab", L"X"); }));
    Report("ReplaceAll ab -> \"\", 4 MiB, 1,048,576 cascading matches",
           2 * matches, Milliseconds(nested, [](std::wstring& t) { StringUtilities::ReplaceAll(t, L"ab", L""); }));
    Report("Replace ab -> XYZ, 4 MiB, 1,048,576 matches",
           2 * matches, Milliseconds(pairs, [](std::wstring& t) { StringUtilities::Replace(t, L"ab", L"XYZ"); }));
    Report("Trim of 4 MiB made only of trimmed characters",
           2 * matches, Milliseconds(pairs, [](std::wstring& t) { StringUtilities::Trim(t, L"ba"); }));
    return 0;
}
