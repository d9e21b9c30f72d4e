// The JSON writer's exact text, reading back through a stream, the serializer base, and derived
// serializers. How the reader maps any text onto the tree is held to the reading rules by the
// differential test.
#include <JSONSerializer.h>

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

using Kelvo::Utilities::BaseSerializer;
using Kelvo::Utilities::Deserialize;
using Kelvo::Utilities::JSONSerializer;
using Kelvo::Utilities::Serialize;
using Kelvo::Utilities::Tree;
using Values = std::vector<std::wstring>;

namespace {

// A derived serializer sees, through DeserializeToSubTree, the text between the braces with its
// ends trimmed; one that does not override it reads as the base does.
class RecordingSerializer : public JSONSerializer
{
public:
    std::vector<std::wstring> texts;

protected:
    bool DeserializeToSubTree(const std::wstring& text, Tree& tree) override
    {
        texts.push_back(text);
        return JSONSerializer::DeserializeToSubTree(text, tree);
    }
};

class PlainDerivedSerializer : public JSONSerializer
{
public:
    using JSONSerializer::BeginDataList;
    using JSONSerializer::EndDataList;
};

} // namespace

// The interface's slots hold its operations only: deleting through it must not compile.
static_assert(!std::is_destructible_v<Kelvo::Utilities::ISerializer>);

TEST(JSONSerializer, WritesTheExactPieces)
{
    std::wstringstream stream, more;
    JSONSerializer writer;
    std::wstring x = L"x", cleaned = L"a{b}[c]\\d", fragment = L"{\"z\" : 1}";
    unsigned int n = 5;
    unsigned __int64 big = 18446744073709551615ull;
    bool flag = true;
    std::vector<unsigned int> numbers{ 1, 2 };
    std::vector<std::wstring> raw{ L"p,q", L"{r}" };
    std::vector<bool> flags{ true, false };
    std::vector<unsigned __int64> empty;
    EXPECT_TRUE(writer.SetStream(&stream, Serialize));
    EXPECT_TRUE(writer.BeginData(L"") && writer.WriteData(L"a", x) && writer.WriteData(L"n", n) &&
                writer.BeginData(L"o") && writer.EndData(L"o") && writer.WriteList(L"l", numbers) && writer.EndData(L""));
    EXPECT_EQ(L"{\"a\" : \"x\",\"n\" : 5,\"o\" : {},\"l\" : [1,2]}", stream.str());

    writer.SetStream(&more, Serialize);
    EXPECT_TRUE(writer.WriteData(L"s", cleaned) && writer.WriteList(L"r", raw) && writer.WriteList(L"f", flags) &&
                writer.WriteList(L"e", empty) && writer.WriteData(L"u", big) && writer.WriteData(L"b", flag) &&
                writer.WriteSerializedData(L"w", fragment) && writer.BeginData(L"") && writer.EndData(L""));
    EXPECT_EQ(L"abc\\\\d", cleaned); // the caller's string is cleaned too
    EXPECT_EQ(L"\"s\" : \"abc\\\\d\",\"r\" : [\"p,q\",\"{r}\"],\"f\" : [1,0],\"e\" : [],"
              L"\"u\" : 18446744073709551615,\"b\" : 1,\"w\" : {\"z\" : 1},{}",
              more.str());
    // A backslash with nothing else to clean is doubled as well.
    std::wstringstream alone;
    std::wstring path = L"c:\\x";
    writer.SetStream(&alone, Serialize);
    EXPECT_TRUE(writer.WriteData(L"p", path));
    EXPECT_EQ(L"\"p\" : \"c:\\\\x\"", alone.str());
}

