#include "WinHTTPClient.h"

#include "StringUtilities.h"
#include "Internal/CodePageText.h"
#include "Internal/Failure.h"
#include "Internal/ImpersonationGuard.h"

#include <HostApi/User.h>

#include <windows.h>
#include <winhttp.h>

#include <sstream>
#include <stdexcept>

namespace Kelvo {
namespace Utilities {

namespace {

// A response body larger than this is refused rather than held in memory.
const std::size_t LargestResponse = 64u << 20;

// Windows' documented defaults, set explicitly so that every WinHTTP applies them: no limit on
// name resolution, 60 s to connect, 30 s to send, 30 s for each receive. Waiting for the
// response's headers gets the receive limit too, so that a server that accepts and then says
// nothing cannot hold a request for longer.
const int ResolveTimeout = 0;
const int ConnectTimeout = 60000;
const int SendTimeout = 30000;
const int ReceiveTimeout = 30000;

const wchar_t* const InvalidParameter = L"Invalid parameter!";

// The error of the WinHTTP call that just failed, read before anything else can change it. Some
// implementations (Wine's) let a time-out through as the socket's code (WSAETIMEDOUT); callers
// test for WinHTTP's own.
DWORD WinHttpError()
{
    const DWORD socketTimedOut = 10060;
    const DWORD error = ::GetLastError();
    return error == socketTimedOut ? ERROR_WINHTTP_TIMEOUT : error;
}

// Texts that WinHttpGetIEProxyConfigForCurrentUser allocates for its caller.
using GlobalText =
    HostApi::UniqueHandle<HostApi::HandleTraits<LPWSTR, &::GlobalFree, HostApi::InvalidHandleValue::Null>>;

WinHTTPClient::InternetHandle OpenSession(const std::wstring& agent, DWORD accessType, const wchar_t* proxy,
                                          const wchar_t* bypass)
{
    WinHTTPClient::InternetHandle session(::WinHttpOpen(agent.c_str(), accessType, proxy, bypass, 0));
    DWORD responseTimeout = ReceiveTimeout;
    if (!session ||
        !::WinHttpSetTimeouts(session.Get(), ResolveTimeout, ConnectTimeout, SendTimeout, ReceiveTimeout) ||
        !::WinHttpSetOption(session.Get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout,
                            sizeof(responseTimeout)))
    {
        ThrowLastError(L"WinHTTP: Failed to open internet", KELVO_SITE);
    }
    return session;
}

// The proxy settings of the user this thread runs as; false when they cannot be read.
bool ReadBrowserProxyList(std::wstring& list)
{
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
    if (!::WinHttpGetIEProxyConfigForCurrentUser(&config))
    {
        return false;
    }
    const GlobalText autoConfigUrl(config.lpszAutoConfigUrl);
    const GlobalText bypass(config.lpszProxyBypass);
    const GlobalText proxy(config.lpszProxy);
    list = proxy ? proxy.Get() : L"";
    return true;
}

// Header text that would end its line early or name a header of its own is refused before
// anything is sent: a line break in a name or value would start further header lines, and a
// colon in a name would end the name there.
void CheckHeader(const std::wstring& name, const std::wstring& value)
{
    if (name.empty() || name.find_first_of(L"\r\n:") != std::wstring::npos ||
        value.find_first_of(L"\r\n") != std::wstring::npos)
    {
        ThrowError(InvalidParameter, ERROR_INVALID_PARAMETER, KELVO_SITE);
    }
}

} // namespace

struct WinHTTPClient::State
{
    std::wstring agent;
    std::wostringstream headers;
    std::vector<char> body;
    unsigned int statusCode = 0;
    std::wstring response;
    InternetHandle session;
    unsigned int proxyAuthScheme = 0;
    std::wstring proxyUser;
    std::wstring proxyPassword;
};

WinHTTPClient::WinHTTPClient(bool useBrowserProxy, std::wstring agent) : m_state(new State)
{
    m_state->agent = agent;
    if (useBrowserProxy)
    {
        try
        {
            const std::wstring proxy = GetProxyNameFromIE();
            if (!proxy.empty())
            {
                m_state->session = DoOpenWithProxy(proxy, agent);
            }
        }
        catch (const Exception&)
        {
            // A proxy that cannot be used leaves the direct connection.
        }
    }
    if (!m_state->session)
    {
        m_state->session = OpenSession(agent, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                       WINHTTP_NO_PROXY_BYPASS);
    }
}

WinHTTPClient::WinHTTPClient(const std::wstring& proxyHost, unsigned int proxyPort, const std::wstring& user,
                             const std::wstring& password, std::wstring agent)
    : m_state(new State)
{
    m_state->agent = agent;
    m_state->proxyUser = user;
    m_state->proxyPassword = password;
    m_state->session = DoOpenWithProxy(proxyHost + L":" + std::to_wstring(proxyPort), agent);
}

WinHTTPClient::~WinHTTPClient() = default;

void WinHTTPClient::AddHeader(const std::wstring& name, int value)
{
    CheckHeader(name, L"");
    m_state->headers << name << L": " << value << L"\r\n";
}

void WinHTTPClient::AddHeader(const std::wstring& name, const std::wstring& value)
{
    CheckHeader(name, value);
    m_state->headers << name << L": " << value << L"\r\n";
}

void WinHTTPClient::ClearHeaders()
{
    m_state->headers.str(std::wstring());
}

void WinHTTPClient::SetCommandBody(const std::wstring& body)
{
    std::string utf8;
    StringUtilities::Utf16ToUtf8(body, utf8);
    m_state->body.assign(utf8.begin(), utf8.end());
}

void WinHTTPClient::ExecutePostRequest(std::wstring url, std::wstring /*name*/)
{
    std::wstring scheme;
    std::wstring host;
    std::wstring path;
    unsigned short port = 0;
    ParseUrl(url, &scheme, &host, &path, &port);
    const bool secure = scheme == L"https";
    if (port == 0)
    {
        port = secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
    }
    // Declared in this order so that the request is closed before its connection.
    const InternetHandle connection = DoConnect(m_state->session, host, port);
    const InternetHandle request = DoOpenRequest(connection, path, L"POST", secure);
    ExecuteSendRequestLoop(request);
}

void WinHTTPClient::ExecutePostRequest(std::wstring url)
{
    ExecutePostRequest(url, L"HTTPCLIENT");
}

unsigned int WinHTTPClient::GetHttpStatusCode()
{
    return m_state->statusCode;
}

std::wstring WinHTTPClient::GetHttpResponse()
{
    return m_state->response;
}

std::wstring WinHTTPClient::GetProxyNameFromIE()
{
    std::wstring list;
    bool read = false;
    std::shared_ptr<void> token;
    try
    {
        token = HostApi::User::GetUserHandleFromActiveSession();
    }
    catch (const Exception&)
    {
        // No session user to be had (not a service, no console session): the caller's own settings.
    }
    if (token)
    {
        ImpersonationGuard impersonation;
        if (!impersonation.Impersonate(token.get()))
        {
            return std::wstring();
        }
        read = ReadBrowserProxyList(list);
        impersonation.Revert();
    }
    else
    {
        read = ReadBrowserProxyList(list);
    }
    if (!read)
    {
        return std::wstring();
    }
    const std::size_t start = list.find(L"https");
    if (start == std::wstring::npos)
    {
        return std::wstring();
    }
    const std::size_t end = list.find(L';', start);
    return list.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

void WinHTTPClient::ParseUrl(const std::wstring& url, std::wstring* scheme, std::wstring* host, std::wstring* path,
                             unsigned short* port)
{
    const std::size_t separator = url.find(L"://");
    const std::size_t hostStart = separator == std::wstring::npos ? 0 : separator + 3;
    const std::size_t pathStart = url.find(L'/', hostStart);
    const std::size_t hostEnd = pathStart == std::wstring::npos ? url.size() : pathStart;
    // A colon counts only between the host and the path: one in the path or query is no port.
    const std::size_t colon = url.find(L':', hostStart);
    const bool hasPort = colon < hostEnd;
    const int portNumber = hasPort ? std::stoi(url.substr(colon + 1, hostEnd - colon - 1), nullptr, 10) : 0;
    // Cut to 16 bits, a port past 65535 would name another port.
    if (portNumber < 0 || portNumber > 65535)
    {
        throw std::out_of_range("stoi argument out of range");
    }
    if (host)
    {
        *host = url.substr(hostStart, (hasPort ? colon : hostEnd) - hostStart);
    }
    if (path && pathStart != std::wstring::npos)
    {
        *path = url.substr(pathStart);
    }
    if (port)
    {
        *port = static_cast<unsigned short>(portNumber);
    }
    if (scheme)
    {
        *scheme = separator == std::wstring::npos ? std::wstring() : url.substr(0, separator);
    }
}

WinHTTPClient::InternetHandle WinHTTPClient::DoOpenWithProxy(const std::wstring& proxy, const std::wstring& agent)
{
    return OpenSession(agent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.c_str(), L"<local>");
}

WinHTTPClient::InternetHandle WinHTTPClient::DoConnect(const InternetHandle& session, const std::wstring& host,
                                                       unsigned short port)
{
    InternetHandle connection(::WinHttpConnect(session.Get(), host.c_str(), port, 0));
    if (!connection)
    {
        ThrowLastError(L"WinHTTP: Failed to connect to Internet", KELVO_SITE);
    }
    return connection;
}

WinHTTPClient::InternetHandle WinHTTPClient::DoOpenRequest(const InternetHandle& connection, const std::wstring& path,
                                                           const std::wstring& verb, bool secure)
{
    InternetHandle request(::WinHttpOpenRequest(connection.Get(), verb.c_str(), path.c_str(), nullptr,
                                                WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request)
    {
        ThrowLastError(L"WinHTTP: Failed to connect to Internet", KELVO_SITE);
    }
    return request;
}

void WinHTTPClient::DoSendRequest(const InternetHandle& request, const std::wstring& headers, std::vector<char>& body)
{
    // The added lines end in CR LF already; a block that began with an empty line would be
    // refused by some WinHTTP implementations.
    const std::wstring headerText = headers + L"Content-Length: " + std::to_wstring(body.size()) + L"\r\n";
    if (m_state->proxyAuthScheme != 0)
    {
        ::WinHttpSetCredentials(request.Get(), WINHTTP_AUTH_TARGET_PROXY, m_state->proxyAuthScheme,
                                m_state->proxyUser.c_str(), m_state->proxyPassword.c_str(), nullptr);
    }
    const DWORD bodySize = static_cast<DWORD>(body.size());
    if (!::WinHttpSendRequest(request.Get(), headerText.c_str(), static_cast<DWORD>(headerText.size()),
                              body.empty() ? WINHTTP_NO_REQUEST_DATA : body.data(), bodySize, bodySize, 0))
    {
        const DWORD error = WinHttpError();
        ThrowError(L"WinHTTP: Failed to send request", error, KELVO_SITE);
    }
}

void WinHTTPClient::DoReceiveResponse(const InternetHandle& request)
{
    if (!::WinHttpReceiveResponse(request.Get(), nullptr))
    {
        const DWORD error = WinHttpError();
        ThrowError(L"WinHTTP: Failed to receive response", error, KELVO_SITE);
    }
    m_state->statusCode = 0;
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (::WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                              WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
    {
        m_state->statusCode = status;
    }
}

void WinHTTPClient::DoReadAuthScheme(const InternetHandle& request)
{
    DWORD supported = 0;
    DWORD first = 0;
    DWORD target = 0;
    if (!::WinHttpQueryAuthSchemes(request.Get(), &supported, &first, &target))
    {
        ThrowLastError(L"WinHTTP: Failed to query auth scheme", KELVO_SITE);
    }
    m_state->proxyAuthScheme = WINHTTP_AUTH_SCHEME_BASIC;
    for (const DWORD preferred : {WINHTTP_AUTH_SCHEME_NEGOTIATE, WINHTTP_AUTH_SCHEME_NTLM,
                                  WINHTTP_AUTH_SCHEME_PASSPORT, WINHTTP_AUTH_SCHEME_DIGEST})
    {
        if (supported & preferred)
        {
            m_state->proxyAuthScheme = preferred;
            break;
        }
    }
}

std::wstring WinHTTPClient::DoReadData(const InternetHandle& request)
{
    // Read to the end, then convert once, so that no UTF-8 sequence is split between reads.
    std::string bytes;
    char block[65536];
    for (;;)
    {
        DWORD read = 0;
        if (!::WinHttpReadData(request.Get(), block, sizeof(block), &read))
        {
            const DWORD error = WinHttpError();
            ThrowError(L"WinHTTP: Failed to read data", error, KELVO_SITE);
        }
        if (read == 0)
        {
            break;
        }
        if (bytes.size() + read > LargestResponse)
        {
            ThrowError(L"WinHTTP: Failed to read data", ERROR_INSUFFICIENT_BUFFER, KELVO_SITE);
        }
        bytes.append(block, read);
    }
    // A server that closes before the length it announced has cut the body short.
    DWORD announced = 0;
    DWORD size = sizeof(announced);
    if (::WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                              WINHTTP_HEADER_NAME_BY_INDEX, &announced, &size, WINHTTP_NO_HEADER_INDEX) &&
        bytes.size() < announced)
    {
        ThrowError(L"WinHTTP: Failed to read data", ERROR_WINHTTP_CONNECTION_ERROR, KELVO_SITE);
    }
    return CodePageText(CP_UTF8, bytes);
}

void WinHTTPClient::ExecuteSendRequestLoop(const InternetHandle& request)
{
    // At most one retry: once a scheme is chosen, a second 407 ends the loop.
    for (;;)
    {
        DoSendRequest(request, m_state->headers.str(), m_state->body);
        DoReceiveResponse(request);
        const unsigned int status = GetHttpStatusCode();
        if (status == HTTPP_SUCCESS_STATUS)
        {
            m_state->response = DoReadData(request);
            return;
        }
        if (status != HTTPP_PROXYAUTH_ERROR || m_state->proxyAuthScheme != 0)
        {
            return;
        }
        DoReadAuthScheme(request);
    }
}

} // namespace Utilities
} // namespace Kelvo
