#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vortalux::server {

// Follows the requests of one connection byte by byte, ahead of the HTTP library, so that limits
// hold before anything is buffered: a header block longer than its limit, a Content-Length above
// the body limit, a body sent in chunks (the chunk sizes would slip past the limit; the client
// never sends one) or a broken Content-Length ends the connection with the reason kept here.
// Several requests may follow one another on a connection; CR and LF before a request line are
// skipped, as the client's CR LF after each body is.
class RequestFramer {
public:
    struct Limits {
        size_t maxHeaderBytes = 16 * 1024;
        uint64_t maxBodyBytes = 1024 * 1024;
    };
    enum class Verdict { Continue, Refuse };

    explicit RequestFramer(Limits limits)
        : m_limits(limits)
    {
    }

    // Takes the next bytes of the connection. Once Refuse has been answered, every later call
    // answers it again.
    [[nodiscard]] Verdict Feed(std::string_view bytes);

    // After Refuse: the HTTP status and the reason, for the reply that ends the connection.
    int RefusalStatus() const { return m_refusalStatus; }
    const std::string& RefusalReason() const { return m_refusalReason; }
    // Requests whose header block and whole body have gone past.
    uint64_t CompletedRequests() const { return m_completed; }

private:
    enum class State { BeforeRequest, Header, Body, Refused };

    Verdict Refuse(int status, std::string reason);
    // The header block in m_header is complete: reads its Content-Length and Transfer-Encoding.
    Verdict EndOfHeader();

    Limits m_limits;
    State m_state = State::BeforeRequest;
    std::string m_header;
    uint64_t m_bodyLeft = 0;
    uint64_t m_completed = 0;
    int m_refusalStatus = 0;
    std::string m_refusalReason;
};

} // namespace vortalux::server
