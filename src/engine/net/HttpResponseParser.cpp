#include "HttpResponseParser.h"

#include "AsciiText.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

#include <sys/mman.h>

namespace vortalux {

namespace {

constexpr std::uintptr_t HugePageSize = 2 * 1024 * 1024;
constexpr size_t MinBodyCapacity = 64 * 1024;
constexpr size_t LargeBodySize = 1024 * 1024;
constexpr size_t LargeBodyReservation = HttpResponseParser::DefaultMaxBodySize;
constexpr std::string_view StatusLinePrefix = "HTTP/1.";

// The optional white space around a header value is spaces and tabs only (RFC 9110), not the
// wider set of IsAsciiBlank.
std::string_view TrimBlanks(std::string_view text) { return TrimBytes(text, " \t"); }

std::string_view WithoutCarriageReturn(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

bool IsRedirectCode(std::string_view code)
{
    return code == "301" || code == "302" || code == "303" || code == "307" || code == "308";
}

} // namespace

HttpResponseParser::HttpResponseParser(size_t maxBodySize, size_t maxHeaderSize)
    : m_maxBodySize(maxBodySize)
    , m_maxHeaderSize(maxHeaderSize)
{
}

HttpResponseParser::State HttpResponseParser::Feed(std::string_view data)
{
    if (m_state == State::Incomplete) {
        m_state = FeedHeader(data);
        if (m_state != State::Body)
            return m_state;
    }
    if (m_state == State::Body)
        m_state = AppendBody(data);
    return m_state;
}

HttpResponseParser::State HttpResponseParser::FeedHeader(std::string_view& data)
{
    while (!data.empty()) {
        const char* newline = static_cast<const char*>(std::memchr(data.data(), '\n', data.size()));
        const size_t take = newline == nullptr ? data.size() : static_cast<size_t>(newline - data.data()) + 1;
        m_header.append(data.data(), take);
        data.remove_prefix(take);

        // A response that does not start like one is refused as soon as that is certain.
        const size_t known = std::min(m_header.size(), StatusLinePrefix.size());
        if (std::string_view(m_header).substr(0, known) != StatusLinePrefix.substr(0, known))
            return Reject(Rejection::NotHttp);
        if (m_header.size() > m_maxHeaderSize)
            return Reject(Rejection::HeaderTooLarge);
        if (newline == nullptr)
            break;

        const std::string_view line(m_header.data() + m_lineStart, m_header.size() - m_lineStart - 1);
        const bool emptyLine = WithoutCarriageReturn(line).empty();
        m_lineStart = m_header.size();
        if (emptyLine) {
            m_headerEnded = true;
            ParseHeaderBlock();
            if (m_code == "200")
                return State::Body;
            if (IsRedirectCode(m_code) && !m_location.empty())
                return State::Redirect;
            return Reject(Rejection::Status);
        }
    }
    return State::Incomplete;
}

HttpResponseParser::State HttpResponseParser::Reject(Rejection why)
{
    m_rejection = why;
    return State::Rejected;
}

void HttpResponseParser::ParseHeaderBlock()
{
    std::string_view rest(m_header);
    bool statusLine = true;
    size_t bodySizeHint = 0;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = WithoutCarriageReturn(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (statusLine) {
            statusLine = false;
            if (line.size() >= 10) {
                const std::string_view fromCode = line.substr(9);
                m_code = std::string(fromCode.substr(0, fromCode.find(' ')));
            }
            continue;
        }
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        const std::string_view name = line.substr(0, colon);
        const std::string_view value = TrimBlanks(line.substr(colon + 1));
        if (EqualsNoCase(name, "location")) {
            if (std::none_of(value.begin(), value.end(), IsAsciiControl))
                m_location = std::string(value);
        } else if (EqualsNoCase(name, "content-length")) {
            // Only a hint for reserving memory: the body still ends when the server closes.
            std::from_chars(value.data(), value.data() + value.size(), bodySizeHint);
        }
    }
    if (m_code == "200" && bodySizeHint > 0)
        ReserveBody(std::min(bodySizeHint, m_maxBodySize));
    m_header.clear();
    m_header.shrink_to_fit();
}

// Room for `capacity` bytes of body, in a fresh buffer when the present one is smaller. Pages of
// many megabytes are common enough that filling the body should not cost a page fault per
// 4 KiB: a large buffer asks the kernel for huge pages (where it offers them on request) before
// anything is copied into it.
void HttpResponseParser::ReserveBody(size_t capacity)
{
    if (capacity <= m_body.capacity())
        return;
    std::string grown;
    grown.reserve(capacity);
#ifdef MADV_HUGEPAGE
    if (capacity >= 4 * HugePageSize) {
        const auto start = reinterpret_cast<std::uintptr_t>(grown.data());
        const std::uintptr_t alignedStart = (start + HugePageSize - 1) & ~(HugePageSize - 1);
        const std::uintptr_t alignedEnd = (start + capacity) & ~(HugePageSize - 1);
        madvise(reinterpret_cast<void*>(alignedStart), alignedEnd - alignedStart, MADV_HUGEPAGE);
    }
#endif
    grown.append(m_body);
    m_body.swap(grown);
}

// A body without a (true) Content-Length grows by doubling while it is small. Past
// LargeBodySize it gets LargeBodyReservation (the whole default size limit) at once: the kernel
// backs memory only where it is written, so the unused rest costs address space, not memory,
// and the page is not copied again. Doubling on would copy a large page several times and hold
// the old and the new buffer at once, up to twice the page.
void HttpResponseParser::GrowBody(size_t needed)
{
    const size_t doubled = std::max({needed, m_body.capacity() * 2, MinBodyCapacity});
    const size_t capacity = needed > LargeBodySize ? std::max(doubled, LargeBodyReservation) : doubled;
    ReserveBody(std::min(capacity, m_maxBodySize));
}

HttpResponseParser::State HttpResponseParser::AppendBody(std::string_view data)
{
    const size_t room = m_maxBodySize - m_body.size();
    const size_t take = std::min(data.size(), room);
    if (m_body.size() + take > m_body.capacity())
        GrowBody(m_body.size() + take);
    m_body.append(data.data(), take);
    return m_body.size() == m_maxBodySize ? State::BodyFull : State::Body;
}

} // namespace vortalux
