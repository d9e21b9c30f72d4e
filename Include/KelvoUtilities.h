//
// KelvoUtilities.h
//
// Every public header of KelvoUtilities.dll: include this one and link Kelvo::Utilities.
//
#pragma once

#include "AesCipher.h"
#include "Exception.h"
#include "FileSystemException.h"
#include "MD5.h"
#include "Sha2.h"
#include "SourceLocation.h"
#include "StringUtilities.h"
#include "UtilitiesExport.h"
#include "Win32Exception.h"
