//
// JSONSerializerTests.cpp
//
// The JSON writer's exact text, the reader's mapping of documents onto the tree (quirks
// included), round trips through a stream, the serializer base, and a million-level document.
//
#include <JSONSerializer.h>

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using Kelvo::Utilities::BaseSerializer;
using Kelvo::Utilities::Deserialize;
using Kelvo::Utilities::JSONSerializer;
using Kelvo::Utilities::Serialize;
using Kelvo::Utilities::Tree;
using Values = std::vector<std::wstring>;

namespace {

// The values of the node at path below the root of text's tree, or {"<missing>"}.
Values At(const std::wstring& text, const std::vector<std::wstring>& path)
{
    Tree tree;
    JSONSerializer serializer;
    EXPECT_TRUE(serializer.DeserializeToTree(text, tree));
    for (const auto& key : path)
    {
        if (!tree.Down(key))
        {
            return { L"<missing>" };
        }
    }
    Values values;
    tree.GetValues(values);
    return values;
}

} // namespace

TEST(JSONSerializer, WritesTheExactPieces)
{
    std::wstringstream stream;
    JSONSerializer writer;
    EXPECT_TRUE(writer.SetStream(&stream, Serialize));
    std::wstring x = L"x";
    unsigned int n = 5;
    std::vector<unsigned int> numbers{ 1, 2 };
    EXPECT_TRUE(writer.BeginData(L""));
    EXPECT_TRUE(writer.WriteData(L"a", x));
    EXPECT_TRUE(writer.WriteData(L"n", n));
    EXPECT_TRUE(writer.BeginData(L"o"));
    EXPECT_TRUE(writer.EndData(L"o"));
    EXPECT_TRUE(writer.WriteList(L"l", numbers));
    EXPECT_TRUE(writer.EndData(L""));
    EXPECT_EQ(L"{\"a\" : \"x\",\"n\" : 5,\"o\" : {},\"l\" : [1,2]}", stream.str());

    std::wstringstream more;
    writer.SetStream(&more, Serialize);
    std::wstring cleaned = L"a{b}[c]\\d";
    std::vector<std::wstring> raw{ L"p,q", L"{r}" };
    std::vector<bool> flags{ true, false };
    std::vector<unsigned __int64> empty;
    unsigned __int64 big = 18446744073709551615ull;
    bool flag = true;
    std::wstring fragment = L"{\"z\" : 1}";
    EXPECT_TRUE(writer.WriteData(L"s", cleaned));
    EXPECT_EQ(L"abc\\\\d", cleaned); // the caller's string is cleaned too
    EXPECT_TRUE(writer.WriteList(L"r", raw));
    EXPECT_TRUE(writer.WriteList(L"f", flags));
    EXPECT_TRUE(writer.WriteList(L"e", empty));
    EXPECT_TRUE(writer.WriteData(L"u", big));
    EXPECT_TRUE(writer.WriteData(L"b", flag));
    EXPECT_TRUE(writer.WriteSerializedData(L"w", fragment));
    EXPECT_TRUE(writer.BeginData(L""));
    EXPECT_TRUE(writer.EndData(L""));
    EXPECT_EQ(L"\"s\" : \"abc\\\\d\",\"r\" : [\"p,q\",\"{r}\"],\"f\" : [1,0],\"e\" : [],"
              L"\"u\" : 18446744073709551615,\"b\" : 1,\"w\" : {\"z\" : 1},{}",
              more.str());
}

