#include "ServerReplyParser.h"

#include "AsciiText.h"
#include "SocketLines.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace vortalux {

namespace {

constexpr std::string_view StatusLinePrefix = "HTTP/1.";
constexpr std::string_view HeaderEnd = "\r\n\r\n";

// The decimal number at the start of the text after leading blanks; nothing when there are no
// digits. A number past the type's range stays at its largest value: no body can reach it.
std::optional<std::int64_t> LeadingNumber(std::string_view text)
{
    text = TrimBytes(text, " \t");
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            break;
        const int digit = c - '0';
        if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10)
            return std::numeric_limits<std::int64_t>::max();
        value = value * 10 + digit;
    }
    return value;
}

} // namespace

ServerReplyParser::ServerReplyParser(size_t maxReplySize, size_t maxHeaderSize)
    : m_maxReplySize(maxReplySize)
    , m_maxHeaderSize(maxHeaderSize)
{
}

ServerReplyParser::State ServerReplyParser::Feed(std::string_view data)
{
    if (m_state == State::Header)
        m_state = FeedHeader(data);
    if (m_state == State::Body)
        m_state = AppendBody(data);
    return m_state;
}

ServerReplyParser::State ServerReplyParser::EndOfData()
{
    if (m_state == State::Header)
        m_state = State::HeaderCut;
    else if (m_state == State::Body)
        m_state = m_hasContentLength ? State::Incomplete : State::Complete;
    return m_state;
}

ServerReplyParser::State ServerReplyParser::FeedHeader(std::string_view& data)
{
    // The end may straddle two reads: the search starts a few bytes back.
    const size_t before = m_header.size();
    const size_t searchFrom = before < HeaderEnd.size() ? 0 : before - (HeaderEnd.size() - 1);
    // The header block, its closing empty line included, holds at most m_maxHeaderSize bytes,
    // however the reads split it.
    const size_t taken = std::min(data.size(), m_maxHeaderSize - before);
    m_header.append(data.substr(0, taken));
    const size_t end = m_header.find(HeaderEnd, searchFrom);

    // A reply that does not start like one is refused as soon as that is certain.
    const size_t known = std::min(m_header.size(), StatusLinePrefix.size());
    if (std::string_view(m_header).substr(0, known) != StatusLinePrefix.substr(0, known))
        return State::NotHttp;
    if (end == std::string::npos) {
        if (m_header.size() >= m_maxHeaderSize)
            return State::HeaderTooLarge;
        data = {};
        return State::Header;
    }
    // What follows the empty line in this read is the start of the body.
    data.remove_prefix(end + HeaderEnd.size() - before);
    m_header.resize(end + 2);
    ParseHeaderBlock();
    m_header = std::string();
    if (m_code != "200")
        return State::HttpStatus;
    if (m_hasContentLength && static_cast<std::uint64_t>(m_contentLength) > m_maxReplySize)
        return State::TooLarge;
    return State::Body;
}

void ServerReplyParser::ParseHeaderBlock()
{
    std::string block = std::move(m_header);
    const std::string statusLine = TakeLine(block);
    if (statusLine.size() > 9) {
        const std::string_view rest = std::string_view(statusLine).substr(9);
        m_code = std::string(rest.substr(0, rest.find(' ')));
    }
    while (!block.empty()) {
        const std::string line = TakeLine(block);
        if (line.empty())
            break;
        const size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        // The name as written, not trimmed: "Content-Length :" is another header.
        if (AsciiLowerCopy(std::string_view(line).substr(0, colon)) != "content-length")
            continue;
        const std::optional<std::int64_t> value = LeadingNumber(std::string_view(line).substr(colon + 1));
        m_contentLength = value.value_or(0);
        m_hasContentLength = value.has_value();
    }
}

ServerReplyParser::State ServerReplyParser::AppendBody(std::string_view data)
{
    const size_t room = m_maxReplySize - m_body.size();
    if (m_hasContentLength && data.size() > static_cast<std::uint64_t>(m_contentLength) - m_body.size()) {
        // Past the announced length (which the size limit allows): kept for the message only.
        m_body.append(data.substr(0, room));
        return State::Incomplete;
    }
    if (data.size() > room) {
        m_body.append(data.substr(0, room));
        return State::TooLarge;
    }
    m_body.append(data);
    return CheckLength();
}

ServerReplyParser::State ServerReplyParser::CheckLength()
{
    if (!m_hasContentLength)
        return State::Body;
    const auto length = static_cast<std::uint64_t>(m_contentLength);
    if (m_body.size() == length)
        return State::Complete;
    return m_body.size() > length ? State::Incomplete : State::Body;
}

} // namespace vortalux
