//
// HostApi.h
//
// Every public header of HostApi.dll, the module through which the library reaches Windows.
//
#pragma once

#include "Cryptography.h"
#include "FileSystemOperation.h"
#include "HostApiExport.h"
#include "OperatingSystem.h"
#include "Registry.h"
#include "UniqueHandle.h"
#include "User.h"
