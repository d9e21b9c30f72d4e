#pragma once

#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// Sends HTTP POST requests and keeps the status and response text of the last one; an abstract
/// class so that callers can be tested with a fake.
/// Implemented by WinHTTPClient. Example: Examples/http.cpp
class KELVO_UTILITIES_API IWinHTTPClient
{
public:
    /// The HTTP status of success (200 OK).
    static const unsigned int HTTPP_SUCCESS_STATUS = 200;
    /// The HTTP status of a proxy asking for authentication (407).
    static const unsigned int HTTPP_PROXYAUTH_ERROR = 407;

    ///@{
    /// Adds the header line "name: value" to the next requests.
    virtual void AddHeader(const std::wstring& name, int value) = 0;
    virtual void AddHeader(const std::wstring& name, const std::wstring& value) = 0;
    ///@}
    /// Removes every header added.
    virtual void ClearHeaders() = 0;
    /// The body is sent as UTF-8.
    virtual void SetCommandBody(const std::wstring& body) = 0;
    /// name plays no part in the request.
    virtual void ExecutePostRequest(std::wstring url, std::wstring name) = 0;
    /// Sends a POST request with the headers and body set to url (scheme://host[:port][/path]).
    virtual void ExecutePostRequest(std::wstring url) = 0;
    /// 0 before any response and when the status could not be read.
    virtual unsigned int GetHttpStatusCode() = 0;
    /// The body of the last response with status 200.
    virtual std::wstring GetHttpResponse() = 0;

protected:
    ///@{
    /// Interfaces hold no state: constructing, copying and assigning do nothing.
    IWinHTTPClient() = default;
    IWinHTTPClient(const IWinHTTPClient&) = default;
    IWinHTTPClient& operator=(const IWinHTTPClient&) = default;
    ///@}
    virtual ~IWinHTTPClient();
};

} // namespace Utilities
} // namespace Kelvo
