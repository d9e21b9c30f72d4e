//
// main.cpp
//
// A tour of KelvoUtilities for newcomers: each step says what it does and shows the result.
//
#include <KelvoUtilities.h>
#include <HostApi/OperatingSystem.h>

#include <windows.h>

#include <cstdio>
#include <string>
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

} // namespace

int main()
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
    return 0;
}
