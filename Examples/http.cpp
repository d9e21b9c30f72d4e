// HTTP: a POST to a small server on 127.0.0.1 that this example runs itself (it answers with
// what it received), the status and body of the answer, and the error of a refused connection.
// Before windows.h, which Console.h brings in through the SDK's headers.
#include <winsock2.h>

#include "Console.h"

#include <string>
#include <thread>

using namespace Kelvo::Utilities;

namespace {

// Serves one request on a port of the loopback interface: reads the head and the body that its
// Content-Length announces, and answers 200 with "received: " and the body.
class OneRequestServer
{
public:
    OneRequestServer()
    {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        m_listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof(address);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(m_listener, 1);
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }

    ~OneRequestServer()
    {
        ::closesocket(m_listener);
        m_thread.join();
        ::WSACleanup();
    }

    unsigned short Port() const
    {
        return m_port;
    }

private:
    void Serve()
    {
        const SOCKET connection = ::accept(m_listener, nullptr, nullptr);
        if (connection == INVALID_SOCKET)
        {
            return;
        }
        std::string request;
        char buffer[4096];
        std::string::size_type headEnd = std::string::npos;
        std::size_t length = 0;
        for (int got; (got = ::recv(connection, buffer, sizeof(buffer), 0)) > 0;)
        {
            request.append(buffer, got);
            if (headEnd == std::string::npos && (headEnd = request.find("\r\n\r\n")) != std::string::npos)
            {
                const auto field = request.find("Content-Length: ");
                length = field < headEnd ? std::stoul(request.substr(field + 16)) : 0;
            }
            if (headEnd != std::string::npos && request.size() >= headEnd + 4 + length)
            {
                break;
            }
        }
        const std::string body = "received: " + request.substr(headEnd == std::string::npos ? request.size() : headEnd + 4);
        const std::string answer = "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
                                   std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        ::send(connection, answer.data(), static_cast<int>(answer.size()), 0);
        ::closesocket(connection);
    }

    SOCKET m_listener;
    unsigned short m_port = 0;
    std::thread m_thread;
};

} // namespace

int main()
{
    return RunExample([] {
        std::wstring url;
        {
            OneRequestServer server;
            url = L"http://127.0.0.1:" + std::to_wstring(server.Port()) + L"/orders";

            std::wstring scheme, host, path;
            unsigned short port = 0;
            WinHTTPClient::ParseUrl(url, &scheme, &host, &path, &port);
            Print("ParseUrl scheme, host, path", scheme + L", " + host + L", " + path);
            Print("ParseUrl port is the server's", port == server.Port() ? L"true" : L"false");

            // No proxy for the loopback server (true would use the user's browser proxy settings).
            WinHTTPClient client(false);
            client.AddHeader(L"Content-Type", L"text/plain; charset=utf-8");
            client.SetCommandBody(L"order 17: Gr\u00fc\u00dfe \u20ac"); // sent as UTF-8
            client.ExecutePostRequest(url);
            Print("status", client.GetHttpStatusCode());
            Print("response", client.GetHttpResponse());

            // Header text that would add header lines of its own is refused.
            try
            {
                client.AddHeader(L"X-Note", L"one\r\nInjected: yes");
            }
            catch (const Exception& e)
            {
                Print("a header value with CR LF", e.GetFullMessage());
            }
        }

        // The server is gone: the connection is refused, and the Exception carries WinHTTP's code.
        try
        {
            WinHTTPClient client(false);
            client.ExecutePostRequest(url);
        }
        catch (const Exception& e)
        {
            Print("POST to a closed port, error code (12029: cannot connect)", e.GetErrorCode());
        }
    });
}
