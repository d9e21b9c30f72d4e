#pragma once

#include "ISerializer.h"
#include "Tree.h"
#include "UtilitiesExport.h"

#include <istream>
#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// What every concrete serializer needs: the caller's stream (not owned) and direction, the
/// Tree that holds a parsed document, the lookup of a field's values in that tree, text
/// replacement, and the CheckData hook that cleans a string value before it is written.
/// Throws nothing of its own; owns its Tree, not the stream.
/// Example: Examples/tree_and_json.cpp
class KELVO_UTILITIES_API BaseSerializer
{
public:
    /// No stream, writing, an empty tree.
    BaseSerializer();
    /// Both share other's stream; the tree is deep-copied.
    BaseSerializer(BaseSerializer& other);
    /// Shares other's stream and direction and deep-copies its tree.
    BaseSerializer& operator=(BaseSerializer& other);
    ~BaseSerializer();

    /// True when a stream is set.
    bool CheckStream();
    /// Replaces every occurrence of from by to in one pass; inserted text is not searched again.
    /// An empty (or null) from changes nothing.
    void ReplaceData(std::wstring& data, const wchar_t* from, const wchar_t* to);
    /// The values of the field name seen from the tree's cursor: the cursor node's when its key
    /// is name, else the child name's, else the cursor node's. The cursor does not move.
    std::vector<std::wstring> GetValuesFromTreeNode(std::wstring name, Tree& tree);

protected:
    /// Cleans data in place before it is written; false refuses it. The base accepts anything.
    virtual bool CheckData(std::wstring& data);

    /// The caller's stream (not owned); null until one is set.
    std::basic_iostream<wchar_t>* m_stream;
    /// Writing (Serialize) or reading (Deserialize).
    SerializerType m_type;
    /// The parsed document when reading.
    Tree m_tree;
};

} // namespace Utilities
} // namespace Kelvo
