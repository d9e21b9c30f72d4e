// A caller that includes only KelvoUtilities.h gets none of <windows.h>'s macros: its own names
// stay its own.
#include <KelvoUtilities.h>

#if defined(ERROR) || defined(DeleteFile) || defined(GetObject) || defined(interface) || defined(near) || \
    defined(min) || defined(max) || defined(_WINDOWS_)
#error KelvoUtilities.h brings <windows.h>'s macros into the caller's code
#endif

namespace {

enum class LogLevel { DEBUG, INFO, ERROR };

struct Store
{
    bool DeleteFile(LogLevel level) const { return level == LogLevel::ERROR; }
};

} // namespace

bool StoreDeletesOnError() { return Store{}.DeleteFile(LogLevel::ERROR); }
