#include "LoopbackHttpServer.h"

#include "AsciiText.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace vortalux::test {

namespace {

int ListenOnLoopback(uint16_t& port)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0)
        throw std::runtime_error("socket failed");
    const int yes = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(listener, 16) != 0
        || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listener);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port = ntohs(address.sin_port);
    return listener;
}

bool SendAll(int connection, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t sent = ::send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

} // namespace

std::string RecordedRequest::Header(std::string_view name) const
{
    for (const std::string& line : headers) {
        const size_t colon = line.find(':');
        if (colon != std::string::npos && EqualsNoCase(std::string_view(line).substr(0, colon), name)) {
            const size_t start = line.find_first_not_of(' ', colon + 1);
            return start == std::string::npos ? std::string() : line.substr(start);
        }
    }
    return {};
}

LoopbackHttpServer::LoopbackHttpServer(Responder responder)
    : m_responder(std::move(responder))
{
    m_listener = ListenOnLoopback(m_port);
    m_thread = std::thread([this] { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    m_stop = true;
    m_thread.join();
    ::close(m_listener);
}

std::string LoopbackHttpServer::Url(std::string_view pathAndQuery) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + std::string(pathAndQuery);
}

std::vector<RecordedRequest> LoopbackHttpServer::Requests() const
{
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

bool LoopbackHttpServer::WaitForRequests(size_t count, double seconds) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        {
            const std::lock_guard lock(m_mutex);
            if (m_requests.size() >= count)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::string LoopbackHttpServer::Response(int status, std::string_view body, std::string_view contentType)
{
    const char* reason = status == 200 ? "OK" : status == 404 ? "Not Found" : "Status";
    return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\nContent-Type: "
        + std::string(contentType) + "\r\nContent-Length: " + std::to_string(body.size())
        + "\r\nConnection: close\r\n\r\n" + std::string(body);
}

void LoopbackHttpServer::Serve()
{
    while (!m_stop) {
        pollfd waiting {m_listener, POLLIN, 0};
        if (::poll(&waiting, 1, 20) <= 0)
            continue;
        const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        Handle(connection);
        ::close(connection);
    }
}

void LoopbackHttpServer::Handle(int connection)
{
    timeval timeout {5, 0};
    ::setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string received;
    size_t headerEnd = std::string::npos;
    char buffer[16384];
    while ((headerEnd = received.find("\r\n\r\n")) == std::string::npos) {
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0)
            return;
        received.append(buffer, static_cast<size_t>(got));
    }
    RecordedRequest request;
    const std::string head = received.substr(0, headerEnd);
    size_t lineStart = 0;
    bool first = true;
    while (lineStart <= head.size()) {
        size_t lineEnd = head.find("\r\n", lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = head.size();
        const std::string line = head.substr(lineStart, lineEnd - lineStart);
        if (first) {
            const size_t space = line.find(' ');
            request.method = line.substr(0, space);
            request.target = line.substr(space + 1, line.rfind(' ') - space - 1);
            first = false;
        } else {
            request.headers.push_back(line);
        }
        lineStart = lineEnd + 2;
    }
    const size_t length = std::strtoul(request.Header("Content-Length").c_str(), nullptr, 10);
    request.body = received.substr(headerEnd + 4);
    while (request.body.size() < length) {
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        request.body.append(buffer, static_cast<size_t>(got));
    }
    const std::string response = m_responder(request);
    {
        const std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
    }
    SendAll(connection, response);
}

uint16_t FreeLoopbackPort()
{
    uint16_t port = 0;
    ::close(ListenOnLoopback(port));
    return port;
}

} // namespace vortalux::test
