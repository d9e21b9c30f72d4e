// A small HTTP/1.1 server on 127.0.0.1 for the HTTP client's tests and benchmark: one thread,
// one connection at a time, "Connection: close" on every answer. It records every request as it
// arrived (head and body) and answers with the status and body it was given, or with raw bytes
// after which it may hold the connection open without a word. Requests that open with a TLS
// record, or end before their head does, are recorded as their first byte and dropped.
#pragma once

#include <winsock2.h>

#include <algorithm>
#include <atomic>
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
        m_thread = std::thread([this] { Serve(); });
    }

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
        SetRawReply("HTTP/1.1 " + std::to_string(status) + " Reply\r\nContent-Length: " + std::to_string(body.size()) +
                        "\r\nConnection: close\r\n\r\n" + body,
                    false);
    }

    // Exactly these bytes; with hold, the connection then stays open until the client closes it
    // or the server stops.
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
                Answer(connection);
                ::closesocket(connection);
            }
        }
    }

    // A TLS record's first byte, or a head and as many body bytes as its Content-Length says.
    static bool Complete(const std::string& request, std::size_t headEnd)
    {
        const std::size_t at = request.find("\r\nContent-Length: ");
        return request.rfind('\x16', 0) == 0 ||
               (headEnd != std::string::npos &&
                request.size() >= headEnd + 4 + (at < headEnd ? std::strtoul(request.c_str() + at + 18, nullptr, 10) : 0));
    }

    void Answer(SOCKET connection)
    {
        const DWORD timeout = 10000;
        ::setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
        std::string request;
        char block[65536];
        for (int got = 0; !Complete(request, request.find("\r\n\r\n")) && (got = ::recv(connection, block, sizeof(block), 0)) > 0;)
        {
            request.append(block, static_cast<std::size_t>(got));
        }
        std::string reply;
        bool hold = false;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            const std::size_t headEnd = request.find("\r\n\r\n");
            m_requests.push_back(request.rfind('\x16', 0) == 0 || headEnd == std::string::npos ? request.substr(0, 1) : request);
            if (m_requests.back().size() < 2)
            {
                return;
            }
            reply = m_reply;
            hold = m_hold;
        }
        int chunk = 1;
        for (std::size_t sent = 0; sent < reply.size() && chunk > 0; sent += static_cast<std::size_t>(std::max(chunk, 0)))
        {
            chunk = ::send(connection, reply.data() + sent, static_cast<int>(std::min<std::size_t>(reply.size() - sent, 1 << 20)), 0);
        }
        while (hold && !m_stop && chunk >= 0)
        {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(connection, &readable);
            timeval wait{0, 100000};
            if (::select(0, &readable, nullptr, nullptr, &wait) == 1)
            {
                chunk = ::recv(connection, block, sizeof(block), 0) > 0 ? 0 : -1;
            }
        }
        ::shutdown(connection, SD_SEND);
    }

    SOCKET m_listener = INVALID_SOCKET;
    unsigned short m_port = 0;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::string m_reply = "HTTP/1.1 200 Reply\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    bool m_hold = false;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};
