#pragma once

#include "IStringResourceReader.h"
#include "UtilitiesExport.h"

#include <HostApi/UniqueHandle.h>
#include <HostApi/WindowsTypes.h>

#include <memory>

namespace Kelvo {
namespace Utilities {

/// Frees a loaded module; a null handle is left alone.
struct ModuleHandleDeleter
{
    /// The module handle type the owner holds.
    using pointer = HMODULE;

    /// Frees module unless it is null.
    void operator()(HMODULE module) const noexcept
    {
        if (module != nullptr)
        {
            ::FreeLibrary(module);
        }
    }
};

/// The string tables of a module that the caller has loaded (typically with LoadLibraryExW and
/// LOAD_LIBRARY_AS_DATAFILE); the reader owns the module from then on and frees it.
/// Throws as GetAllStrings says. Example: Examples/text_and_time.cpp
class KELVO_UTILITIES_API StringResourceReader : public IStringResourceReader
{
public:
    /// Takes ownership of the loaded module.
    explicit StringResourceReader(std::unique_ptr<void*, ModuleHandleDeleter> module);
    StringResourceReader(const StringResourceReader&) = delete;
    StringResourceReader& operator=(const StringResourceReader&) = delete;
    ~StringResourceReader();

    /// Throws Win32Exception "Resource was not found" or "String table not found" when a block
    /// that Windows listed cannot be loaded, std::exception "String table not found" when it
    /// cannot be locked, and std::runtime_error "String table is damaged" when an entry runs
    /// past the end of its block.
    std::map<int, std::wstring> GetAllStrings() override;
    /// Not implemented: always throws std::exception "Not implemented yet".
    std::wstring GetString(int id) override;

private:
    HostApi::UniqueModule m_module;
};

} // namespace Utilities
} // namespace Kelvo
