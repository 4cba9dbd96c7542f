#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux {

// Cuts the browsers' native-messaging stream into messages: each is a 32-bit length in the
// machine's byte order, then that many bytes. The input is hostile: a length past MaxMessageBytes
// is refused as soon as its four bytes are there, before any of the body is read or memory is
// set aside for it, and once the stream cannot be delimited the framer takes nothing more.
class NativeMessageFramer {
public:
    static constexpr uint32_t MaxMessageBytes = 64u * 1024 * 1024;

    // Appends the messages completed by `bytes` to `messages`. False once the stream cannot be
    // delimited (see Error()); bytes fed after that are ignored.
    [[nodiscard]] bool Feed(std::string_view bytes, std::vector<std::string>& messages);
    // At the end of the input: false when a message was cut short.
    [[nodiscard]] bool Finish();
    // Why the stream cannot be delimited; empty while it can.
    const std::string& Error() const { return m_error; }

    // `body` with its length in front.
    static std::string Frame(std::string_view body);

private:
    std::string m_prefix; // the length's bytes while fewer than four have arrived
    bool m_inBody = false;
    uint32_t m_length = 0;
    std::string m_body;
    std::string m_error;
};

} // namespace vortalux
