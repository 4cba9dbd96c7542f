#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class QThread;

namespace vortalux::test {

// One request as the server received it.
struct RecordedRequest {
    // The bytes as they arrived: request line, header lines and body.
    std::string raw;
    std::string method;
    std::string target;
    // The header lines as sent, "Name: value" each, without the request line.
    std::vector<std::string> headers;
    std::string body;

    // The value of the first header `name` (any letter case), empty when absent.
    std::string Header(std::string_view name) const;

    static RecordedRequest Parse(const std::string& raw);
};

// The ScriptedServer on a thread of its own, so that outside programs (wget, curl, aria2c) reach
// it while the test sleeps or blocks, and in-process scripts alike. Every answer is one whole
// response and closes the connection. Records each request.
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
    Responder m_responder;
    uint16_t m_port = 0;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<RecordedRequest> m_requests;
    std::unique_ptr<QThread> m_thread;
};

// A TCP port on 127.0.0.1 that was free a moment ago, for programs that take a port to listen on.
uint16_t FreeLoopbackPort();

} // namespace vortalux::test
