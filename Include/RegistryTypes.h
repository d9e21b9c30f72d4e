// The enumerations of the registry classes. Their numbers are those of Windows and of the
// stored text forms, so they never change.
#pragma once

#include <cstdint>

namespace Kelvo {
namespace Utilities {

/// The Windows registry value types.
enum RegistryValueType : std::uint32_t
{
    /// REG_NONE: no type.
    RegNone = 0,
    /// REG_SZ: a string.
    RegSz = 1,
    /// REG_EXPAND_SZ: a string with %variables%.
    RegExpandSz = 2,
    /// REG_BINARY: bytes.
    RegBinary = 3,
    /// REG_DWORD: a 32-bit number, little-endian.
    RegDword = 4,
    /// REG_DWORD_BIG_ENDIAN: a 32-bit number, big-endian.
    RegDwordBigEndian = 5,
    /// REG_LINK: a symbolic link.
    RegLink = 6,
    /// REG_MULTI_SZ: a list of strings.
    RegMultiSz = 7,
    /// REG_RESOURCE_LIST: a device driver's resource list.
    RegResourceList = 8,
    /// REG_FULL_RESOURCE_DESCRIPTOR: a hardware resource list.
    RegFullResourceDescriptor = 9,
    /// REG_RESOURCE_REQUIREMENTS_LIST: a device's resource requirements.
    RegResourceRequirementsList = 10,
    /// REG_QWORD: a 64-bit number, little-endian.
    RegQword = 11
};

/// The predefined roots; 0 and values above 5 are not roots.
enum RegistryRootKey : std::uint32_t
{
    /// HKEY_CLASSES_ROOT.
    RootClassesRoot = 1,
    /// HKEY_CURRENT_USER.
    RootCurrentUser = 2,
    /// HKEY_LOCAL_MACHINE.
    RootLocalMachine = 3,
    /// HKEY_USERS.
    RootUsers = 4,
    /// HKEY_CURRENT_CONFIG.
    RootCurrentConfig = 5
};

/// The access RegistryUtilities asks for when it opens or creates a key.
enum RegistryDesiredAccess : std::uint32_t
{
    /// Full access (KEY_ALL_ACCESS).
    AccessAll = 0,
    /// Reading (KEY_READ).
    AccessRead = 1,
    /// Writing (KEY_WRITE).
    AccessWrite = 2
};

/// Passed to key creation unchanged (REG_OPTION_...).
enum RegistryOptions : std::uint32_t
{
    /// The key is stored (REG_OPTION_NON_VOLATILE).
    OptionNonVolatile = 0,
    /// The key lives until the system restarts (REG_OPTION_VOLATILE).
    OptionVolatile = 1
};

/// What key creation did (REG_CREATED_NEW_KEY, REG_OPENED_EXISTING_KEY).
enum RegistryDisposition : std::uint32_t
{
    /// Nothing reported yet.
    DispositionNone = 0,
    /// The key was created.
    DispositionCreatedNewKey = 1,
    /// The key existed and was opened.
    DispositionOpenedExistingKey = 2
};

/// The base keys of RegistryKey: predefined Windows root handle values.
enum ERegistryBaseKey : std::uint32_t
{
    /// HKEY_CLASSES_ROOT.
    BaseClassesRoot = 0x80000000u,
    /// HKEY_CURRENT_USER.
    BaseCurrentUser = 0x80000001u,
    /// HKEY_LOCAL_MACHINE.
    BaseLocalMachine = 0x80000002u,
    /// HKEY_USERS.
    BaseUsers = 0x80000003u,
    /// HKEY_CURRENT_CONFIG.
    BaseCurrentConfig = 0x80000005u
};

} // namespace Utilities
} // namespace Kelvo
