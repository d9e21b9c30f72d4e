// Files, INI files and logs, in a temporary folder of our own that the example removes: line
// files in both encodings, moving and probing, listing, an INI file, a log that splits, and the
// exception of a file call.
#include "Console.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

using namespace Kelvo::Utilities;

namespace {

std::wstring Join(const std::vector<std::wstring>& items)
{
    std::wstring text;
    for (const auto& item : items)
    {
        text += (text.empty() ? L"" : L"|") + item;
    }
    return text;
}

// Removes the folder however the example ends.
struct RemoveFolderAtEnd
{
    std::wstring path;
    ~RemoveFolderAtEnd()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

} // namespace

int main()
{
    return RunExample([] {
        const std::wstring folder = OSInfo().GetTempDirectory() + L"KelvoExample-" + std::to_wstring(::GetCurrentProcessId());
        std::filesystem::create_directory(folder);
        const RemoveFolderAtEnd cleanup{ folder };

        // 8-bit lines (one byte per character, CR LF) and UTF-16 lines (byte-order mark first).
        const std::wstring lines = Path::Combine(folder, L"lines.txt");
        File::WriteAllLines(lines, { L"first", L"second" });
        Print("WriteAllLines, size in bytes", File::GetSize(lines));
        Print("ReadAllLines", Join(File::ReadAllLines(lines)));
        const std::wstring unicode = Path::Combine(folder, L"unicode.txt");
        File::WriteAllUnicodeLines(unicode, { L"Gr\u00fc\u00dfe", L"\u20ac" });
        Print("WriteAllUnicodeLines, size in bytes", File::GetSize(unicode));
        Print("ReadAllUnicodeLines", Join(File::ReadAllUnicodeLines(unicode)));

        const std::wstring moved = Path::InsertBeforeExtension(lines, L'_', L"old");
        File::Move(lines, moved);
        Print("moved to", Path::GetFileName(moved));
        Print("Exists(old name), Exists(new name)",
              std::wstring(File::Exists(lines) ? L"true" : L"false") + L", " + (File::Exists(moved) ? L"true" : L"false"));

        // An INI file through the Windows profile functions.
        IniFile ini(Path::Combine(folder, L"settings.ini"));
        ini.WriteStringValue(L"Server", L"Host", L"example.org");
        ini.WriteIntValue(L"Server", L"Port", 8443);
        ini.WriteHeader({ L"; written by the files example" });
        Print("INI Server/Host", ini.ReadStringValue(L"Server", L"Host", L"none"));
        Print("INI Server/Port", static_cast<unsigned long long>(ini.ReadIntValue(L"Server", L"Port", 0)));
        Print("INI Server/Missing gives the default", ini.ReadStringValue(L"Server", L"Missing", L"none"));
        try
        {
            ini.WriteStringValue(L"Server", L"Host", L"evil\r\n[Other]");
        }
        catch (const Win32Exception& e)
        {
            Print("a value with a line break is refused, code", static_cast<unsigned long long>(e.code().value()));
        }

        // A log that moves itself aside to example_1.log once it would pass 1 KiB.
        FileAppender log(Path::Combine(folder, L"example.log"));
        log.SetSplitSizeKb(1);
        for (int i = 1; i <= 40; ++i)
        {
            log.AppendLine(L"line " + std::to_wstring(i) + L" of the example's log");
        }
        Print("log, older generation exists", File::Exists(Path::Combine(folder, L"example_1.log")) ? L"true" : L"false");
        Print("log file no larger than 1 KiB",
              File::GetSize(Path::Combine(folder, L"example.log")) <= 1024 ? L"true" : L"false");

        // Listing: EnumeratorFolder reads lazily; the tree walk gives full paths.
        std::vector<std::wstring> names;
        EnumeratorFolder enumerator;
        for (const std::wstring& name : enumerator.GetFiles(folder))
        {
            names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        Print("files in the folder", Join(names));
        Print("EnumerateDirectoryTree entries (the folder included)", FileSystemUtilities::EnumerateDirectoryTree(folder).size());

        // Delete: a missing file counts as deleted; a missing folder is a failure.
        File::Delete(Path::Combine(folder, L"never-written.txt"));
        Print("Delete of a missing file", L"no exception");
        try
        {
            File::Delete(Path::Combine(folder, L"no-such-folder\\file.txt"));
        }
        catch (const FileSystemException& e)
        {
            Print("Delete in a missing folder throws FileSystemException, code", static_cast<unsigned long long>(e.code().value()));
            Print("its path1", Path::GetFileName(e.path1().wstring()));
        }
    });
}
