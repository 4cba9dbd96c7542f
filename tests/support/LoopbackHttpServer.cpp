#include "LoopbackHttpServer.h"

#include "AsciiText.h"
#include "ScriptedServer.h"

#include <QEventLoop>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
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

RecordedRequest RecordedRequest::Parse(const std::string& raw)
{
    RecordedRequest request;
    request.raw = raw;
    const size_t headerEnd = raw.find("\r\n\r\n");
    const std::string head = raw.substr(0, headerEnd);
    if (headerEnd != std::string::npos)
        request.body = raw.substr(headerEnd + 4);
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
    return request;
}

LoopbackHttpServer::LoopbackHttpServer(Responder responder)
    : m_responder(std::move(responder))
{
    bool failed = false;
    m_thread.reset(QThread::create([this, &failed] {
        std::unique_ptr<ScriptedServer> server;
        try {
            server = std::make_unique<ScriptedServer>([this](int, const std::string& raw) {
                RecordedRequest request = RecordedRequest::Parse(raw);
                ServerReply reply = ServerReply::Whole(m_responder(request));
                const std::lock_guard lock(m_mutex);
                m_requests.push_back(std::move(request));
                m_changed.notify_all();
                return reply;
            });
        } catch (const std::exception&) {
            failed = true;
        }
        {
            const std::lock_guard lock(m_mutex);
            if (server)
                m_port = server->Port();
            m_changed.notify_all();
        }
        if (server) {
            QEventLoop loop;
            loop.exec(); // until the thread's quit()
        }
    }));
    m_thread->start();
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_port != 0 || failed; });
    if (failed) {
        lock.unlock();
        m_thread->wait();
        throw std::runtime_error("the loopback server cannot listen");
    }
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    m_thread->quit();
    m_thread->wait();
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
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(
        lock, std::chrono::duration<double>(seconds), [&] { return m_requests.size() >= count; });
}

std::string LoopbackHttpServer::Response(int status, std::string_view body, std::string_view contentType)
{
    const char* reason = status == 200 ? "OK" : status == 404 ? "Not Found" : "Status";
    return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\nContent-Type: "
        + std::string(contentType) + "\r\nContent-Length: " + std::to_string(body.size())
        + "\r\nConnection: close\r\n\r\n" + std::string(body);
}

uint16_t FreeLoopbackPort()
{
    uint16_t port = 0;
    ::close(ListenOnLoopback(port));
    return port;
}

} // namespace vortalux::test
