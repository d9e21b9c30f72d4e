// The reader against a plain transcription of the document format's reading rules (substring
// copies, one call per nested object, searches that rescan the text), which is obviously right
// but quadratic: both must build the same tree from every input. The inputs are documents the
// writer produces, mutated with the characters the reader searches for, and short random texts.
#include <JSONSerializer.h>
#include <StringUtilities.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using Kelvo::Utilities::JSONSerializer;
using Kelvo::Utilities::Serialize;
using Kelvo::Utilities::StringUtilities;
using Kelvo::Utilities::Tree;

namespace {

const std::size_t npos = std::wstring::npos;

std::wstring Trimmed(std::wstring text, const wchar_t* characters)
{
    return StringUtilities::Trim(text, characters), text;
}

// The reading rules word for word.
bool LiteralSubTree(const std::wstring& text, Tree& tree)
{
    for (std::size_t pos = 0; !text.empty() && pos < text.size() - 1;)
    {
        const std::size_t q1 = text.find(L'"', pos);
        const std::size_t q2 = q1 == npos ? npos : text.find(L'"', q1 + 1);
        if (q2 == npos)
        {
            return true;
        }
        const std::wstring name = text.substr(q1 + 1, q2 - q1 - 1);
        const std::size_t comma = text.find(L',', q2 + 1), open = text.find(L'{', q2 + 1);
        std::size_t close = text.find(L'}', q2 + 1);
        for (std::size_t next = open == npos ? npos : text.find(L'{', open + 1); close != npos && next < close;)
        {
            close = text.find(L'}', close + 1);
            next = text.find(L'{', next + 1);
        }
        const std::size_t quote = text.find(L'"', q2 + 1), bracket = text.find(L'[', q2 + 1);
        const std::size_t colon = text.find(L':', q2 + 1);
        const std::size_t end = bracket == npos ? npos : text.find(L']', bracket + 1);
        if (open != npos && open < close && open < comma)
        {
            tree.AppendChild(name);
            tree.Down(name);
            LiteralSubTree(Trimmed(text.substr(open + 1, close == npos ? npos : close - open - 1), L" \n\t"), tree);
            pos = close;
            tree.Up();
        }
        else if (bracket != npos && bracket < close && bracket < comma && bracket < quote)
        {
            if (end != npos)
            {
                tree.AppendChild(name);
                tree.Down(name);
                const std::wstring list = text.substr(bracket + 1, end - bracket - 1);
                for (std::size_t start = 0, c = 0; c != npos; start = c + 1)
                {
                    c = list.find(L',', start);
                    tree.AddValue(Trimmed(list.substr(start, c == npos ? npos : c - start), L" \"\n\t"));
                }
                tree.Up();
                pos = end + 1;
            }
        }
        else if (colon != npos)
        {
            const std::size_t vend = std::min(text.find(L',', colon + 1), text.size());
            tree.AppendChild(name);
            tree.Down(name);
            tree.AddValue(Trimmed(text.substr(colon + 1, vend - colon - 1), L"\"\n\t "));
            tree.Up();
            pos = vend + 1;
        }
        pos = pos < q2 ? q2 + 1 : pos;
    }
    return true;
}

bool LiteralTree(const std::wstring& text, Tree& tree)
{
    const std::size_t open = text.find(L'{'), close = text.rfind(L'}');
    if (open == npos || close == npos)
    {
        return false;
    }
    return LiteralSubTree(Trimmed(close > open ? text.substr(open + 1, close - open - 1) : L"", L" \n\t"), tree);
}

const std::wstring Searched = L"\",:{}[]\n\t";

struct Generator
{
    std::mt19937 random;

    std::size_t Below(std::size_t n)
    {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    }

    // A document as the writer produces it, with few distinct names so that they repeat.
    std::wstring Document()
    {
        std::wstringstream stream;
        JSONSerializer writer;
        writer.SetStream(&stream, Serialize);
        writer.BeginData(Below(4) == 0 ? Name() : L"");
        Members(writer, 0);
        writer.EndData(L"");
        return stream.str();
    }

    // text with a few of the searched characters inserted, deleted or duplicated.
    std::wstring Mutated(std::wstring text)
    {
        for (std::size_t edits = 1 + Below(4); edits > 0; --edits)
        {
            const std::size_t at = Below(text.size() + 1), kind = Below(3);
            if (kind == 1 && at < text.size())
            {
                text.erase(at, 1);
            }
            else
            {
                text.insert(at, 1, kind == 0 || at == text.size() ? Searched[Below(Searched.size())] : text[at]);
            }
        }
        return text;
    }

    // Up to maxLength characters of alphabet.
    std::wstring Text(const std::wstring& alphabet, std::size_t maxLength)
    {
        std::wstring text(Below(maxLength + 1), L' ');
        std::generate(text.begin(), text.end(), [&] { return alphabet[Below(alphabet.size())]; });
        return text;
    }

    std::wstring Name()
    {
        static const wchar_t* const names[] = { L"a", L"b", L"ab", L"x y", L"", L"n" };
        return names[Below(6)];
    }

    void Members(JSONSerializer& writer, int depth)
    {
        for (std::size_t members = Below(5); members > 0; --members)
        {
            std::wstring text = Text(L"ab ,:\"{}[]\\\n\t", 5);
            unsigned int number = static_cast<unsigned int>(Below(1000));
            std::vector<std::wstring> texts(Below(3), text);
            std::vector<unsigned int> numbers(Below(3), number);
            switch (Below(depth < 3 ? 5 : 4))
            {
            case 0: writer.WriteData(Name(), text); break;
            case 1: writer.WriteData(Name(), number); break;
            case 2: writer.WriteList(Name(), texts); break;
            case 3: writer.WriteList(Name(), numbers); break;
            default: writer.BeginData(Name()), Members(writer, depth + 1), writer.EndData(L"");
            }
        }
    }
};

} // namespace

TEST(JSONReader, BuildsTheSameTreeAsTheLiteralRules)
{
    const unsigned int seed = 20240611;
    Generator generator{ std::mt19937(seed) };
    JSONSerializer reader;
    std::wstring document;
    for (std::size_t i = 0; i < 200000; ++i)
    {
        if (i % 16 == 0)
        {
            document = generator.Document();
        }
        const std::wstring text =
            i % 2 == 0 ? generator.Text(Searched + L"ab 1", 39) : i % 16 == 1 ? document : generator.Mutated(document);
        Tree expected, actual;
        // Some inputs are read below a child that is already there, into existing nodes.
        for (Tree* tree : { &expected, &actual })
        {
            if (i % 8 < 2 && tree->AppendChild(L"a", { L"old" }) && tree->Down(L"a"))
            {
                tree->AppendChild(L"b", { L"old" });
            }
        }
        if (LiteralTree(text, expected) != reader.DeserializeToTree(text, actual) || !expected.CompareTrees(actual))
        {
            FAIL() << "seed " << seed << ", case " << i << ": the trees differ for " << ::testing::PrintToString(text);
        }
    }
}
