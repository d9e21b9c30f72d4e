#include "StringResourceReader.h"

#include "Internal/PlainException.h"
#include "Win32Exception.h"

#include <windows.h>

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <vector>

namespace Kelvo {
namespace Utilities {

namespace {

const WORD EntriesPerBlock = 16;

// Only collects the block numbers: nothing may be thrown through Windows' frames.
BOOL CALLBACK CollectBlock(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR blocks)
{
    // String tables are numbered from 1; a named one is no string table.
    if (IS_INTRESOURCE(name) && name != nullptr)
    {
        reinterpret_cast<std::vector<WORD>*>(blocks)->push_back(static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)));
    }
    return TRUE;
}

// Adds the non-empty entries of block number (1-based) to strings.
void ReadBlock(HMODULE module, WORD block, std::map<int, std::wstring>& strings)
{
    const HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(block), MAKEINTRESOURCEW(6));
    if (resource == nullptr)
    {
        throw Win32Exception("Resource was not found");
    }
    const HGLOBAL loaded = ::LoadResource(module, resource);
    if (loaded == nullptr)
    {
        throw Win32Exception("String table not found");
    }
    const auto* data = static_cast<const wchar_t*>(::LockResource(loaded));
    if (data == nullptr)
    {
        throw PlainException("String table not found");
    }
    // A block of another tool's making may be cut short: never read past its end.
    const std::size_t available = ::SizeofResource(module, resource) / sizeof(wchar_t);
    std::size_t position = 0;
    for (int entry = 0; entry < EntriesPerBlock; ++entry)
    {
        if (position >= available)
        {
            throw std::runtime_error("String table is damaged");
        }
        const std::size_t length = static_cast<std::uint16_t>(data[position++]);
        if (length > available - position)
        {
            throw std::runtime_error("String table is damaged");
        }
        if (length > 0)
        {
            strings[(block - 1) * EntriesPerBlock + entry].assign(data + position, length);
        }
        position += length;
    }
    ::FreeResource(loaded);
}

} // namespace

StringResourceReader::StringResourceReader(std::unique_ptr<void*, ModuleHandleDeleter> module)
    : m_module(module.release())
{
}

StringResourceReader::~StringResourceReader() = default;

std::map<int, std::wstring> StringResourceReader::GetAllStrings()
{
    std::vector<WORD> blocks;
    if (!m_module)
    {
        // Windows would read the executable's own tables for a null module: this reader has none.
        return {};
    }
    // Fails with ERROR_RESOURCE_TYPE_NOT_FOUND for a module without string tables: no strings.
    ::EnumResourceNamesW(m_module.Get(), MAKEINTRESOURCEW(6), &CollectBlock, reinterpret_cast<LONG_PTR>(&blocks));
    std::map<int, std::wstring> strings;
    for (const WORD block : blocks)
    {
        ReadBlock(m_module.Get(), block, strings);
    }
    return strings;
}

std::wstring StringResourceReader::GetString(int)
{
    throw PlainException("Not implemented yet");
}

} // namespace Utilities
} // namespace Kelvo
