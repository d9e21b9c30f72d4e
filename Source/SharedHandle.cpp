#include "SharedHandle.h"

#include <HostApi/UniqueHandle.h>

namespace Kelvo {
namespace Utilities {

SharedHandle::SharedHandle() noexcept = default;

SharedHandle::SharedHandle(void* handle)
    : std::shared_ptr<void>(HostApi::ShareHandle<HostApi::KernelHandleTraits>(handle))
{
}

} // namespace Utilities
} // namespace Kelvo
