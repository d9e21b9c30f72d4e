#include "Tools.h"

#include "Internal/FileProbes.h"
#include "StringUtilities.h"

#include <HostApi/UniqueHandle.h>

#include <windows.h>
#include <shellapi.h>
#include <objbase.h>

#include <cstdlib>
#include <direct.h>
#include <memory>
#include <stdexcept>

namespace Kelvo {
namespace Utilities {

namespace {

const int WaitForExit = 0x1;
const int Elevated = 0x2;
const unsigned long NoExitCode = 0xFFFFFFFF;

// The wide form: the narrow one is in the process code page and loses what it cannot show.
std::wstring CurrentDirectory()
{
    const std::unique_ptr<wchar_t, decltype(&std::free)> directory(_wgetcwd(nullptr, 0), &std::free);
    if (!directory)
    {
        throw std::runtime_error("Cannot get the current working directory");
    }
    return directory.get();
}

bool IsQuoted(const std::wstring& text)
{
    return text.size() >= 2 && text.front() == L'"' && text.back() == L'"';
}

} // namespace

Tools::Tools() = default;

Tools::~Tools() = default;

bool Tools::Run(const std::wstring& path, const std::wstring& parameters)
{
    return Run(0, path, parameters);
}

bool Tools::Run(int flags, const std::wstring& path, const std::wstring& parameters)
{
    if ((flags & WaitForExit) != 0)
    {
        return RunWait(flags, path, parameters) == 0;
    }
    SHELLEXECUTEINFOW info{};
    const bool started = Shellexecute(flags, path, parameters, info);
    const HostApi::UniqueKernelHandle process(info.hProcess);
    return started;
}

unsigned long Tools::RunWait(const std::wstring& path, const std::wstring& parameters)
{
    return RunWait(0, path, parameters);
}

unsigned long Tools::RunWait(int flags, const std::wstring& path, const std::wstring& parameters)
{
    SHELLEXECUTEINFOW info{};
    const bool started = Shellexecute(flags, path, parameters, info);
    const HostApi::UniqueKernelHandle process(info.hProcess);
    // Without a process the shell handed the file to a program that was running already.
    if (!started || !process)
    {
        return NoExitCode;
    }
    ::WaitForSingleObject(process.Get(), INFINITE);
    DWORD exitCode = 0;
    return ::GetExitCodeProcess(process.Get(), &exitCode) ? exitCode : NoExitCode;
}

std::wstring Tools::GenerateFileName(const std::wstring& directory, const std::wstring& extension,
                                     unsigned int length)
{
    return FileProbes::DrawNewFileName(directory, extension, length, IsFileAvailable);
}

bool Tools::IsFileAvailable(const std::wstring& path)
{
    // As an input stream opens it: reading, others may read and write.
    const HostApi::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsValid();
}

bool Tools::IsWritePermissonAvailable(const std::wstring& filename)
{
    return FileProbes::IsWritable(filename, IsFileAvailable);
}

bool Tools::IsCreatePermissonAvailable(const std::wstring& folder)
{
    return FileProbes::CanCreateIn(
        folder, [](const std::wstring& in) { return GenerateFileName(in, L".tmp", 8); });
}

bool Tools::Shellexecute(int flags, const std::wstring& path, const std::wstring& parameters,
                         SHELLEXECUTEINFOW& info)
{
    std::wstring file = path;
    SafePath(file);
    if (file.empty())
    {
        throw std::runtime_error("The provided executable path is empty");
    }
    const std::wstring directory = CurrentDirectory();
    std::wstring arguments = parameters;
    SafeParameter(arguments);

    const bool elevated = (flags & Elevated) != 0;
    info = SHELLEXECUTEINFOW{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = elevated ? L"runas" : L"open";
    info.lpFile = file.c_str();
    info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
    info.lpDirectory = directory.c_str();
    info.nShow = SW_SHOWNORMAL;
    // The shell's elevation needs an apartment thread; a thread in another model cannot have it.
    if (elevated && FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
    {
        return false;
    }
    const bool started = ::ShellExecuteExW(&info) != FALSE;
    // The texts die with this call: the caller keeps only the process handle.
    info.lpVerb = info.lpFile = info.lpParameters = info.lpDirectory = nullptr;
    return started;
}

void Tools::SafePath(std::wstring& path)
{
    StringUtilities::Trim(path, L" ");
    // Quoting a quoted path again makes it a name no file has.
    if (!path.empty() && path.find(L' ') != std::wstring::npos && !IsQuoted(path))
    {
        path = L'"' + path + L'"';
    }
}

void Tools::SafeParameter(std::wstring& parameters)
{
    StringUtilities::Trim(parameters, L" ");
}

} // namespace Utilities
} // namespace Kelvo
