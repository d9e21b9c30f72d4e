// Every public header of HostApi.dll, the module through which the library reaches Windows.
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
