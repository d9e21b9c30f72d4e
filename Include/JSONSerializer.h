#pragma once

#include "BaseSerializer.h"
#include "ISerializer.h"
#include "Tree.h"
#include "UtilitiesExport.h"

#include <istream>
#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// Writes a compact JSON-like document member by member, and reads one back into the same
/// variables: with a stream set for reading, the whole stream is parsed into the serializer's
/// Tree at once, and the same sequence of calls fills the caller's variables from that tree.
///
/// The reader is a scanner that understands exactly the shapes the writer produces (objects,
/// lists, scalars) and keeps the mapping stored documents depend on, quirks included (a comma
/// inside a string value ends the value, a name that occurs twice maps to one node, ...). It
/// runs in time linear in the text and does not recurse, however deep the nesting.
/// Owns its Tree, not the stream. Throws only the standard conversion exceptions of reading
/// numbers. Example: Examples/tree_and_json.cpp
class KELVO_UTILITIES_API JSONSerializer : public ISerializer, public BaseSerializer
{
public:
    /// No stream, writing, an empty tree.
    JSONSerializer();
    /// Shares other's stream, deep-copies its tree and copies the separator state.
    JSONSerializer(JSONSerializer& other);
    /// As the copy constructor.
    JSONSerializer& operator=(JSONSerializer& other);

    /// Always true; with Deserialize the whole stream is parsed into the tree right away.
    bool SetStream(std::basic_iostream<wchar_t>* stream, SerializerType type) override;
    /// Writing cleans value in place first (see CheckData): the caller's string changes.
    bool WriteData(const std::wstring& name, std::wstring& value) override;
    ///@{
    /// Numbers and booleans are written without quotation marks (a boolean as 1 or 0).
    bool WriteData(const std::wstring& name, bool& value) override;
    bool WriteData(const std::wstring& name, unsigned int& value) override;
    bool WriteData(const std::wstring& name, unsigned __int64& value) override;
    ///@}
    /// Reading appends to values; it does not clear them first.
    bool WriteList(const std::wstring& name, std::vector<std::wstring>& values) override;
    ///@{
    /// Writing: the elements in order, strings without cleaning. Reading: as the string list.
    bool WriteList(const std::wstring& name, std::vector<bool>& values) override;
    bool WriteList(const std::wstring& name, std::vector<unsigned int>& values) override;
    bool WriteList(const std::wstring& name, std::vector<unsigned __int64>& values) override;
    ///@}
    bool WriteSerializedData(const std::wstring& name, std::wstring& data) override;
    /// Writing: a comma when due and the object head; its members follow. Reading: enters the
    /// member object name (false when there is none).
    bool BeginData(const std::wstring& name) override;
    /// Writing: `}`. Reading: back up to the enclosing object; always true.
    bool EndData(const std::wstring& name) override;
    /// Parses the text between the first '{' and the last '}'; false when either is missing.
    bool DeserializeToTree(const std::wstring& text, Tree& tree) override;

    virtual ~JSONSerializer();

protected:
    /// Reads the stream to its end, line breaks dropped, and parses it into the tree.
    virtual bool ParseData();
    /// Parses the members of one object (its text without the enclosing braces), nested objects
    /// included, into nodes below the tree's cursor.
    virtual bool DeserializeToSubTree(const std::wstring& text, Tree& tree);

    /// Removes braces and brackets and doubles backslashes.
    bool CheckData(std::wstring& data) override;

    /// Writing only (false otherwise): a comma when due, then the list head and `[`.
    bool BeginDataList(const std::wstring& name);
    /// Writing only (false otherwise): `]`.
    bool EndDataList(const std::wstring& name);

private:
    bool IsWriting() const;
    void Put(const std::wstring& text);
    // A comma when one is due, then the member head: "name" : 
    void PutMemberStart(const std::wstring& name);
    // The start of an object or list: the head (none for an empty name) and the bracket.
    void PutOpening(const std::wstring& name, wchar_t bracket);
    void PutString(const std::wstring& value);
    template <typename T>
    bool WriteNumber(const std::wstring& name, T value);
    template <typename T, typename Convert>
    bool ReadValue(const std::wstring& name, T& value, Convert convert);
    template <typename T, typename Convert>
    bool ReadList(const std::wstring& name, std::vector<T>& values, Convert convert);
    template <typename T, typename Write>
    bool WriteElements(const std::wstring& name, std::vector<T>& values, Write write);

    bool m_separator;
};

} // namespace Utilities
} // namespace Kelvo