TEST(JSONSerializer, ReadsTheWritersShapesAndItsQuirks)
{
    EXPECT_EQ(Values{ L"x" }, At(L"{\"s\" : \"x,y\",\"t\" : 1}", { L"s" }));
    EXPECT_EQ(Values{ L"1" }, At(L"{\"s\" : \"x,y\",\"t\" : 1}", { L"," }));
    EXPECT_EQ(Values{ L"<missing>" }, At(L"{\"s\" : \"x,y\",\"t\" : 1}", { L"t" }));
    EXPECT_EQ(Values{ L"p:q" }, At(L"{\"a\" : \"p:q\"}", { L"a" }));
    EXPECT_EQ((Values{ L"1", L"2" }), At(L"{\"d\" : 1,\"d\" : 2}", { L"d" }));
    EXPECT_EQ(Values{ L"a\"b" }, At(L"{\"s\" : \"a\"b\"}", { L"s" }));
    EXPECT_EQ(Values{ L"x" }, At(L"{\"s\" : \" \t\"x\"\n \"}", { L"s" }));
    EXPECT_EQ(Values{ L"1" }, At(L"\"root\" : {\"a\" : 1}", { L"a" }));
    EXPECT_EQ(Values{ L"<missing>" }, At(L"\"root\" : {\"a\" : 1}", { L"root" }));
    EXPECT_EQ(Values{ L"" }, At(L"{\"e\" : []}", { L"e" }));
    EXPECT_EQ((Values{ L"1", L"" }), At(L"{\"e\" : [1,]}", { L"e" }));
    EXPECT_EQ(Values{ L"1" }, At(L"{\"o\" : {\"x\" : 1},\"l\" : [1,2]}", { L"o", L"x" }));
    EXPECT_EQ((Values{ L"1", L"2" }), At(L"{\"o\" : {\"x\" : 1},\"l\" : [1,2]}", { L"l" }));
    EXPECT_EQ(Values{ L"2" }, At(L"{\"o\" : {\"p\" : {\"x\" : 1}},\"y\" : 2}", { L"y" }));
    EXPECT_EQ(Values{ L"1" }, At(L"{\"o\" : {\"p\" : {\"x\" : 1}},\"y\" : 2}", { L"o", L"p", L"x" }));
    EXPECT_EQ(Values{}, At(L"{\"o\" : {\"p\" : {\"x\" : 1}}}", { L"o" }));
    // An object left open runs to the end of its level.
    EXPECT_EQ(Values{ L"3" }, At(L"{\"o\" : {\"x\" : 1,\"y\" : 3}", { L"o", L"y" }));
    // A last '}' before the first '{' leaves nothing between them.
    EXPECT_EQ(Values{ L"<missing>" }, At(L"}\"a\" : 1{", { L"a" }));

    Tree tree;
    JSONSerializer serializer;
    EXPECT_FALSE(serializer.DeserializeToTree(L"\"a\" : 1}", tree));
    EXPECT_FALSE(serializer.DeserializeToTree(L"{\"a\" : 1", tree));
    EXPECT_TRUE(serializer.DeserializeToTree(L"{}", tree));
    EXPECT_FALSE(tree.CurrentNodeHasSubNodes());
}

TEST(JSONSerializer, ReadsBackIntoTheSameVariables)
{
    std::wstringstream stream(L"{\"name\" : \"K\\\\V\",\"flag\" : 2,\n\"count\" : 7,\"big\" : 18446744073709551615,"
                  L"\"words\" : [\"a\",\"b c\"],\"flags\" : [1,2,0],\"sub\" : {\"n\" : 4},\"empty\" : [],"
                  L"\"text\" : \"x\ny\",\"huge\" : 4294967296,\"bad\" : \"z\"}");
    JSONSerializer s;
    s.SetStream(&stream, Deserialize);
    std::wstring name;
    bool flag = false;
    unsigned int count = 0, n = 0;
    unsigned __int64 big = 0;
    std::vector<std::wstring> words{ L"kept" };
    std::vector<bool> flags;
    std::vector<unsigned int> numbers{ 9 };
    std::wstring missing = L"unchanged";
    EXPECT_FALSE(s.BeginData(L"")); // the top level's members are the root's children
    EXPECT_TRUE(s.WriteData(L"name", name));
    EXPECT_EQ(L"K\\\\V", name);
    EXPECT_TRUE(s.WriteData(L"flag", flag));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(s.WriteData(L"count", count));
    EXPECT_EQ(7u, count);
    EXPECT_TRUE(s.WriteData(L"big", big));
    EXPECT_EQ(18446744073709551615ull, big);
    EXPECT_TRUE(s.WriteList(L"words", words));
    EXPECT_EQ((Values{ L"kept", L"a", L"b c" }), words);
    EXPECT_TRUE(s.WriteList(L"flags", flags));
    EXPECT_EQ((std::vector<bool>{ true, false, false }), flags);
    EXPECT_TRUE(s.WriteData(L"text", missing));
    EXPECT_EQ(L"xy", missing); // a line break inside a value disappears
    missing = L"unchanged";
    EXPECT_FALSE(s.WriteData(L"missing", missing));
    EXPECT_EQ(L"unchanged", missing);
    EXPECT_TRUE(s.WriteList(L"missing", numbers));
    EXPECT_EQ(std::vector<unsigned int>{ 9 }, numbers);
    EXPECT_FALSE(s.BeginData(L"missing"));
    EXPECT_FALSE(s.WriteSerializedData(L"sub", name));
    EXPECT_TRUE(s.BeginData(L"sub"));
    EXPECT_TRUE(s.WriteData(L"n", n));
    EXPECT_EQ(4u, n);
    EXPECT_TRUE(s.EndData(L"sub"));
    EXPECT_TRUE(s.EndData(L""));
    EXPECT_THROW(s.WriteList(L"empty", numbers), std::invalid_argument);
    EXPECT_EQ(std::vector<unsigned int>{ 9 }, numbers);
    EXPECT_THROW(s.WriteData(L"huge", count), std::out_of_range);
    EXPECT_EQ(7u, count);
    EXPECT_THROW(s.WriteData(L"bad", big), std::invalid_argument);

    // A copy shares the stream and holds its own tree.
    JSONSerializer copy(s);
    EXPECT_TRUE(copy.WriteData(L"count", n));
    EXPECT_EQ(7u, n);
    JSONSerializer assigned;
    assigned = s;
    EXPECT_TRUE(assigned.WriteData(L"count", n));
}

