// A small HTTP/1.1 server on 127.0.0.1 for the HTTP client's tests and benchmark: one thread,
// one connection at a time, "Connection: close" on every answer. It records every request as it
// arrived (head and body) and answers with the status and body it was given, or with raw bytes
// after which it may hold the connection open without a word (until the client closes it, or
// for ten seconds). A request that ends early is recorded as it came and not answered.
#pragma once

#include <winsock2.h>

#include <algorithm>
#include <cstdlib>
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
        m_thread = std::thread([this] {
            // Until the destructor closes the listener.
            for (SOCKET connection; (connection = ::accept(m_listener, nullptr, nullptr)) != INVALID_SOCKET;)
            {
                Answer(connection);
                ::closesocket(connection);
            }
        });
    }

    ~LoopbackHttpServer()
    {
        ::closesocket(m_listener);
        m_thread.join();
        ::WSACleanup();
    }

    unsigned short Port() const
    {
        return m_port;
    }

    std::wstring Url(const std::wstring& path) const
    {
        return L"http://127.0.0.1:" + std::to_wstring(m_port) + path;
    }

    void SetReply(int status, const std::string& body)
    {
        SetRawReply("HTTP/1.1 " + std::to_string(status) + " Reply\r\nContent-Length: " + std::to_string(body.size()) +
                        "\r\nConnection: close\r\n\r\n" + body,
                    false);
    }

    // Exactly these bytes; with hold, the connection then stays open.
    void SetRawReply(const std::string& bytes, bool hold)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_reply = bytes;
        m_hold = hold;
    }

    std::vector<std::string> Requests()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

private:
    // A head and as many body bytes as its Content-Length says.
    static bool Complete(const std::string& request)
    {
        const std::size_t headEnd = request.find("\r\n\r\n"), at = request.find("\r\nContent-Length: ");
        return headEnd != std::string::npos &&
               request.size() >= headEnd + 4 + (at < headEnd ? std::strtoul(request.c_str() + at + 18, nullptr, 10) : 0);
    }

    void Answer(SOCKET connection)
    {
        const DWORD timeout = 10000;
        ::setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
        std::string request;
        char block[65536];
        for (int got = 0; !Complete(request) && (got = ::recv(connection, block, sizeof(block), 0)) > 0;)
        {
            request.append(block, static_cast<std::size_t>(got));
        }
        // Held while answering: the tests look at the server only between requests.
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(request);
        int chunk = Complete(request) ? 1 : -1;
        for (std::size_t sent = 0; sent < m_reply.size() && chunk > 0; sent += static_cast<std::size_t>(chunk))
        {
            chunk = ::send(connection, m_reply.data() + sent, static_cast<int>(std::min<std::size_t>(m_reply.size() - sent, 1 << 20)), 0);
        }
        while (m_hold && chunk >= 0 && ::recv(connection, block, sizeof(block), 0) > 0)
        {
            // held until the client closes, or for as long as a receive waits
        }
        ::shutdown(connection, SD_SEND);
    }

    SOCKET m_listener = INVALID_SOCKET;
    unsigned short m_port = 0;
    std::mutex m_mutex;
    std::string m_reply = "HTTP/1.1 200 Reply\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    bool m_hold = false;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};
