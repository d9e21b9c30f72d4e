//
// KelvoUtilities.h
//
// Every public header of KelvoUtilities.dll: include this one and link Kelvo::Utilities.
//
#pragma once

#include "BaseSerializer.h"
#include "Exception.h"
#include "FileSystemException.h"
#include "ISerializer.h"
#include "JSONSerializer.h"
#include "SourceLocation.h"
#include "StringUtilities.h"
#include "Tree.h"
#include "UtilitiesExport.h"
#include "Win32Exception.h"
