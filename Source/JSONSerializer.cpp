#include "JSONSerializer.h"

#include "Internal/NodeArena.h"

#include <algorithm>
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <locale>
#include <new>
#include <ostream>
#include <string>
#include <typeinfo>
#include <utility>

namespace Kelvo {
namespace Utilities {

namespace {

using Node = Tree::TreeNode;

const std::size_t None = static_cast<std::size_t>(-1);

// The characters the reader searches for.
enum Kind
{
    Quote,
    Comma,
    OpenBrace,
    CloseBrace,
    OpenBracket,
    CloseBracket,
    Colon,
    Kinds
};

int KindOf(wchar_t c)
{
    switch (c)
    {
    case L'"':
        return Quote;
    case L',':
        return Comma;
    case L'{':
        return OpenBrace;
    case L'}':
        return CloseBrace;
    case L'[':
        return OpenBracket;
    case L']':
        return CloseBracket;
    case L':':
        return Colon;
    default:
        return -1;
    }
}

// Space around an object's text.
bool IsObjectSpace(wchar_t c)
{
    return c == L' ' || c == L'\n' || c == L'\t';
}

// Space and quotation marks around a scalar or a list element.
bool IsValueSpace(wchar_t c)
{
    return IsObjectSpace(c) || c == L'"';
}

const wchar_t KindCharacters[Kinds] = { L'"', L',', L'{', L'}', L'[', L']', L':' };

// One bit per character of chars[0, count) (count at most 64) for each kind.
void BlockMasks(const wchar_t* chars, std::size_t count, std::uint64_t* masks)
{
#if defined(__SSE2__)
    static_assert(sizeof(wchar_t) == 2, "UTF-16 code units");
    if (count == 64)
    {
        // Sixteen characters at a time: each kind's two comparisons packed into one byte mask.
        for (std::size_t kind = 0; kind < Kinds; ++kind)
        {
            masks[kind] = 0;
        }
        for (std::size_t group = 0; group < 4; ++group)
        {
            const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chars + 16 * group));
            const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chars + 16 * group + 8));
            for (std::size_t kind = 0; kind < Kinds; ++kind)
            {
                const __m128i wanted = _mm_set1_epi16(static_cast<short>(KindCharacters[kind]));
                const __m128i equal = _mm_packs_epi16(_mm_cmpeq_epi16(low, wanted), _mm_cmpeq_epi16(high, wanted));
                const auto bits = static_cast<unsigned>(_mm_movemask_epi8(equal));
                masks[kind] |= static_cast<std::uint64_t>(bits) << (16 * group);
            }
        }
        return;
    }
#endif
    for (std::size_t kind = 0; kind < Kinds; ++kind)
    {
        masks[kind] = 0;
    }
    for (std::size_t p = 0; p < count; ++p)
    {
        const int kind = KindOf(chars[p]);
        if (kind >= 0)
        {
            masks[kind] |= std::uint64_t(1) << p;
        }
    }
}

// Answers "where does this character next occur" in constant time, built in one pass: one
// 64-bit mask per kind and block of 64 characters, plus the next block (at or after each block)
// that holds the kind at all. Also knows the '}' that closes each '{' by depth counting (a '}'
// with no '{' open is skipped): the reader's brace-matching loop, which pairs the k-th '}' after
// a '{' with it once the (k+1)-th '{' lies behind that '}', finds exactly this one.
class TextIndex
{
public:
    explicit TextIndex(const std::wstring& text)
        : m_blocks(Blocks(text)), m_masks(m_blocks * Kinds, 0), m_nextBlock((m_blocks + 1) * Kinds, NoBlock),
          m_opensBefore(m_blocks, 0)
    {
        std::vector<std::size_t> unclosed;
        for (std::size_t block = 0; block < m_blocks; ++block)
        {
            const std::size_t start = block * 64;
            std::uint64_t* masks = &m_masks[block * Kinds];
            BlockMasks(text.data() + start, text.size() - start < 64 ? text.size() - start : 64, masks);
            m_opensBefore[block] = m_closing.size();
            for (std::uint64_t braces = masks[OpenBrace] | masks[CloseBrace]; braces != 0; braces &= braces - 1)
            {
                const unsigned bit = static_cast<unsigned>(__builtin_ctzll(braces));
                if ((masks[OpenBrace] >> bit) & 1)
                {
                    unclosed.push_back(m_closing.size());
                    m_closing.push_back(None);
                }
                else if (!unclosed.empty())
                {
                    m_closing[unclosed.back()] = start + bit;
                    unclosed.pop_back();
                }
            }
        }
        for (std::size_t block = m_blocks; block-- > 0;)
        {
            for (std::size_t kind = 0; kind < Kinds; ++kind)
            {
                m_nextBlock[block * Kinds + kind] = m_masks[block * Kinds + kind] != 0
                                                        ? static_cast<std::uint32_t>(block)
                                                        : m_nextBlock[(block + 1) * Kinds + kind];
            }
        }
    }

