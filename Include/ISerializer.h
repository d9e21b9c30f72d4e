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
    /// Writes to the stream.
    Serialize = 0,  // writes to the stream
    /// Parses the stream when it is set, then fills the caller's variables.
    Deserialize = 1 // parses the stream when it is set, then fills the caller's variables
};

/// The interface a caller programs a document against: one sequence of calls (BeginData,
/// WriteData, WriteList, EndData, ...) either writes the document to a stream or, on a
/// serializer opened for reading, fills the very same variables back from it. Value parameters
/// are non-const references for that reason. JSONSerializer implements it.
/// Implemented by JSONSerializer. Example: Examples/tree_and_json.cpp
class KELVO_UTILITIES_API ISerializer
{
public:
    ///@{
    /// Interfaces hold no state: constructing, copying and assigning do nothing.
    ISerializer();
    ISerializer(const ISerializer& other);
    ISerializer& operator=(const ISerializer& other);
///@}

    /// Sets the stream (not owned) and the direction; reading parses the whole stream now.
    virtual bool SetStream(std::basic_iostream<wchar_t>* stream, SerializerType type) = 0;
    ///@{
    /// Writing: writes the member name with value; false without a stream. Reading: sets value from
    /// the member name; false, value untouched, when there is none. Numbers that do not convert
    /// throw std::invalid_argument or std::out_of_range.
    virtual bool WriteData(const std::wstring& name, std::wstring& value) = 0;
    virtual bool WriteData(const std::wstring& name, bool& value) = 0;
    virtual bool WriteData(const std::wstring& name, unsigned int& value) = 0;
    virtual bool WriteData(const std::wstring& name, unsigned __int64& value) = 0;
    ///@}
    ///@{
    /// Writing: writes the list name with values. Reading: appends the member's values to values
    /// (not cleared first); true also when there is none.
    virtual bool WriteList(const std::wstring& name, std::vector<std::wstring>& values) = 0;
    virtual bool WriteList(const std::wstring& name, std::vector<bool>& values) = 0;
    virtual bool WriteList(const std::wstring& name, std::vector<unsigned int>& values) = 0;
    virtual bool WriteList(const std::wstring& name, std::vector<unsigned __int64>& values) = 0;
    ///@}
    /// Embeds an already serialized fragment as the member's value (writing only).
    virtual bool WriteSerializedData(const std::wstring& name, std::wstring& data) = 0;
    /// Writing: opens the object name. Reading: enters the member object name; false when missing.
    virtual bool BeginData(const std::wstring& name) = 0;
    /// Writing: closes the object. Reading: goes back up to the enclosing object.
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
