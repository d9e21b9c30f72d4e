// The keyed tree and the JSON serializer. One sequence of calls writes a settings record and,
// on a serializer opened for reading, fills the same variables back. The document format is the
// product's own legacy format, not standard JSON: the second half shows each rule with the text
// that goes in, the document, and the text that comes out.
#include "Console.h"

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Kelvo::Utilities;

namespace {

struct Settings
{
    std::wstring name;
    unsigned int port = 0;
    bool enabled = false;
    std::vector<std::wstring> hosts;
    unsigned __int64 quota = 0;

    // The same calls write (every call answers true) and read. Reading, BeginData of the unnamed
    // top level answers false (its members are the root's children) and the rest finds them.
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
};

std::wstring Join(const std::vector<std::wstring>& items)
{
    std::wstring text;
    for (const auto& item : items)
    {
        text += (text.empty() ? L"<" : L"|<") + item + L">";
    }
    return text;
}

// Writes {"value" : <text>} and reads it back; shows what went in, the document, what came out.
void StringRoundTrip(const char* rule, std::wstring text)
{
    std::printf("%s\n", rule);
    Print("  in", text);
    std::wstringstream document;
    JSONSerializer writer;
    writer.SetStream(&document, Serialize);
    writer.BeginData(L"");
    writer.WriteData(L"value", text);
    writer.EndData(L"");
    Print("  document", document.str());
    Print("  caller's variable after writing", text);
    std::wstring out = L"(not found)";
    JSONSerializer reader;
    reader.SetStream(&document, Deserialize);
    reader.WriteData(L"value", out);
    Print("  out", out);
}

// The same for a list of strings.
void ListRoundTrip(const char* rule, std::vector<std::wstring> items)
{
    std::printf("%s\n", rule);
    Print("  in", Join(items));
    std::wstringstream document;
    JSONSerializer writer;
    writer.SetStream(&document, Serialize);
    writer.BeginData(L"");
    writer.WriteList(L"list", items);
    writer.EndData(L"");
    Print("  document", document.str());
    std::vector<std::wstring> out;
    JSONSerializer reader;
    reader.SetStream(&document, Deserialize);
    reader.WriteList(L"list", out);
    Print("  out", Join(out));
}

// Reads a document and shows what each member comes back as.
void Read(const std::wstring& text, const std::vector<std::wstring>& names)
{
    Print("  document", text);
    std::wstringstream document(text);
    JSONSerializer reader;
    reader.SetStream(&document, Deserialize);
    for (const std::wstring& name : names)
    {
        std::wstring value = L"(missing)";
        reader.WriteData(name, value);
        Print(("  " + Utf8(name)).c_str(), value);
    }
}

} // namespace

int main()
{
    return RunExample([] {
        // The tree: keyed nodes, children ordered by key, one cursor.
        Tree tree(L"settings");
        tree.AppendChild(L"server", { L"example.org" });
        tree.AppendChild(L"ports", { L"80", L"443" });
        tree.AppendChild(L"backup");
        tree.Down(L"ports");
        std::vector<std::wstring> ports;
        tree.GetValues(ports);
        Print("values of settings/ports", Join(ports));
        tree.Up();
        tree.Down();
        Print("first child in key order", tree.GetKey());
        tree.Up();
        Print("AppendChild of an existing key", tree.AppendChild(L"backup") ? L"true" : L"false");
        Tree copy(tree);
        Print("a copy compares equal", copy.CompareTrees(tree) ? L"true" : L"false");

        // A record written and read back through the same calls.
        Settings settings{ L"backup", 8443, true, { L"alpha", L"beta" }, 5000000000ull };
        std::wstringstream document;
        JSONSerializer writer;
        writer.SetStream(&document, Serialize);
        settings.Serialize(writer);
        Print("document", document.str());
        Settings restored;
        JSONSerializer reader;
        reader.SetStream(&document, Deserialize);
        restored.Serialize(reader);
        Print("read back", restored.name + L", " + std::to_wstring(restored.port) + L", " +
                               (restored.enabled ? L"true" : L"false") + L", " + Join(restored.hosts) + L", " +
                               std::to_wstring(restored.quota));

        // The legacy rules, as the writer and the reader apply them.
        StringRoundTrip("1. backslashes are doubled, in the document and in the caller's variable:", L"C:\\Temp\\log.txt");
        StringRoundTrip("2. braces and brackets are removed from string values:", L"{a} [b]");
        StringRoundTrip("3. quotation marks are not escaped; those at the ends of a value are lost:", L"\"quoted\" and \"more");
        StringRoundTrip("4. a comma ends a string value when it is read:", L"one, two");
        StringRoundTrip("5. blanks at the ends of a value are lost when it is read:", L"  padded  ");
        ListRoundTrip("6. list items are written raw: a comma in an item splits it when read:", { L"a,b", L"c" });
        ListRoundTrip("7. an empty list reads back as one empty item:", {});

        std::printf("8. a name that occurs twice is one member; the rest of a value after a comma makes a member:\n");
        Read(L"{\"s\" : \"x,y\",\"t\" : 1,\"d\" : 1,\"d\" : 2}", { L"s", L"t", L",", L"d" });
        std::printf("9. numbers and booleans are read with std::stoul and std::stoi:\n");
        std::wstringstream numbers(L"{\"n\" : 1.5,\"two\" : 2,\"empty\" : [],\"b\" : true}");
        JSONSerializer numberReader;
        numberReader.SetStream(&numbers, Deserialize);
        unsigned int number = 0;
        numberReader.WriteData(L"n", number);
        Print("  1.5 read as unsigned int", number);
        bool two = false;
        numberReader.WriteData(L"two", two);
        Print("  2 read as bool", two ? L"true" : L"false");
        try
        {
            std::vector<unsigned int> empty;
            numberReader.WriteList(L"empty", empty);
        }
        catch (const std::invalid_argument& e)
        {
            Print("  [] read as a list of numbers throws std::invalid_argument", e.what());
        }
        try
        {
            bool flag = false;
            numberReader.WriteData(L"b", flag);
        }
        catch (const std::invalid_argument& e)
        {
            Print("  true read as bool throws std::invalid_argument", e.what());
        }
        std::printf("10. standard JSON from elsewhere: escapes are not decoded, lists of objects are not understood:\n");
        Read(L"{\"path\": \"C:\\\\Temp\\\\x\", \"q\": \"say \\\"hi\\\"\", \"u\": \"caf\\u00e9\"}", { L"path", L"q", L"u" });
        Read(L"{\"arr\": [{\"x\": 1}, {\"x\": 2}], \"after\": 3}", { L"arr", L"x", L"after" });

        // A value that must survive exactly: store it in a form the format cannot hurt.
        const std::wstring path = L"C:\\Data\\a, b \"c\"";
        std::printf("11. Base64 keeps any text exactly:\n");
        std::wstringstream encoded;
        JSONSerializer encoder;
        encoder.SetStream(&encoded, Serialize);
        std::wstring text = Base64::Encode(path);
        encoder.BeginData(L"");
        encoder.WriteData(L"path", text);
        encoder.EndData(L"");
        Print("  in", path);
        Print("  document", encoded.str());
        JSONSerializer decoder;
        decoder.SetStream(&encoded, Deserialize);
        std::wstring read;
        decoder.WriteData(L"path", read);
        Print("  decoded equals the original", Base64::Decode(read) == path ? L"true" : L"false");
    });
}
