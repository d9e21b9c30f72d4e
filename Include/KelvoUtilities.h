// Every public header of KelvoUtilities.dll: include this one and link Kelvo::Utilities. It brings
// no <windows.h>, so none of its macros. Three headers are left out because they need Windows' own
// declarations and include <windows.h> themselves; their callers need it anyway:
// AuthorizationUtilities.h and SystemUtilities.h take SE_OBJECT_TYPE (an enumeration that cannot be
// declared on its own), and IConnectionProcessor.h is an OVERLAPPED whose implementations issue
// Windows I/O.
/// \namespace Kelvo
/// The maker's libraries: Kelvo::Utilities (KelvoUtilities.dll) and Kelvo::HostApi (HostApi.dll).
///
/// \namespace Kelvo::Utilities
/// Every public class of KelvoUtilities.dll. Failures are thrown: Exception (with a Windows
/// error code where there is one), Win32Exception, FileSystemException, or a standard exception
/// with a narrow message; each class says which. Probes answer false or 0, the tree and the
/// serializers answer with success flags, and device I/O requests return Windows error codes.
#pragma once

#include "AesCipher.h"
#include "Base64.h"
#include "BaseSerializer.h"
#include "CompletionPort.h"
#include "CriticalSection.h"
#include "DeviceIoController.h"
#include "Directory.h"
#include "DriveInfo.h"
#include "EnumerableIterator.h"
#include "Enumerator.h"
#include "EnumeratorFolder.h"
#include "Environment.h"
#include "EventAccessControl.h"
#include "Exception.h"
#include "File.h"
#include "FileAppender.h"
#include "FileSystemException.h"
#include "FileSystemUtilities.h"
#include "IDirectory.h"
#include "IEnumeratorFolder.h"
#include "IIniFile.h"
#include "IIterator.h"
#include "ILanguage.h"
#include "IOSInfo.h"
#include "IRegistry.h"
#include "IRegistryKey.h"
#include "ISerializer.h"
#include "IStringResourceReader.h"
#include "IUserUtilities.h"
#include "IWinHTTPClient.h"
#include "IniFile.h"
#include "IteratorFolder.h"
#include "JSONSerializer.h"
#include "KelvoUtilitiesVersion.h"
#include "KelvoTime.h"
#include "Language.h"
#include "MD5.h"
#include "OSInfo.h"
#include "Path.h"
#include "Registry.h"
#include "RegistryKey.h"
#include "RegistryTypes.h"
#include "RegistryUtilities.h"
#include "RezolveDelayLoadImport.h"
#include "ServiceUtilities.h"
#include "Sha2.h"
#include "SharedHandle.h"
#include "SourceLocation.h"
#include "StringResourceReader.h"
#include "StringUtilities.h"
#include "Tools.h"
#include "Tree.h"
#include "UserUtilities.h"
#include "UserUtilitiesSTUB.h"
#include "UtilitiesExport.h"
#include "Win32Exception.h"
#include "WinHTTPClient.h"
