// A caller that includes the Windows headers before the library's: every declaration of the
// library's headers agrees with the SDK's.
#include <windows.h>
#include <aclapi.h>
#include <shellapi.h>
#include <winhttp.h>
#include <winsvc.h>

#include <AuthorizationUtilities.h>
#include <IConnectionProcessor.h>
#include <KelvoUtilities.h>
#include <SystemUtilities.h>

HKEY CurrentUserRootBefore() { return HKEY_CURRENT_USER; }
