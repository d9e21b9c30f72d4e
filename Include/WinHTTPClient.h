#pragma once

#include "IWinHTTPClient.h"
#include "UtilitiesExport.h"

#include <HostApi/UniqueHandle.h>
#include <HostApi/WindowsTypes.h>

#include <memory>
#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// POST requests through WinHTTP, directly or through a proxy: the https entry of the interactive
/// user's browser settings, or a proxy named with its credentials. When the proxy asks for
/// authentication (407) the request is sent once more with the credentials. Synchronous; one
/// request at a time; every failure throws Exception with the WinHTTP error code, a body shorter
/// than its Content-Length included. Time-outs are Windows' documented defaults on every system:
/// connect 60 s, send 30 s, receive 30 s (waiting for the response's headers too), name
/// resolution unlimited. The Do... steps are virtual so that a derived class can replace any of
/// them.
/// Owns its session settings, headers, body and last response; each request's handles live for
/// that request only. Example: Examples/http.cpp
class KELVO_UTILITIES_API WinHTTPClient : public IWinHTTPClient
{
public:
    /// A session, connection or request handle; closed with WinHttpCloseHandle. Code that
    /// destroys one links winhttp. A class of its own rather than an alias, so that the exported
    /// Do... steps name WinHTTPClient::InternetHandle.
    class InternetHandle
        : public HostApi::UniqueHandle<
              HostApi::HandleTraits<HINTERNET, &::WinHttpCloseHandle, HostApi::InvalidHandleValue::Null>>
    {
    public:
        /// Takes a handle (null: none).
        using UniqueHandle::UniqueHandle;
    };

    /// With useBrowserProxy, the https proxy of the active user's browser settings, if there is
    /// one and it can be opened; otherwise no proxy.
    explicit WinHTTPClient(bool useBrowserProxy = true, std::wstring agent = L"Kelvo");
    /// Through proxyHost:proxyPort; user and password answer its authentication request.
    WinHTTPClient(const std::wstring& proxyHost, unsigned int proxyPort, const std::wstring& user,
                  const std::wstring& password, std::wstring agent);
    WinHTTPClient(const WinHTTPClient&) = delete;
    WinHTTPClient& operator=(const WinHTTPClient&) = delete;
    virtual ~WinHTTPClient();

    ///@{
    /// "name: value" and CR LF. An empty name, or one with a colon, CR or LF, or a value with CR or
    /// LF, throws Exception "Invalid parameter!" (87): such text would add header lines of its own.
    void AddHeader(const std::wstring& name, int value) override;
    void AddHeader(const std::wstring& name, const std::wstring& value) override;
    ///@}
    void ClearHeaders() override;
    void SetCommandBody(const std::wstring& body) override;
    ///@{
    /// Sends the request, once more with the credentials after a 407, and keeps the status and, for
    /// 200, the body. Failures throw Exception with the WinHTTP error code; a url with a bad port
    /// throws as ParseUrl.
    void ExecutePostRequest(std::wstring url, std::wstring name) override;
    void ExecutePostRequest(std::wstring url) override;
    ///@}
    unsigned int GetHttpStatusCode() override;
    std::wstring GetHttpResponse() override;

    /// The https entry ("https=host:port") of the active user's browser proxy list; empty when
    /// there is none or the settings cannot be read. The calling thread impersonates that user
    /// while it reads them and reverts on every path; a failed revert throws Exception.
    static std::wstring GetProxyNameFromIE();
    /// Splits scheme://host[:port][/path]; every out-pointer may be null. The port is 0 when the
    /// url names none, the path is left unchanged when it has none. A port that is not a number
    /// throws std::invalid_argument, one outside 0 to 65535 std::out_of_range.
    static void ParseUrl(const std::wstring& url, std::wstring* scheme, std::wstring* host, std::wstring* path,
                         unsigned short* port);

protected:
    /// A session with agent, through proxy (empty: none); throws Exception with the WinHTTP code.
    virtual InternetHandle DoOpenWithProxy(const std::wstring& proxy, const std::wstring& agent);
    /// A connection of session to host:port; throws as DoOpenWithProxy.
    virtual InternetHandle DoConnect(const InternetHandle& session, const std::wstring& host, unsigned short port);
    /// A request of connection for verb and path, over TLS when secure; throws as DoOpenWithProxy.
    virtual InternetHandle DoOpenRequest(const InternetHandle& connection, const std::wstring& path,
                                         const std::wstring& verb, bool secure);
    /// Sends headers (lines ending CR LF) and body; throws as DoOpenWithProxy.
    virtual void DoSendRequest(const InternetHandle& request, const std::wstring& headers, std::vector<char>& body);
    /// Stores the status of the response (0 when it cannot be read).
    virtual void DoReceiveResponse(const InternetHandle& request);
    /// Chooses the proxy authentication scheme for the next sends.
    virtual void DoReadAuthScheme(const InternetHandle& request);
    /// The whole response body as text (UTF-8 on the wire).
    virtual std::wstring DoReadData(const InternetHandle& request);

private:
    struct State;

    void ExecuteSendRequestLoop(const InternetHandle& request);

    std::unique_ptr<State> m_state;
};

} // namespace Utilities
} // namespace Kelvo
