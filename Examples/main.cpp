// A tour of KelvoUtilities for newcomers: each step says what it does and shows the result.
#include <KelvoUtilities.h>
#include <HostApi/OperatingSystem.h>

#include <windows.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using namespace Kelvo::Utilities;

namespace {

// The console gets UTF-8, whatever the text holds.
void Show(const char* what, const std::wstring& value)
{
    std::string utf8;
    StringUtilities::Utf16ToUtf8(value, utf8);
    std::printf("  %-44s %s\n", what, utf8.c_str());
}

// A small settings record: the same calls write it and read it back.
struct Settings
{
    std::wstring name;
    unsigned int port = 0;
    bool enabled = false;
    std::vector<std::wstring> hosts;
    unsigned __int64 quota = 0;

    // Writing, every call answers true. Reading, BeginData of the unnamed top level answers
    // false (its members are the tree root's children) and the rest finds them all the same.
    void Serialize(ISerializer& serializer)
    {
        serializer.BeginData(L"");
        serializer.WriteData(L"name", name);
        serializer.WriteData(L"port", port);
        serializer.WriteData(L"enabled", enabled);
        serializer.WriteList(L"hosts", hosts);
        serializer.BeginData(L"limits");
        serializer.WriteData(L"quota", quota);
        serializer.EndData(L"limits");
        serializer.EndData(L"");
    }

    void Show(const char* title) const
    {
        std::wstring list;
        for (const auto& host : hosts)
        {
            list += (list.empty() ? L"" : L", ") + host;
        }
        std::printf("  %s\n", title);
        ::Show("name:", name);
        ::Show("port:", std::to_wstring(port));
        ::Show("enabled:", enabled ? L"true" : L"false");
        ::Show("hosts:", list);
        ::Show("limits/quota:", std::to_wstring(quota));
    }
};

} // namespace

