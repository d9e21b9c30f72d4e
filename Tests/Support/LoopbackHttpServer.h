//
// LoopbackHttpServer.h
//
// A small HTTP/1.1 server on 127.0.0.1 for the HTTP client's tests and benchmark: one thread,
// one connection at a time, "Connection: close" on every answer. It records every request as it
// arrived (head and body) and answers with the status and body it was given. Told to demand
// proxy credentials, it answers 407 to every request without the expected Proxy-Authorization,
// standing in for an authenticating forward proxy. Requests that open with a TLS record are
// recorded as the single byte 0x16 and dropped.
//
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LoopbackHttpServer
{
public:
    LoopbackHttpServer()
    {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        m_listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof(address);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(m_listener, 16);
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }

    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    ~LoopbackHttpServer()
    {
        m_stop = true;
        m_thread.join();
        ::closesocket(m_listener);
        ::WSACleanup();
    }

    unsigned short Port() const
    {
        return m_port;
    }

    void SetReply(int status, const std::string& body)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_status = status;
        m_body = body;
    }

    // credentials: the Base64 of user:password; empty to serve as an origin server again.
    void DemandProxyCredentials(const std::string& credentials)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_credentials = credentials;
    }

    std::vector<std::string> Requests()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

private:
    void Serve()
    {
        // Bounded waits, so that the destructor's stop is seen within a tenth of a second.
        while (!m_stop)
        {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(m_listener, &readable);
            timeval wait{0, 100000};
            if (::select(0, &readable, nullptr, nullptr, &wait) == 1)
            {
                const SOCKET connection = ::accept(m_listener, nullptr, nullptr);
                if (connection != INVALID_SOCKET)
                {
                    Answer(connection);
                    ::closesocket(connection);
                }
            }
        }
    }

    void Answer(SOCKET connection)
    {
        const DWORD timeout = 10000;
        ::setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
        std::string request;
        std::size_t headEnd = std::string::npos;
        while (headEnd == std::string::npos)
        {
            if (!Receive(connection, request) || request[0] == '\x16')
            {
                Record(request.substr(0, 1));
                return;
            }
            headEnd = request.find("\r\n\r\n");
        }
        const std::size_t length = ContentLength(request.substr(0, headEnd + 2));
        while (request.size() < headEnd + 4 + length && Receive(connection, request))
        {
        }
        Record(request);
        std::string head;
        std::string body;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            const bool authorised = m_credentials.empty() ||
                                    request.find("\r\nProxy-Authorization: Basic " + m_credentials + "\r\n") < headEnd;
            if (authorised)
            {
                head = "HTTP/1.1 " + std::to_string(m_status) + (m_status == 200 ? " OK" : " Failed") + "\r\n";
                body = m_body;
            }
            else
            {
                head = "HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic realm=\"kelvo\"\r\n";
            }
        }
        head += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
        Send(connection, head + body);
        ::shutdown(connection, SD_SEND);
    }

    static bool Receive(SOCKET connection, std::string& into)
    {
        char block[65536];
        const int received = ::recv(connection, block, sizeof(block), 0);
        if (received <= 0)
        {
            return false;
        }
        into.append(block, static_cast<std::size_t>(received));
        return true;
    }

    static void Send(SOCKET connection, const std::string& bytes)
    {
        for (std::size_t sent = 0; sent < bytes.size();)
        {
            const int chunk = ::send(connection, bytes.data() + sent, static_cast<int>(std::min<std::size_t>(bytes.size() - sent, 1 << 20)), 0);
            if (chunk <= 0)
            {
                return;
            }
            sent += static_cast<std::size_t>(chunk);
        }
    }

    static std::size_t ContentLength(const std::string& head)
    {
        const std::string name = "\r\ncontent-length: ";
        std::string lower = head;
        for (char& c : lower)
        {
            c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
        }
        const std::size_t at = lower.find(name);
        return at == std::string::npos ? 0 : std::stoul(head.substr(at + name.size()));
    }

    void Record(const std::string& request)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(request);
    }

    SOCKET m_listener = INVALID_SOCKET;
    unsigned short m_port = 0;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    int m_status = 200;
    std::string m_body;
    std::string m_credentials;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};