    // How many characters of kind lie in [from, end).
    std::size_t Count(Kind kind, std::size_t from, std::size_t end) const
    {
        std::size_t count = 0;
        for (std::size_t p = from; p < end;)
        {
            const std::size_t block = p >> 6;
            std::uint64_t mask = m_masks[block * Kinds + kind] >> (p & 63);
            const std::size_t span = 64 - (p & 63);
            if (end - p < span)
            {
                mask &= (std::uint64_t(1) << (end - p)) - 1;
            }
            count += static_cast<std::size_t>(__builtin_popcountll(mask));
            p += span;
        }
        return count;
    }

    // The first position of kind in [from, end), or None.
    std::size_t Find(Kind kind, std::size_t from, std::size_t end) const
    {
        if (from >= end)
        {
            return None;
        }
        const std::size_t block = from >> 6;
        const std::uint64_t mask = m_masks[block * Kinds + kind] >> (from & 63);
        std::size_t found = from + static_cast<std::size_t>(__builtin_ctzll(mask | (std::uint64_t(1) << 63)));
        if (mask == 0)
        {
            const std::uint32_t next = m_nextBlock[(block + 1) * Kinds + kind];
            if (next == NoBlock)
            {
                return None;
            }
            found = std::size_t(next) * 64 + static_cast<std::size_t>(__builtin_ctzll(m_masks[next * Kinds + kind]));
        }
        return found < end ? found : None;
    }

    // The '}' that closes the '{' at open, or None.
    std::size_t Closing(std::size_t open) const
    {
        const std::size_t block = open >> 6;
        const std::uint64_t before = m_masks[block * Kinds + OpenBrace] & ((std::uint64_t(1) << (open & 63)) - 1);
        return m_closing[m_opensBefore[block] + static_cast<std::size_t>(__builtin_popcountll(before))];
    }

private:
    static constexpr std::uint32_t NoBlock = 0xFFFFFFFF;

    // Block numbers are kept in 32 bits (half the index), enough for 274 billion characters.
    static std::size_t Blocks(const std::wstring& text)
    {
        const std::size_t blocks = (text.size() + 63) / 64;
        if (blocks >= NoBlock)
        {
            throw std::bad_alloc();
        }
        return blocks;
    }

    std::size_t m_blocks;
    std::vector<std::uint64_t> m_masks;      // [block * Kinds + kind]
    std::vector<std::uint32_t> m_nextBlock;  // [block * Kinds + kind], one row more than blocks
    std::vector<std::size_t> m_opensBefore; // '{' before each block
    std::vector<std::size_t> m_closing;     // per '{' in text order
};

// The members of one object's text mapped onto nodes. Every object nested in it is a range of
// the same text (no copies), kept on an explicit stack of levels instead of the call stack.
class MemberReader
{
public:
    // The members in text[begin, end). The index covers all of text: braces outside the range
    // pair only with each other or with none, never with braces inside it.
    MemberReader(const std::wstring& text, std::size_t begin, std::size_t end)
        : m_text(text), m_index(text), m_begin(begin), m_end(end)
    {
    }

    void Read(Node& node)
    {
        m_levels.push_back(Level{ m_begin, m_end, m_begin, &node });
        while (!m_levels.empty())
        {
            if (!NextMember())
            {
                m_levels.pop_back();
            }
        }
    }

private:
    struct Level
    {
        std::size_t begin;
        std::size_t end;
        std::size_t position;
        Node* node;
    };