int main(int argc, char** argv)
{
    std::printf("KelvoUtilities example\n\n");

    std::printf("Text (StringUtilities):\n");
    std::wstring path = L"C:\\Program Files";
    StringUtilities::AddAtEndIfNotExists(path, L"\\");
    Show("AddAtEndIfNotExists(\"C:\\Program Files\", \"\\\"):", path);
    std::wstring text = L"  one, two, three  ";
    StringUtilities::Trim(text, L" ");
    StringUtilities::Replace(text, L", ", L" + ");
    Show("Trim, then Replace \", \" by \" + \":", text);
    StringUtilities::ToUpper(text);
    Show("ToUpper:", text);
    std::wstring decoded;
    StringUtilities::Utf8ToUtf16("Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac", decoded);
    Show("Utf8ToUtf16 of \"Gr\\xc3\\xbc\\xc3\\x9fe \\xe2\\x82\\xac\":", decoded);
    Show("FormatMessageW(\"%1 has %2!d! items\"):", StringUtilities::FormatMessageW(L"%1 has %2!d! items", L"The list", 3));

    std::printf("\nDocuments (JSONSerializer):\n");
    Settings settings{ L"backup", 8443, true, { L"alpha", L"beta" }, 5000000000ull };
    settings.Show("written:");
    std::wstringstream document;
    JSONSerializer writer;
    writer.SetStream(&document, Serialize);
    settings.Serialize(writer);
    Show("the document:", document.str());
    // Reading fills the very same variables through the same calls.
    Settings restored;
    JSONSerializer reader;
    reader.SetStream(&document, Deserialize);
    restored.Serialize(reader);
    restored.Show("read back:");

    std::printf("\nErrors (Exception):\n");
    try
    {
        // HostApi.dll reports a failed Windows call as an Exception with the Windows error code.
        Kelvo::HostApi::OperatingSystem::OSGetNativeSystemInfo(nullptr);
    }
    catch (const Exception& e)
    {
        Show("caught from HostApi.dll, full message:", e.GetFullMessage());
        Show("error code:", e.GetErrorCodeText());
        Show("thrown at:", e.GetSourceLocation());
    }

    std::printf("\nRegistry (RegistryUtilities), under HKEY_CURRENT_USER\\Software\\KelvoExample:\n");
    {
        RegistryUtilities registry;
        registry.RegistryCreateKey(RootCurrentUser, L"Software\\KelvoExample", AccessAll, false, OptionNonVolatile,
                                   nullptr, nullptr);
        const std::pair<RegistryValueType, std::wstring> values[] = {
            { RegSz, L"Hello, registry" },        { RegExpandSz, L"%TEMP%\\KelvoExample" },
            { RegBinary, L"DE, AD, BE, EF" },     { RegDword, L"2A, 00, 00, 00" },
            { RegDwordBigEndian, L"00, 00, 00, 2A" }, { RegQword, L"01, 02, 03, 04, 05, 06, 07, 08" },
            { RegMultiSz, L"first[endOfString]second" },
        };
        for (const auto& value : values)
        {
            // Text form -> registry bytes -> written -> read back -> text form.
            const std::wstring name = RegistryUtilities::ConvertValueTypeToWideString(value.first);
            registry.RegistrySetValueFromCurrentKey(name, RegistryUtilities::ConvertWideStringToValueData(value.first, value.second),
                                                    value.first);
            std::vector<unsigned char> data;
            RegistryValueType type = RegNone;
            registry.RegistryGetValueFromCurrentKey(name, data, type);
            const std::string label = std::string(name.begin(), name.end()) + " read back:";
            Show(label.c_str(), RegistryUtilities::ConvertValueDataToWideString(type, data));
        }
        registry.RegistryCloseCurrentKey();
        registry.RegistryDeleteTree(RootCurrentUser, L"Software\\KelvoExample", false);
        Show("after RegistryDeleteTree, KeyExists says:",
             RegistryUtilities::KeyExists(RootCurrentUser, L"Software\\KelvoExample") ? L"true" : L"false");
    }

    std::printf("\nCryptography (AesCipher, MD5):\n");
    const std::string secret = "Meet me at the usual place.";
    std::vector<unsigned char> data(secret.begin(), secret.end());
    AesCipher cipher(std::vector<unsigned char>(16, 0x2A));
    cipher.Encrypt(data);
    std::wstring cipherText;
    for (unsigned char byte : data)
    {
        const wchar_t* const digits = L"0123456789ABCDEF";
        cipherText += digits[byte >> 4];
        cipherText += digits[byte & 0xF];
    }
    Show("Encrypt(\"Meet me at the usual place.\"):", cipherText);
    cipher.Decrypt(data);
    Show("Decrypt of that:", std::wstring(data.begin(), data.end()));
    std::wstring self(MAX_PATH, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, &self[0], MAX_PATH));
    Show("MD5 of this program's file:", MD5::ComputeHash(self));

    std::printf("\nSystem (HostApi):\n");
    Show("Windows directory:", Kelvo::HostApi::OperatingSystem::OperatingSystemRootDirectory());
    Show("temporary directory:", Kelvo::HostApi::OperatingSystem::TempDirectory());

    std::printf("\nOperating system (OSInfo) and time (KelvoTime):\n");
    const OSInfo os;
    Show("kernel32.dll version:", os.GetVersion());
    Show("at least Windows 7:", os.IsAtLeastWindows7() ? L"true" : L"false");
    Show("UI language, country:", os.GetLanguage() + L", " + os.GetCountry());
    const KelvoTime now = KelvoTime::Now();
    Show("now, as text:", now.ToString());
    Show("now, hexadecimal:", now.ToHexString());
    Show("Base64 of the text form:", Base64::Encode(now.ToString()));

    std::printf("\nFiles (FileAppender, IniFile, DriveInfo), in the temporary directory:\n");
    {
        const std::wstring folder = Kelvo::HostApi::OperatingSystem::TempDirectory();
        FileAppender log(Path::Combine(folder, L"KelvoExample.log"));
        log.SetSplitSizeKb(64); // beyond 64 KiB the log moves to KelvoExample_1.log
        log.AppendLine(L"example started at " + now.ToString());
        Show("appended to:", Path::Combine(folder, L"KelvoExample.log"));
        IniFile ini(Path::Combine(folder, L"KelvoExample.ini"));
        ini.WriteStringValue(L"Example", L"LastRun", now.ToString());
        Show("INI [Example] LastRun read back:", ini.ReadStringValue(L"Example", L"LastRun", L"(none)"));
        DriveInfo drives;
        Show("free space on the system drive (GB):", std::to_wstring(drives.GetFreeSystemDiskSpaceGB()));
    }

    std::printf("\nServices (ServiceUtilities) and processes (Tools):\n");
    // 1 stopped, 2 start pending, 3 stop pending, 4 running, 0 other, 255 not installed.
    ServiceUtilities rpc(L"RpcSs");
    Show("state of the service RpcSs:", std::to_wstring(rpc.GetStatus()));
    ServiceUtilities missing(L"KelvoNoSuchService");
    Show("state of the service KelvoNoSuchService:", std::to_wstring(missing.GetStatus()));
    Show("exit code of cmd.exe /c exit 3:", std::to_wstring(Tools::RunWait(L"cmd.exe", L"/c exit 3")));

    std::printf("\nUser identity (UserUtilities):\n");
    UserUtilities user;
    Show("SID of the user running this program:", user.GetUserSidFromCurrentProcess());
    Show("running elevated:", user.IsElevated() ? L"true" : L"false");

    // Given a server address (e.g. http://127.0.0.1:8080/echo), post a small document to it.
    if (argc > 1)
    {
        std::printf("\nHTTP (WinHTTPClient), POST to %s:\n", argv[1]);
        std::wstring url;
        StringUtilities::Utf8ToUtf16(argv[1], url);
        try
        {
            WinHTTPClient client(false);
            client.AddHeader(L"Content-Type", L"application/json");
            client.SetCommandBody(document.str());
            client.ExecutePostRequest(url);
            Show("status:", std::to_wstring(client.GetHttpStatusCode()));
            Show("response:", client.GetHttpResponse());
        }
        catch (const Exception& e)
        {
            Show("failed:", e.GetFullMessage());
        }
    }
    return 0;
}
