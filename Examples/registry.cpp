// The registry: a key of our own under HKEY_CURRENT_USER, values written from their text forms
// and read back, the simpler RegistryKey object, a missing key's error code, and the clean-up.
#include "Console.h"

#include <windows.h>

#include <utility>
#include <vector>

using namespace Kelvo::Utilities;

namespace {

const std::wstring ParentKey = L"Software\\KelvoExamples";

// Removes our keys however the example ends.
struct RemoveKeyAtEnd
{
    ~RemoveKeyAtEnd()
    {
        try
        {
            RegistryUtilities().RegistryDeleteTree(RootCurrentUser, ParentKey, true);
        }
        catch (const Exception&)
        {
            // Never created: nothing to remove.
        }
    }
};

std::wstring Bytes(const std::vector<unsigned char>& data)
{
    return RegistryUtilities::ConvertValueDataToWideString(RegBinary, data);
}

} // namespace

int main()
{
    return RunExample([] {
        const std::wstring key = ParentKey + L"\\Registry-" + std::to_wstring(::GetCurrentProcessId());
        const RemoveKeyAtEnd cleanup;

        RegistryUtilities registry;
        RegistryDisposition disposition = DispositionNone;
        registry.RegistryCreateKey(RootCurrentUser, key, AccessAll, true, OptionNonVolatile, nullptr, &disposition);
        Print("created a new key", disposition == DispositionCreatedNewKey ? L"true" : L"false");

        // Values travel as bytes; their text form is the registry's own format: strings as they
        // are, byte lists as two hexadecimal digits per byte, multi-strings joined by [endOfString].
        const std::pair<RegistryValueType, std::wstring> values[] = {
            { RegSz, L"Hello, registry" },
            { RegExpandSz, L"%TEMP%\\KelvoExample" },
            { RegBinary, L"DE, AD, BE, EF" },
            { RegDword, L"2A, 00, 00, 00" },
            { RegQword, L"01, 02, 03, 04, 05, 06, 07, 08" },
            { RegMultiSz, L"first[endOfString]second" },
        };
        for (const auto& value : values)
        {
            const std::wstring name = RegistryUtilities::ConvertValueTypeToWideString(value.first);
            registry.RegistrySetValueFromCurrentKey(
                name, RegistryUtilities::ConvertWideStringToValueData(value.first, value.second), value.first);
            std::vector<unsigned char> data;
            RegistryValueType type = RegNone;
            registry.RegistryGetValueFromCurrentKey(name, data, type);
            Print(Utf8(name + L" read back").c_str(), RegistryUtilities::ConvertValueDataToWideString(type, data));
        }

        // A DWORD's text form is its bytes in hexadecimal, not a decimal number: "42" is the byte
        // 0x42, so the value stored is 66. A decimal number goes through the bytes of the number.
        const std::vector<unsigned char> fortyTwo = RegistryUtilities::ConvertWideStringToValueData(RegDword, L"42");
        Print("ConvertWideStringToValueData(RegDword, \"42\")", Bytes(fortyTwo));
        Print("as a number", RegistryUtilities::ConvertValueDataToDWord(RegDword, fortyTwo));
        const DWORD number = 42;
        const auto* first = reinterpret_cast<const unsigned char*>(&number);
        const std::vector<unsigned char> decimal(first, first + sizeof(number));
        registry.RegistrySetValueFromCurrentKey(L"Port", decimal, RegDword);
        std::vector<unsigned char> stored;
        RegistryValueType type = RegNone;
        registry.RegistryGetValueFromCurrentKey(L"Port", stored, type);
        Print("the number 42 stored, read back", RegistryUtilities::ConvertValueDataToDWord(type, stored));

        const std::vector<std::wstring> names = registry.RegistryGetValuesFromCurrentKey();
        Print("values in the key", names.size());
        registry.RegistryCloseCurrentKey();

        // RegistryKey: typed reads with defaults, for settings.
        RegistryKey settings(BaseCurrentUser, key);
        settings.SetValue(L"Retries", 3u);
        settings.SetValue(L"Server", std::wstring(L"example.org"));
        Print("GetUint32Value(Retries)", settings.GetUint32Value(L"Retries", 0));
        Print("GetStringValue(Server)", settings.GetStringValue(L"Server", L"none"));
        Print("GetStringValue(Missing) gives the default", settings.GetStringValue(L"Missing", L"none"));

        // A missing key: Exception with the Windows error code 2 (not found).
        try
        {
            registry.RegistryOpenKey(RootCurrentUser, key + L"\\Missing", AccessRead, true);
        }
        catch (const Exception& e)
        {
            Print("opening a missing key, error code", e.GetErrorCode());
            Print("its message", e.GetFullMessage());
            Print("what() says only", e.what());
        }

        registry.RegistryDeleteTree(RootCurrentUser, ParentKey, true);
        Print("after RegistryDeleteTree, KeyExists", RegistryUtilities::KeyExists(RootCurrentUser, key) ? L"true" : L"false");
    });
}