    // One member of the innermost level; false when that level has ended. An object member
    // pushes its own level, which is read to its end before this one goes on.
    bool NextMember()
    {
        Level& level = m_levels.back();
        const std::size_t end = level.end;
        if (level.begin == end || level.position + 1 >= end)
        {
            return false;
        }
        const std::size_t nameStart = m_index.Find(Quote, level.position, end);
        if (nameStart == None)
        {
            return false;
        }
        const std::size_t nameEnd = m_index.Find(Quote, nameStart + 1, end);
        if (nameEnd == None)
        {
            return false;
        }
        // One buffer for every name, so that looking a member up allocates nothing.
        m_name.assign(m_text, nameStart + 1, nameEnd - nameStart - 1);
        const std::wstring& name = m_name;
        const std::size_t after = nameEnd + 1;
        const std::size_t comma = m_index.Find(Comma, after, end);
        const std::size_t open = m_index.Find(OpenBrace, after, end);
        std::size_t close = m_index.Find(CloseBrace, after, end);
        if (open != None && close != None && close > open)
        {
            close = m_index.Closing(open);
            close = close < end ? close : None;
        }

        if (open != None && open < close && open < comma)
        {
            Node& child = ChildOf(*level.node, name);
            std::size_t innerBegin = open + 1;
            std::size_t innerEnd = close == None ? end : close;
            while (innerBegin < innerEnd && IsObjectSpace(m_text[innerBegin]))
            {
                ++innerBegin;
            }
            while (innerEnd > innerBegin && IsObjectSpace(m_text[innerEnd - 1]))
            {
                --innerEnd;
            }
            level.position = close == None ? end : close;
            m_levels.push_back(Level{ innerBegin, innerEnd, innerBegin, &child }); // level is stale now
            return true;
        }

        const std::size_t quote = m_index.Find(Quote, after, end);
        const std::size_t bracket = m_index.Find(OpenBracket, after, end);
        if (bracket != None && bracket < close && bracket < comma && bracket < quote)
        {
            const std::size_t listEnd = m_index.Find(CloseBracket, bracket + 1, end);
            if (listEnd != None)
            {
                Node& child = ChildOf(*level.node, name);
                std::vector<std::wstring>& values = child.getValue();
                if (values.empty())
                {
                    // One allocation for the list (a name that repeats grows as usual).
                    values.reserve(m_index.Count(Comma, bracket + 1, listEnd) + 1);
                }
                for (std::size_t start = bracket + 1;;)
                {
                    const std::size_t separator = m_index.Find(Comma, start, listEnd);
                    AddValue(child, start, separator == None ? listEnd : separator);
                    if (separator == None)
                    {
                        break;
                    }
                    start = separator + 1;
                }
                level.position = listEnd + 1;
            }
        }
        else
        {
            const std::size_t colon = m_index.Find(Colon, after, end);
            if (colon != None)
            {
                std::size_t valueEnd = m_index.Find(Comma, colon + 1, end);
                valueEnd = valueEnd == None ? end : valueEnd;
                AddValue(ChildOf(*level.node, name), colon + 1, valueEnd);
                level.position = valueEnd + 1;
            }
        }
        if (level.position < nameEnd)
        {
            level.position = nameEnd + 1;
        }
        return true;
    }

    // The child of that name, made when there is none.
    Node& ChildOf(Node& parent, const std::wstring& name)
    {
        bool made = false;
        return m_arena.ChildOf(parent, name, made);
    }

    // The text [begin, end) without surrounding space and quotation marks, as a value of node.
    void AddValue(Node& node, std::size_t begin, std::size_t end)
    {
        while (begin < end && IsValueSpace(m_text[begin]))
        {
            ++begin;
        }
        while (end > begin && IsValueSpace(m_text[end - 1]))
        {
            --end;
        }
        node.getValue().emplace_back(m_text, begin, end - begin);
    }

    const std::wstring& m_text;
    const TextIndex m_index;
    const std::size_t m_begin;
    const std::size_t m_end;
    NodeArena m_arena;
    std::vector<Level> m_levels;
    std::wstring m_name;
};

// Gathers the pieces that one call writes, so that the stream is called once for all of them
// instead of once per piece (each call on a stream costs more than copying a short piece).
class Output
{
public:
    explicit Output(std::basic_ostream<wchar_t>& stream) : m_stream(stream), m_used(0), m_plain(Unknown)
    {
    }

