#include "IWinHTTPClient.h"

namespace Kelvo {
namespace Utilities {

// Out of line, so that the DLL exports the interface's special members to its callers.
IWinHTTPClient::~IWinHTTPClient() = default;

} // namespace Utilities
} // namespace Kelvo
