#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vortalux::test {

// One request as the server received it.
struct RecordedRequest {
    std::string method;
    std::string target;
    // The header lines as sent, "Name: value" each, without the request line.
    std::vector<std::string> headers;
    std::string body;

    // The value of the first header `name` (any letter case), empty when absent.
    std::string Header(std::string_view name) const;
};

// A plain HTTP/1.1 server on 127.0.0.1 and a free port, on its own thread, so that in-process
// scripts and outside programs (wget, curl, aria2c) alike can reach it. One connection at a
// time; every answer closes the connection. Records each request.
class LoopbackHttpServer {
public:
    // Makes the whole response (status line, headers and body) for a request.
    using Responder = std::function<std::string(const RecordedRequest&)>;

    explicit LoopbackHttpServer(Responder responder);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    uint16_t Port() const { return m_port; }
    std::string Url(std::string_view pathAndQuery = "/") const;
    std::vector<RecordedRequest> Requests() const;
    // Waits up to `seconds` until `count` requests arrived; answers whether they did.
    bool WaitForRequests(size_t count, double seconds) const;

    // "HTTP/1.1 status reason" with Content-Type, Content-Length and Connection: close.
    static std::string Response(
        int status, std::string_view body, std::string_view contentType = "text/plain");

private:
    void Serve();
    void Handle(int connection);

    Responder m_responder;
    int m_listener = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop {false};
    mutable std::mutex m_mutex;
    std::vector<RecordedRequest> m_requests;
    std::thread m_thread;
};

// A TCP port on 127.0.0.1 that was free a moment ago, for programs that take a port to listen on.
uint16_t FreeLoopbackPort();

} // namespace vortalux::test
