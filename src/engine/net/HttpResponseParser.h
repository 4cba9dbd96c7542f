#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vortalux {

// Reads one HTTP/1.x response as it arrives from a socket, in pieces of any size. The status line
// and the header block are collected until the empty line that ends them, however many reads they
// take, so header text never ends up in the body. Only what the page fetcher needs is kept: the
// status code, the Location of a redirect and, for a 200 response, the body.
class HttpResponseParser {
public:
    enum class State {
        Incomplete, // the header block has not ended yet
        Body, // a 200 response: everything after the header is body
        BodyFull, // the body reached the size limit; further data is dropped
        Redirect, // 301, 302, 303, 307 or 308 with a Location
        Rejected, // not an HTTP/1.x response, another status, or a header past its limit
    };

    // Why a response was rejected.
    enum class Rejection {
        None,
        NotHttp, // it does not start with "HTTP/1."
        HeaderTooLarge,
        Status, // a status other than 200, or a redirect without a usable Location
    };

    static constexpr size_t DefaultMaxHeaderSize = 256 * 1024;
    static constexpr size_t DefaultMaxBodySize = 64 * 1024 * 1024;

    explicit HttpResponseParser(
        size_t maxBodySize = DefaultMaxBodySize, size_t maxHeaderSize = DefaultMaxHeaderSize);

    // Takes the next piece of the response and answers the state after it. Once the state is
    // Redirect, Rejected or BodyFull nothing more is taken.
    State Feed(std::string_view data);

    State GetState() const { return m_state; }
    Rejection GetRejection() const { return m_rejection; }
    bool HeaderComplete() const { return m_headerEnded; }
    // The text of the status line from its 10th character up to the next space: "200" for
    // "HTTP/1.1 200 OK" and for "HTTP/1.0 200".
    const std::string& Code() const { return m_code; }
    // The value of the last Location header, blanks around it removed. A Location holding a
    // control byte (a bare CR, say) is a broken header line and is ignored like one.
    const std::string& Location() const { return m_location; }
    const std::string& Body() const { return m_body; }
    std::string TakeBody() { return std::move(m_body); }

private:
    State FeedHeader(std::string_view& data);
    State Reject(Rejection why);
    void ParseHeaderBlock();
    State AppendBody(std::string_view data);
    void ReserveBody(size_t capacity);
    void GrowBody(size_t needed);

    size_t m_maxBodySize;
    size_t m_maxHeaderSize;
    State m_state = State::Incomplete;
    Rejection m_rejection = Rejection::None;
    bool m_headerEnded = false;
    std::string m_header;
    // Where the line being collected starts in m_header, for spotting the empty line.
    size_t m_lineStart = 0;
    std::string m_code;
    std::string m_location;
    std::string m_body;
};

} // namespace vortalux
