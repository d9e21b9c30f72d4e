//
// IWinHTTPClient.cpp
//
#include "IWinHTTPClient.h"

namespace Kelvo {
namespace Utilities {

IWinHTTPClient::~IWinHTTPClient() = default;

} // namespace Utilities
} // namespace Kelvo
