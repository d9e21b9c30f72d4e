#include "BaseSerializer.h"

#include "StringUtilities.h"

namespace Kelvo {
namespace Utilities {

BaseSerializer::BaseSerializer() : m_stream(nullptr), m_type(Serialize)
{
}

BaseSerializer::BaseSerializer(BaseSerializer& other)
    : m_stream(other.m_stream), m_type(other.m_type), m_tree(other.m_tree)
{
}

BaseSerializer& BaseSerializer::operator=(BaseSerializer& other)
{
    m_stream = other.m_stream;
    m_type = other.m_type;
    m_tree = other.m_tree;
    return *this;
}

BaseSerializer::~BaseSerializer()
{
}

bool BaseSerializer::CheckStream()
{
    return m_stream != nullptr;
}

void BaseSerializer::ReplaceData(std::wstring& data, const wchar_t* from, const wchar_t* to)
{
    if (from == nullptr || *from == L'\0')
    {
        return;
    }
    StringUtilities::Replace(data, from, to == nullptr ? L"" : to);
}

std::vector<std::wstring> BaseSerializer::GetValuesFromTreeNode(std::wstring name, Tree& tree)
{
    std::vector<std::wstring> values;
    if (tree.GetKey() != name && tree.Down(name))
    {
        tree.GetValues(values);
        tree.Up();
        return values;
    }
    tree.GetValues(values);
    return values;
}

bool BaseSerializer::CheckData(std::wstring&)
{
    return true;
}

} // namespace Utilities
} // namespace Kelvo