// Without a stream every operation but the parsers is refused; with one, a document is read back
// into the same variables.
TEST(JSONSerializer, ReadsBackIntoTheSameVariablesThroughAStream)
{
    JSONSerializer s;
    std::wstring name, text, missing = L"unchanged";
    bool flag = false;
    unsigned int count = 0, n = 0;
    unsigned __int64 big = 0;
    std::vector<std::wstring> words{ L"kept" };
    std::vector<bool> flags;
    std::vector<unsigned int> numbers{ 9 };
    std::vector<unsigned __int64> bigs;
    EXPECT_FALSE(s.BeginData(L"") || s.EndData(L"") || s.WriteData(L"a", text) || s.WriteData(L"a", flag) ||
                 s.WriteData(L"a", count) || s.WriteData(L"a", big) || s.WriteList(L"a", words) ||
                 s.WriteList(L"a", flags) || s.WriteList(L"a", numbers) || s.WriteList(L"a", bigs) ||
                 s.WriteSerializedData(L"a", text));
    EXPECT_TRUE(s.SetStream(nullptr, Deserialize));
    EXPECT_FALSE(s.WriteData(L"a", text));
    std::wstringstream empty, stream(L"{\"name\" : \"K\\\\V\",\"flag\" : 2,\n\"count\" : 7,"
        L"\"big\" : 18446744073709551615,\"words\" : [\"a\",\"b c\"],\"flags\" : [1,2,0],\"sub\" : {\"n\" : 4},"
        L"\"empty\" : [],\"text\" : \"x\ny\",\"huge\" : 4294967296,\"bad\" : \"z\"}");
    EXPECT_TRUE(s.SetStream(&empty, Deserialize)); // parses nothing
    EXPECT_FALSE(s.WriteData(L"name", name));
    s.SetStream(&stream, Deserialize);
    EXPECT_FALSE(s.BeginData(L"")); // the top level's members are the root's children
    EXPECT_TRUE(s.WriteData(L"name", name) && s.WriteData(L"flag", flag) && s.WriteData(L"count", count) &&
                s.WriteData(L"big", big) && s.WriteList(L"words", words) && s.WriteList(L"flags", flags) &&
                s.WriteData(L"text", text));
    EXPECT_EQ(L"K\\\\V", name);
    EXPECT_TRUE(flag);
    EXPECT_EQ(7u, count);
    EXPECT_EQ(18446744073709551615ull, big);
    EXPECT_EQ((Values{ L"kept", L"a", L"b c" }), words);
    EXPECT_EQ((std::vector<bool>{ true, false, false }), flags);
    EXPECT_EQ(L"xy", text); // a line break inside a value disappears
    EXPECT_FALSE(s.WriteData(L"missing", missing));
    EXPECT_EQ(L"unchanged", missing);
    EXPECT_TRUE(s.WriteList(L"missing", numbers) && s.WriteList(L"missing", words));
    EXPECT_FALSE(s.BeginData(L"missing"));
    EXPECT_FALSE(s.WriteSerializedData(L"sub", name));
    EXPECT_TRUE(s.BeginData(L"sub") && s.WriteData(L"n", n) && s.EndData(L"sub") && s.EndData(L""));
    EXPECT_EQ(4u, n);
    EXPECT_THROW(s.WriteList(L"empty", numbers), std::invalid_argument);
    EXPECT_EQ(std::vector<unsigned int>{ 9 }, numbers); // untouched by the missing list and the refused one
    EXPECT_EQ(3u, words.size());
    EXPECT_THROW(s.WriteData(L"huge", count), std::out_of_range);
    EXPECT_EQ(7u, count);
    EXPECT_THROW(s.WriteData(L"bad", big), std::invalid_argument);

    // Copies hold trees of their own; a second stream is read into the same tree.
    JSONSerializer copy(s), assigned;
    assigned = s;
    std::wstringstream again(L"{\"count\" : 8}");
    s.SetStream(&again, Deserialize);
    EXPECT_TRUE(s.WriteList(L"count", numbers) && copy.WriteList(L"count", numbers) &&
                assigned.WriteList(L"count", numbers));
    EXPECT_EQ((std::vector<unsigned int>{ 9, 7, 8, 7, 7 }), numbers);
}

TEST(JSONSerializer, BaseReplacesAndLooksUpValues)
{
    BaseSerializer base;
    std::wstring text = L"a\\b\\";
    base.ReplaceData(text, L"\\", L"\\\\");
    base.ReplaceData(text, L"", L"x");
    base.ReplaceData(text, nullptr, L"x");
    EXPECT_EQ(L"a\\\\b\\\\", text);

    Tree tree;
    tree.AppendChild(L"c", { L"child" });
    tree.SetValue({ L"own" });
    EXPECT_EQ(Values{ L"own" }, base.GetValuesFromTreeNode(L"", tree));
    EXPECT_EQ(Values{ L"child" }, base.GetValuesFromTreeNode(L"c", tree));
    EXPECT_EQ(Values{ L"own" }, base.GetValuesFromTreeNode(L"none", tree));
}

TEST(JSONSerializer, DerivedClassesReadThroughTheirOwnSlot)
{
    const std::wstring text = L"x}{ \n\"a\" : {\"b\" : 1},\"c\" : [2,3]\t}y{";
    Tree expected, recorded, plain;
    ASSERT_TRUE(JSONSerializer().DeserializeToTree(text, expected));
    RecordingSerializer recording;
    ASSERT_TRUE(recording.DeserializeToTree(text, recorded));
    ASSERT_FALSE(recording.texts.empty());
    EXPECT_EQ(L"\"a\" : {\"b\" : 1},\"c\" : [2,3]", recording.texts.front());
    PlainDerivedSerializer derived;
    ASSERT_TRUE(derived.DeserializeToTree(text, plain));
    EXPECT_TRUE(expected.CompareTrees(recorded) && expected.CompareTrees(plain));
    // The list pieces write only: refused without a stream and while reading.
    std::wstringstream stream(text);
    EXPECT_FALSE(derived.BeginDataList(L"c") || derived.EndDataList(L"c"));
    derived.SetStream(&stream, Deserialize);
    EXPECT_FALSE(derived.BeginDataList(L"c") || derived.EndDataList(L"c"));
    Values list;
    EXPECT_TRUE(expected.Down(L"c") && expected.GetValues(list));
    EXPECT_EQ((Values{ L"2", L"3" }), list);
}
