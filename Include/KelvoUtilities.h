//
// KelvoUtilities.h
//
// Every public header of KelvoUtilities.dll: include this one and link Kelvo::Utilities.
//
#pragma once

#include "BaseSerializer.h"
#include "Directory.h"
#include "EnumerableIterator.h"
#include "Enumerator.h"
#include "EnumeratorFolder.h"
#include "Exception.h"
#include "File.h"
#include "FileSystemException.h"
#include "IDirectory.h"
#include "IEnumeratorFolder.h"
#include "IIterator.h"
#include "IRegistry.h"
#include "IRegistryKey.h"
#include "ISerializer.h"
#include "IteratorFolder.h"
#include "JSONSerializer.h"
#include "Path.h"
#include "Registry.h"
#include "RegistryKey.h"
#include "RegistryTypes.h"
#include "RegistryUtilities.h"
#include "SourceLocation.h"
#include "StringUtilities.h"
#include "Tree.h"
#include "UtilitiesExport.h"
#include "Win32Exception.h"