TEST(JSONSerializer, EveryOperationNeedsAStream)
{
    JSONSerializer s;
    std::wstring text = L"a";
    bool flag = false;
    unsigned int number = 0;
    unsigned __int64 big = 0;
    std::vector<std::wstring> list;
    EXPECT_FALSE(s.CheckStream());
    for (bool result : { s.BeginData(L""), s.EndData(L""), s.WriteData(L"a", text), s.WriteData(L"a", flag),
                         s.WriteData(L"a", number), s.WriteData(L"a", big), s.WriteList(L"a", list),
                         s.WriteSerializedData(L"a", text) })
    {
        EXPECT_FALSE(result);
    }
    EXPECT_TRUE(s.SetStream(nullptr, Deserialize));
    EXPECT_FALSE(s.WriteData(L"a", text));

    // An empty stream parses nothing; reading twice adds to the same tree.
    std::wstringstream empty;
    EXPECT_TRUE(s.SetStream(&empty, Deserialize));
    EXPECT_FALSE(s.WriteData(L"a", text));
    std::wstringstream first(L"{\"a\" : 1}"), second(L"{\"a\" : 2}");
    s.SetStream(&first, Deserialize);
    s.SetStream(&second, Deserialize);
    EXPECT_TRUE(s.WriteList(L"a", list));
    EXPECT_EQ((Values{ L"1", L"2" }), list);
}

TEST(JSONSerializer, BaseReplacesAndLooksUpValues)
{
    BaseSerializer base;
    std::wstring text = L"a\\b\\";
    base.ReplaceData(text, L"\\", L"\\\\");
    EXPECT_EQ(L"a\\\\b\\\\", text);
    base.ReplaceData(text, L"", L"x");
    base.ReplaceData(text, nullptr, L"x");
    EXPECT_EQ(L"a\\\\b\\\\", text);

    Tree tree;
    tree.AppendChild(L"c", { L"child" });
    tree.SetValue({ L"own" });
    EXPECT_EQ(Values{ L"own" }, base.GetValuesFromTreeNode(L"", tree));
    EXPECT_EQ(Values{ L"child" }, base.GetValuesFromTreeNode(L"c", tree));
    EXPECT_EQ(L"", tree.GetKey());
    EXPECT_EQ(Values{ L"own" }, base.GetValuesFromTreeNode(L"none", tree));
}

TEST(JSONSerializer, MillionLevelDocumentReadsWithoutRecursion)
{
    const std::size_t depth = 1000000;
    std::wstring text = L"{";
    text.reserve(9 * depth);
    for (std::size_t i = 0; i < depth; ++i)
    {
        text += L"\"a\" : {";
    }
    text += L"\"v\" : 1";
    text.append(depth + 1, L'}');
    Tree tree;
    ASSERT_TRUE(JSONSerializer().DeserializeToTree(text, tree));
    for (std::size_t i = 0; i < depth; ++i)
    {
        ASSERT_TRUE(tree.Down(L"a")) << i;
    }
    Values values;
    ASSERT_TRUE(tree.Down(L"v"));
    tree.GetValues(values);
    EXPECT_EQ(Values{ L"1" }, values);
    // A million opening braces and nothing else: no member, no crash.
    Tree hostile;
    EXPECT_FALSE(JSONSerializer().DeserializeToTree(std::wstring(depth, L'{'), hostile));
    EXPECT_TRUE(JSONSerializer().DeserializeToTree(std::wstring(depth, L'{') + L'}', hostile));
    EXPECT_FALSE(hostile.CurrentNodeHasSubNodes());
}
