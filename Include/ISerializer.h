#pragma once

#include "Tree.h"
#include "UtilitiesExport.h"

#include <istream>
#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// The direction of a serializer.
enum SerializerType
{
    Serialize = 0,  // writes to the stream
    Deserialize = 1 // parses the stream when it is set, then fills the caller's variables
};

/// The interface a caller programs a document against: one sequence of calls (BeginData,
/// WriteData, WriteList, EndData, ...) either writes the document to a stream or, on a
/// serializer opened for reading, fills the very same variables back from it. Value parameters
/// are non-const references for that reason. JSONSerializer implements it.
class KELVO_UTILITIES_API ISerializer
{
public:
    ISerializer();
    ISerializer(const ISerializer& other);
    ISerializer& operator=(const ISerializer& other);

    virtual bool SetStream(std::basic_iostream<wchar_t>* stream, SerializerType type) = 0;
    virtual bool WriteData(const std::wstring& name, std::wstring& value) = 0;
    virtual bool WriteData(const std::wstring& name, bool& value) = 0;
    virtual bool WriteData(const std::wstring& name, unsigned int& value) = 0;
    virtual bool WriteData(const std::wstring& name, unsigned __int64& value) = 0;
    virtual bool WriteList(const std::wstring& name, std::vector<std::wstring>& values) = 0;
    virtual bool WriteList(const std::wstring& name, std::vector<bool>& values) = 0;
    virtual bool WriteList(const std::wstring& name, std::vector<unsigned int>& values) = 0;
    virtual bool WriteList(const std::wstring& name, std::vector<unsigned __int64>& values) = 0;
    /// Embeds an already serialized fragment as the member's value (writing only).
    virtual bool WriteSerializedData(const std::wstring& name, std::wstring& data) = 0;
    virtual bool BeginData(const std::wstring& name) = 0;
    virtual bool EndData(const std::wstring& name) = 0;
    /// Parses text into tree below the tree's cursor.
    virtual bool DeserializeToTree(const std::wstring& text, Tree& tree) = 0;

protected:
    /// Not virtual: the interface's slots hold its operations only. Protected, so that deleting
    /// through the interface does not compile (it could not reach the implementation's destructor).
    ~ISerializer();
};

} // namespace Utilities
} // namespace Kelvo
