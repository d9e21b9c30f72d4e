#pragma once

#include "WindowsTypes.h"

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>

namespace Kelvo {
namespace HostApi {

/// Which handle values mean "no handle" for the function that produced the handle.
enum class InvalidHandleValue
{
    /// Null means no handle.
    Null,        // functions that fail with NULL (CreateEvent, OpenProcess, RegOpenKeyEx, ...)
    /// INVALID_HANDLE_VALUE means no handle.
    AllOnes,     // functions that fail with INVALID_HANDLE_VALUE (CreateFile, FindFirstFile, ...)
    /// Both mean no handle (CloseHandle handles of mixed origin).
    NullOrAllOnes
};

/// The handle type, its "no handle" values and its closing function, for UniqueHandle and ShareHandle.
template <typename HandleType, auto CloseFunction, InvalidHandleValue InvalidValue>
struct HandleTraits
{
    /// The handle type.
    using Type = HandleType;

    /// The value an empty owner holds.
    static Type Invalid() noexcept
    {
        return InvalidValue == InvalidHandleValue::AllOnes ? reinterpret_cast<Type>(~std::uintptr_t{ 0 }) : nullptr;
    }

    /// Whether value is a handle to close.
    static bool IsValid(Type value) noexcept
    {
        const bool isNull = value == nullptr;
        const bool isAllOnes = value == reinterpret_cast<Type>(~std::uintptr_t{ 0 });
        switch (InvalidValue)
        {
        case InvalidHandleValue::Null:
            return !isNull;
        case InvalidHandleValue::AllOnes:
            return !isAllOnes;
        default:
            return !isNull && !isAllOnes;
        }
    }

    /// Closes value, which must be valid.
    static void Close(Type value) noexcept
    {
        CloseFunction(value);
    }
};

/// The one owner of Windows handles in both modules: move-only, closes its handle exactly once,
/// on every path. A traits class (HandleTraits) names the handle type, which of null and
/// INVALID_HANDLE_VALUE mean "no handle" for the function that produced it, and the function
/// that closes it. ShareHandle makes the shared form of the same ownership from the same traits.
/// Nothing here throws.
template <typename Traits>
class UniqueHandle
{
public:
    /// The handle type.
    using Type = typename Traits::Type;

    /// Owns nothing.
    UniqueHandle() noexcept : m_value(Traits::Invalid())
    {
    }

    /// Takes value (which may be a "no handle" value).
    explicit UniqueHandle(Type value) noexcept : m_value(value)
    {
    }

    /// Takes other's handle; other owns nothing afterwards.
    UniqueHandle(UniqueHandle&& other) noexcept : m_value(other.Release())
    {
    }

    /// Closes the handle owned so far and takes other's.
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
        {
            Reset(other.Release());
        }
        return *this;
    }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    ~UniqueHandle()
    {
        Reset();
    }

    /// The handle, still owned.
    Type Get() const noexcept
    {
        return m_value;
    }

    /// Whether a handle is owned.
    bool IsValid() const noexcept
    {
        return Traits::IsValid(m_value);
    }

    /// Whether a handle is owned.
    explicit operator bool() const noexcept
    {
        return IsValid();
    }

    /// Gives up ownership without closing.
    Type Release() noexcept
    {
        return std::exchange(m_value, Traits::Invalid());
    }

    /// Closes the owned handle (if any) and takes value.
    void Reset(Type value = Traits::Invalid()) noexcept
    {
        const Type old = std::exchange(m_value, value);
        if (Traits::IsValid(old))
        {
            Traits::Close(old);
        }
    }

    /// For functions that return a handle through an out-parameter: closes the owned one first.
    Type* Put() noexcept
    {
        Reset();
        return &m_value;
    }

private:
    Type m_value;
};

/// For interfaces that hand a resource to several owners: a std::shared_ptr<Pointee> whose pointer
/// value is the handle itself (never dereferenced). The last owner closes it as Traits says,
/// unless it is invalid, and only then lets go of keepAlive (what the handle needs while it lives).
/// Should allocating the owner fail, the handle is closed before the exception leaves.
template <typename Traits, typename Pointee = std::remove_pointer_t<typename Traits::Type>>
std::shared_ptr<Pointee> ShareHandle(typename Traits::Type value, std::shared_ptr<const void> keepAlive = nullptr)
{
    return std::shared_ptr<Pointee>(reinterpret_cast<Pointee*>(value), [keepAlive](Pointee* owned) noexcept {
        const auto handle = reinterpret_cast<typename Traits::Type>(owned);
        if (Traits::IsValid(handle))
        {
            Traits::Close(handle);
        }
    });
}

/// Kernel objects closed with CloseHandle (processes, threads, events, ports, ...).
using KernelHandleTraits = HandleTraits<HANDLE, &::CloseHandle, InvalidHandleValue::NullOrAllOnes>;
/// Memory freed with LocalFree.
using LocalMemoryTraits = HandleTraits<HLOCAL, &::LocalFree, InvalidHandleValue::Null>;

/// Kernel object handles.
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
/// File handles (CreateFileW: all ones is none).
using UniqueFileHandle = UniqueHandle<HandleTraits<HANDLE, &::CloseHandle, InvalidHandleValue::AllOnes>>;
/// Directory searches (FindFirstFileW).
using UniqueFindHandle = UniqueHandle<HandleTraits<HANDLE, &::FindClose, InvalidHandleValue::AllOnes>>;
/// Registry keys.
using UniqueRegistryKey = UniqueHandle<HandleTraits<HKEY, &::RegCloseKey, InvalidHandleValue::Null>>;
/// Loaded modules (FreeLibrary).
using UniqueModule = UniqueHandle<HandleTraits<HMODULE, &::FreeLibrary, InvalidHandleValue::Null>>;
/// LocalAlloc memory.
using UniqueLocalMemory = UniqueHandle<LocalMemoryTraits>;
/// Service control manager and service handles.
using UniqueServiceHandle = UniqueHandle<HandleTraits<SC_HANDLE, &::CloseServiceHandle, InvalidHandleValue::Null>>;

} // namespace HostApi
} // namespace Kelvo
