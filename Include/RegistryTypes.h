// The enumerations of the registry classes. Their numbers are those of Windows and of the
// stored text forms, so they never change.
#pragma once

#include <cstdint>

namespace Kelvo {
namespace Utilities {

/// The Windows registry value types.
enum RegistryValueType : std::uint32_t
{
    RegNone = 0,
    RegSz = 1,
    RegExpandSz = 2,
    RegBinary = 3,
    RegDword = 4,
    RegDwordBigEndian = 5,
    RegLink = 6,
    RegMultiSz = 7,
    RegResourceList = 8,
    RegFullResourceDescriptor = 9,
    RegResourceRequirementsList = 10,
    RegQword = 11
};

/// The predefined roots; 0 and values above 5 are not roots.
enum RegistryRootKey : std::uint32_t
{
    RootClassesRoot = 1,
    RootCurrentUser = 2,
    RootLocalMachine = 3,
    RootUsers = 4,
    RootCurrentConfig = 5
};

enum RegistryDesiredAccess : std::uint32_t
{
    AccessAll = 0,
    AccessRead = 1,
    AccessWrite = 2
};

/// Passed to key creation unchanged (REG_OPTION_...).
enum RegistryOptions : std::uint32_t
{
    OptionNonVolatile = 0,
    OptionVolatile = 1
};

/// What key creation did (REG_CREATED_NEW_KEY, REG_OPENED_EXISTING_KEY).
enum RegistryDisposition : std::uint32_t
{
    DispositionNone = 0,
    DispositionCreatedNewKey = 1,
    DispositionOpenedExistingKey = 2
};

/// The base keys of RegistryKey: predefined Windows root handle values.
enum ERegistryBaseKey : std::uint32_t
{
    BaseClassesRoot = 0x80000000u,
    BaseCurrentUser = 0x80000001u,
    BaseLocalMachine = 0x80000002u,
    BaseUsers = 0x80000003u,
    BaseCurrentConfig = 0x80000005u
};

} // namespace Utilities
} // namespace Kelvo
