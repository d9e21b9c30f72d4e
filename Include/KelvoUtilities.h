//
// KelvoUtilities.h
//
// Every public header of KelvoUtilities.dll: include this one and link Kelvo::Utilities.
//
#pragma once

#include "Base64.h"
#include "Exception.h"
#include "FileSystemException.h"
#include "ILanguage.h"
#include "IOSInfo.h"
#include "IRegistry.h"
#include "IRegistryKey.h"
#include "IStringResourceReader.h"
#include "KelvoTime.h"
#include "Language.h"
#include "OSInfo.h"
#include "Registry.h"
#include "RegistryKey.h"
#include "RegistryTypes.h"
#include "RegistryUtilities.h"
#include "SourceLocation.h"
#include "StringResourceReader.h"
#include "StringUtilities.h"
#include "UtilitiesExport.h"
#include "Win32Exception.h"
