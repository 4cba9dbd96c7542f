#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vortalux {

// Reads the update server's reply to one request as it arrives, in pieces of any size. The
// status line and the header block are collected until the empty line that ends them, however
// many reads they take; only a "200" reply has a body, and the body is complete when it holds
// as many bytes as the Content-Length header announced (the server need not close the
// connection), or, without that header, when the server closes it. A body that ends short of
// its Content-Length, or runs past it, is an incomplete transmission: never a silently cut file.
// (Bytes past the announced length are seen when they arrive with the last announced ones; once
// the body is complete, the exchange is over and nothing more is read.)
class ServerReplyParser {
public:
    enum class State {
        Header, // the header block has not ended yet
        Body, // a 200 reply whose body is still arriving
        Complete,
        NotHttp, // the reply does not start with "HTTP/1."
        HeaderTooLarge, // the header block, with its empty line, passes its size limit
        HttpStatus, // a status other than 200 (redirects included: none is followed)
        TooLarge, // the body would pass the size limit
        Incomplete, // the body ended short of its Content-Length, or ran past it
        HeaderCut, // the connection closed before the header block ended
    };

    static constexpr size_t DefaultMaxHeaderSize = 256 * 1024;
    static constexpr size_t DefaultMaxReplySize = 64 * 1024 * 1024;

    explicit ServerReplyParser(
        size_t maxReplySize = DefaultMaxReplySize, size_t maxHeaderSize = DefaultMaxHeaderSize);

    // Takes the next piece of the reply and answers the state after it. Once the state is
    // neither Header nor Body, nothing more is taken.
    State Feed(std::string_view data);
    // The server closed the connection: a body without Content-Length is complete, any other
    // open reply is cut.
    State EndOfData();

    State GetState() const { return m_state; }
    bool IsFinal() const { return m_state != State::Header && m_state != State::Body; }
    // The status line's text from its 10th character up to the next space.
    const std::string& Code() const { return m_code; }
    // The Content-Length value (the last such header, name in any letter case; digits after
    // leading blanks); 0 when none was seen or it held no number.
    std::int64_t ContentLength() const { return m_contentLength; }
    bool HasContentLength() const { return m_hasContentLength; }
    const std::string& ReplyText() const { return m_body; }
    std::string TakeReplyText() { return std::move(m_body); }

private:
    State FeedHeader(std::string_view& data);
    void ParseHeaderBlock();
    State AppendBody(std::string_view data);
    State CheckLength();

    size_t m_maxReplySize;
    size_t m_maxHeaderSize;
    State m_state = State::Header;
    std::string m_header;
    std::string m_code;
    std::int64_t m_contentLength = 0;
    bool m_hasContentLength = false;
    std::string m_body;
};

} // namespace vortalux
