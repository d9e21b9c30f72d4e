// Every public header of HostApi.dll, the module through which the library reaches Windows.
/// \namespace Kelvo::HostApi
/// The platform calls of HostApi.dll, the module through which KelvoUtilities.dll reaches the
/// registry, services, security, file versions and hashing. KelvoUtilities.dll loads it on first
/// use, only from its own folder and only with a valid signature. Every failure throws
/// Kelvo::Utilities::Exception carrying the Windows error code; handles and structures come back
/// in owners (UniqueHandle, shared pointers) that release them.
#pragma once

#include "Authorization.h"
#include "Cryptography.h"
#include "FileSystemOperation.h"
#include "HostApiExport.h"
#include "OperatingSystem.h"
#include "Registry.h"
#include "Service.h"
#include "UniqueHandle.h"
#include "User.h"