    void Put(wchar_t c)
    {
        if (m_used == Capacity)
        {
            Flush();
        }
        m_buffer[m_used++] = c;
    }

    void Put(const wchar_t* text, std::size_t count)
    {
        if (count > Capacity - m_used)
        {
            Flush();
            if (count > Capacity)
            {
                m_stream.write(text, static_cast<std::streamsize>(count));
                return;
            }
        }
        std::copy(text, text + count, m_buffer + m_used);
        m_used += count;
    }

    void Put(const std::wstring& text)
    {
        Put(text.data(), text.size());
    }

    // As the stream's formatted output writes the number: its decimal digits are put here
    // directly when nothing of the stream's (flags, width, locale) asks for another form.
    template <typename T>
    void Number(T value)
    {
        if (m_plain == Unknown)
        {
            m_plain = PlainDecimal() ? Yes : No;
        }
        if (m_plain == No)
        {
            Flush();
            m_stream << value;
            return;
        }
        wchar_t digits[24];
        wchar_t* first = digits + 24;
        unsigned __int64 rest = value;
        do
        {
            *--first = static_cast<wchar_t>(L'0' + rest % 10);
            rest /= 10;
        } while (rest != 0);
        Put(first, static_cast<std::size_t>(digits + 24 - first));
    }

    void Flush()
    {
        if (m_used != 0)
        {
            m_stream.write(m_buffer, static_cast<std::streamsize>(m_used));
            m_used = 0;
        }
    }

private:
    static constexpr std::size_t Capacity = 256;
    enum Answer
    {
        Unknown,
        Yes,
        No
    };

    bool PlainDecimal() const
    {
        const std::ios_base::fmtflags flags = m_stream.flags();
        const std::ios_base::fmtflags base = flags & std::ios_base::basefield;
        return (base == std::ios_base::dec || base == std::ios_base::fmtflags()) &&
               (flags & (std::ios_base::showpos | std::ios_base::boolalpha)) == std::ios_base::fmtflags() &&
               m_stream.width() == 0 && m_stream.getloc() == std::locale::classic();
    }

    std::basic_ostream<wchar_t>& m_stream;
    wchar_t m_buffer[Capacity];
    std::size_t m_used;
    Answer m_plain;
};

// A comma when one is due, then the member head: "name" : 
void PutHead(Output& out, bool separator, const std::wstring& name)
{
    if (separator)
    {
        out.Put(L',');
    }
    out.Put(L'"');
    out.Put(name);
    out.Put(L"\" : ", 4);
}

void PutQuoted(Output& out, const std::wstring& value)
{
    out.Put(L'"');
    out.Put(value);
    out.Put(L'"');
}

bool ToBool(const std::wstring& text)
{
    return std::stoi(text, nullptr, 10) != 0;
}

// A list element is true only when it reads exactly 1.
bool ToListBool(const std::wstring& text)
{
    return std::stoi(text, nullptr, 10) == 1;
}

unsigned int ToUnsigned(const std::wstring& text)
{
    return static_cast<unsigned int>(std::stoul(text, nullptr, 10));
}

unsigned __int64 ToUnsigned64(const std::wstring& text)
{
    return std::stoull(text, nullptr, 10);
}

const std::wstring& ToText(const std::wstring& text)
{
    return text;
}

} // namespace

JSONSerializer::JSONSerializer() : m_separator(false)
{
}

JSONSerializer::JSONSerializer(JSONSerializer& other)
    : ISerializer(other), BaseSerializer(other), m_separator(other.m_separator)
{
}

JSONSerializer& JSONSerializer::operator=(JSONSerializer& other)
{
    ISerializer::operator=(other);
    BaseSerializer::operator=(other);
    m_separator = other.m_separator;
    return *this;
}

JSONSerializer::~JSONSerializer()
{
}

bool JSONSerializer::IsWriting() const
{
    return m_type == Serialize;
}

void JSONSerializer::Put(const std::wstring& text)
{
    m_stream->write(text.data(), static_cast<std::streamsize>(text.size()));
}

