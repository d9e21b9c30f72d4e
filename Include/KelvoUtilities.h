//
// KelvoUtilities.h
//
// Every public header of KelvoUtilities.dll: include this one and link Kelvo::Utilities.
//
#pragma once

#include "Exception.h"
#include "FileSystemException.h"
#include "IRegistry.h"
#include "IRegistryKey.h"
#include "Registry.h"
#include "RegistryKey.h"
#include "RegistryTypes.h"
#include "RegistryUtilities.h"
#include "SourceLocation.h"
#include "StringUtilities.h"
#include "UtilitiesExport.h"
#include "Win32Exception.h"
