#include "RequestFramer.h"

#include "AsciiText.h"

#include <algorithm>
#include <charconv>

namespace vortalux::server {

namespace {

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

} // namespace

RequestFramer::Verdict RequestFramer::Refuse(int status, std::string reason)
{
    m_state = State::Refused;
    m_refusalStatus = status;
    m_refusalReason = std::move(reason);
    m_header.clear();
    m_header.shrink_to_fit();
    return Verdict::Refuse;
}

RequestFramer::Verdict RequestFramer::Feed(std::string_view bytes)
{
    while (!bytes.empty()) {
        switch (m_state) {
        case State::Refused:
            return Verdict::Refuse;
        case State::BeforeRequest:
            if (bytes.front() == '\r' || bytes.front() == '\n') {
                bytes.remove_prefix(1);
                break;
            }
            m_state = State::Header;
            break;
        case State::Header: {
            // The block ends at the first empty line; LF alone ends a line as CR LF does.
            const char c = bytes.front();
            bytes.remove_prefix(1);
            if (m_header.size() >= m_limits.maxHeaderBytes)
                return Refuse(431, "header block too large");
            m_header += c;
            if (c != '\n')
                break;
            const size_t size = m_header.size();
            const bool ended = (size >= 2 && m_header[size - 2] == '\n')
                || (size >= 3 && m_header[size - 2] == '\r' && m_header[size - 3] == '\n');
            if (ended && EndOfHeader() == Verdict::Refuse)
                return Verdict::Refuse;
            break;
        }
        case State::Body: {
            const auto taken = static_cast<size_t>(std::min<uint64_t>(m_bodyLeft, bytes.size()));
            bytes.remove_prefix(taken);
            m_bodyLeft -= taken;
            if (m_bodyLeft == 0) {
                ++m_completed;
                m_state = State::BeforeRequest;
            }
            break;
        }
        }
    }
    return m_state == State::Refused ? Verdict::Refuse : Verdict::Continue;
}

RequestFramer::Verdict RequestFramer::EndOfHeader()
{
    bool lengthSeen = false;
    uint64_t length = 0;
    size_t from = m_header.find('\n');
    while (from != std::string::npos && from + 1 < m_header.size()) {
        const size_t end = m_header.find('\n', from + 1);
        const std::string_view line = std::string_view(m_header).substr(from + 1, end - from - 1);
        from = end;
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        const std::string_view name = line.substr(0, colon);
        const std::string_view value = TrimBlanks(line.substr(colon + 1));
        if (EqualsNoCase(name, "transfer-encoding"))
            return Refuse(501, "chunked bodies are not taken");
        if (!EqualsNoCase(name, "content-length"))
            continue;
        uint64_t parsed = 0;
        const auto [end2, error] = std::from_chars(value.data(), value.data() + value.size(), parsed);
        if (value.empty() || error != std::errc() || end2 != value.data() + value.size())
            return Refuse(400, "malformed Content-Length");
        if (lengthSeen && parsed != length)
            return Refuse(400, "conflicting Content-Length");
        lengthSeen = true;
        length = parsed;
    }
    if (length > m_limits.maxBodyBytes)
        return Refuse(413, "body too large");
    m_header.clear();
    m_bodyLeft = length;
    if (length == 0) {
        ++m_completed;
        m_state = State::BeforeRequest;
    } else {
        m_state = State::Body;
    }
    return Verdict::Continue;
}

} // namespace vortalux::server