void JSONSerializer::PutMemberStart(const std::wstring& name)
{
    Output out(*m_stream);
    PutHead(out, m_separator, name);
    out.Flush();
}

void JSONSerializer::PutOpening(const std::wstring& name, wchar_t bracket)
{
    Output out(*m_stream);
    if (!name.empty())
    {
        PutHead(out, m_separator, name);
    }
    else if (m_separator)
    {
        out.Put(L',');
    }
    out.Put(bracket);
    out.Flush();
    m_separator = false;
}

void JSONSerializer::PutString(const std::wstring& value)
{
    Output out(*m_stream);
    PutQuoted(out, value);
    out.Flush();
}

bool JSONSerializer::SetStream(std::basic_iostream<wchar_t>* stream, SerializerType type)
{
    m_stream = stream;
    m_type = type;
    m_separator = false;
    if (type == Deserialize)
    {
        ParseData();
    }
    return true;
}

bool JSONSerializer::BeginData(const std::wstring& name)
{
    if (!CheckStream())
    {
        return false;
    }
    if (!IsWriting())
    {
        return m_tree.Down(name);
    }
    PutOpening(name, L'{');
    return true;
}

bool JSONSerializer::EndData(const std::wstring&)
{
    if (!CheckStream())
    {
        return false;
    }
    if (!IsWriting())
    {
        m_tree.Up();
        return true;
    }
    m_stream->put(L'}');
    m_separator = true;
    return true;
}

bool JSONSerializer::BeginDataList(const std::wstring& name)
{
    if (!CheckStream() || !IsWriting())
    {
        return false;
    }
    PutOpening(name, L'[');
    return true;
}

bool JSONSerializer::EndDataList(const std::wstring&)
{
    if (!CheckStream() || !IsWriting())
    {
        return false;
    }
    m_stream->put(L']');
    m_separator = true;
    return true;
}

template <typename T, typename Convert>
bool JSONSerializer::ReadValue(const std::wstring& name, T& value, Convert convert)
{
    const std::vector<std::wstring> values = GetValuesFromTreeNode(name, m_tree);
    if (values.empty())
    {
        return false;
    }
    value = convert(values.front());
    return true;
}

template <typename T, typename Convert>
bool JSONSerializer::ReadList(const std::wstring& name, std::vector<T>& values, Convert convert)
{
    for (const std::wstring& text : GetValuesFromTreeNode(name, m_tree))
    {
        values.push_back(convert(text));
    }
    return true;
}

template <typename T>
bool JSONSerializer::WriteNumber(const std::wstring& name, T value)
{
    Output out(*m_stream);
    PutHead(out, m_separator, name);
    out.Number(value);
    out.Flush();
    m_separator = true;
    return true;
}

template <typename T, typename Write>
bool JSONSerializer::WriteElements(const std::wstring& name, std::vector<T>& values, Write write)
{
    if (!BeginDataList(name))
    {
        return false;
    }
    Output out(*m_stream);
    for (std::size_t i = 0; i < values.size(); ++i)
    {
        if (i > 0)
        {
            out.Put(L',');
        }
        write(out, values[i]);
    }
    out.Flush();
    return EndDataList(name);
}

bool JSONSerializer::WriteData(const std::wstring& name, std::wstring& value)
{
    if (!CheckStream())
    {
        return false;
    }
    if (!IsWriting())
    {
        return ReadValue(name, value, ToText);
    }
    if (!CheckData(value))
    {
        return false;
    }
    Output out(*m_stream);
    PutHead(out, m_separator, name);
    PutQuoted(out, value);
    out.Flush();
    m_separator = true;
    return true;
}

bool JSONSerializer::WriteData(const std::wstring& name, bool& value)
{
    if (!CheckStream())
    {
        return false;
    }
    return IsWriting() ? WriteNumber(name, value) : ReadValue(name, value, ToBool);
}

bool JSONSerializer::WriteData(const std::wstring& name, unsigned int& value)
{
    if (!CheckStream())
    {
        return false;
    }
    return IsWriting() ? WriteNumber(name, value) : ReadValue(name, value, ToUnsigned);
}

bool JSONSerializer::WriteData(const std::wstring& name, unsigned __int64& value)
{
    if (!CheckStream())
    {
        return false;
    }
    return IsWriting() ? WriteNumber(name, value) : ReadValue(name, value, ToUnsigned64);
}

