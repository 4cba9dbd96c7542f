#include "NativeMessageFramer.h"

#include <algorithm>
#include <cstring>

namespace vortalux {

namespace {

// A claimed length reserves at most this much before the bytes arrive.
constexpr size_t ReserveAhead = 64 * 1024;

} // namespace

bool NativeMessageFramer::Feed(std::string_view bytes, std::vector<std::string>& messages)
{
    while (m_error.empty() && !bytes.empty()) {
        if (!m_inBody) {
            const size_t take = std::min(bytes.size(), 4 - m_prefix.size());
            m_prefix.append(bytes.substr(0, take));
            bytes.remove_prefix(take);
            if (m_prefix.size() < 4)
                break;
            std::memcpy(&m_length, m_prefix.data(), 4);
            m_prefix.clear();
            if (m_length > MaxMessageBytes) {
                m_error = "a message of " + std::to_string(m_length) + " bytes is longer than the limit of "
                    + std::to_string(MaxMessageBytes) + " bytes";
                break;
            }
            m_inBody = true;
            m_body.clear();
            m_body.reserve(std::min<size_t>(m_length, ReserveAhead));
        }
        const size_t take = std::min(bytes.size(), m_length - m_body.size());
        m_body.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (m_body.size() == m_length) {
            messages.push_back(std::move(m_body));
            m_body = std::string();
            m_inBody = false;
        }
    }
    return m_error.empty();
}

bool NativeMessageFramer::Finish()
{
    if (!m_error.empty())
        return false;
    if (m_inBody || !m_prefix.empty()) {
        m_error = m_inBody ? "the input ended inside a message: " + std::to_string(m_body.size()) + " of "
                + std::to_string(m_length) + " bytes arrived"
                           : "the input ended inside a message's length";
        return false;
    }
    return true;
}

std::string NativeMessageFramer::Frame(std::string_view body)
{
    const auto length = static_cast<uint32_t>(body.size());
    std::string frame(4, '\0');
    std::memcpy(frame.data(), &length, 4);
    frame.append(body);
    return frame;
}

} // namespace vortalux
