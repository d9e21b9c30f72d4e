//
// SharedHandle.cpp
//
#include "SharedHandle.h"

#include <windows.h>

namespace Kelvo {
namespace Utilities {

SharedHandle::SharedHandle() noexcept = default;

SharedHandle::SharedHandle(void* handle)
    : std::shared_ptr<void>(handle, [](void* owned) {
          if (owned != nullptr && owned != INVALID_HANDLE_VALUE)
          {
              ::CloseHandle(owned);
          }
      })
{
}

} // namespace Utilities
} // namespace Kelvo