bool JSONSerializer::WriteList(const std::wstring& name, std::vector<std::wstring>& values)
{
    if (!CheckStream())
    {
        return false;
    }
    if (!IsWriting())
    {
        return ReadList(name, values, ToText);
    }
    return WriteElements(name, values, [](Output& out, const std::wstring& value) { PutQuoted(out, value); });
}

bool JSONSerializer::WriteList(const std::wstring& name, std::vector<bool>& values)
{
    if (!CheckStream())
    {
        return false;
    }
    if (!IsWriting())
    {
        return ReadList(name, values, ToListBool);
    }
    return WriteElements(name, values, [](Output& out, bool value) { out.Number(value); });
}

bool JSONSerializer::WriteList(const std::wstring& name, std::vector<unsigned int>& values)
{
    if (!CheckStream())
    {
        return false;
    }
    if (!IsWriting())
    {
        return ReadList(name, values, ToUnsigned);
    }
    return WriteElements(name, values, [](Output& out, unsigned int value) { out.Number(value); });
}

bool JSONSerializer::WriteList(const std::wstring& name, std::vector<unsigned __int64>& values)
{
    if (!CheckStream())
    {
        return false;
    }
    if (!IsWriting())
    {
        return ReadList(name, values, ToUnsigned64);
    }
    return WriteElements(name, values, [](Output& out, unsigned __int64 value) { out.Number(value); });
}

bool JSONSerializer::WriteSerializedData(const std::wstring& name, std::wstring& data)
{
    if (!CheckStream() || !IsWriting())
    {
        return false;
    }
    Output out(*m_stream);
    PutHead(out, m_separator, name);
    out.Put(data);
    out.Flush();
    m_separator = true;
    return true;
}

bool JSONSerializer::CheckData(std::wstring& data)
{
    // A plain loop: find_first_of searches the whole set once per character.
    if (std::none_of(data.begin(), data.end(), [](wchar_t c) {
            return c == L'{' || c == L'}' || c == L'[' || c == L']' || c == L'\\';
        }))
    {
        return true; // the common case: nothing to clean
    }
    ReplaceData(data, L"{", L"");
    ReplaceData(data, L"}", L"");
    ReplaceData(data, L"[", L"");
    ReplaceData(data, L"]", L"");
    ReplaceData(data, L"\\", L"\\\\");
    return true;
}

bool JSONSerializer::ParseData()
{
    if (!CheckStream())
    {
        return false;
    }
    std::wstring text;
    std::wstring line;
    while (std::getline(*m_stream, line))
    {
        text += line;
    }
    if (text.empty())
    {
        return false;
    }
    return DeserializeToTree(text, m_tree);
}

bool JSONSerializer::DeserializeToTree(const std::wstring& text, Tree& tree)
{
    const std::size_t open = text.find(L'{');
    if (open == std::wstring::npos)
    {
        return false;
    }
    const std::size_t close = text.rfind(L'}');
    if (close == std::wstring::npos)
    {
        return false;
    }
    // Nothing lies between a last '}' that comes before the first '{'.
    std::size_t begin = open + 1;
    std::size_t end = close > open ? close : begin;
    while (begin < end && IsObjectSpace(text[begin]))
    {
        ++begin;
    }
    while (end > begin && IsObjectSpace(text[end - 1]))
    {
        --end;
    }
    if (typeid(*this) != typeid(JSONSerializer))
    {
        // A derived class may read the text between the braces in its own way.
        return DeserializeToSubTree(text.substr(begin, end - begin), tree);
    }
    // This class's own DeserializeToSubTree, without copying the text between the braces.
    if (tree.CheckPositionIterator())
    {
        MemberReader(text, begin, end).Read(*tree.GetActualNode());
    }
    return true;
}

bool JSONSerializer::DeserializeToSubTree(const std::wstring& text, Tree& tree)
{
    // Nested objects are read in the same pass rather than by one call per level, so that
    // neither time nor stack depth grows with the nesting.
    if (tree.CheckPositionIterator())
    {
        MemberReader(text, 0, text.size()).Read(*tree.GetActualNode());
    }
    return true;
}

} // namespace Utilities
} // namespace Kelvo
