// A caller that includes the Windows headers after the library's.
#include <KelvoUtilities.h>

#include <windows.h>
#include <aclapi.h>
#include <shellapi.h>
#include <winhttp.h>
#include <winsvc.h>

#include <AuthorizationUtilities.h>
#include <IConnectionProcessor.h>
#include <SystemUtilities.h>

HKEY CurrentUserRootAfter() { return HKEY_CURRENT_USER; }
