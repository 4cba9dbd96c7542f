#pragma once

#include <string>
#include <string_view>

namespace vortalux {

enum class LineBreaks {
    Escape, // a text that must stay on its line: a name, an address, a status
    Keep, // a text of several lines (a message): CR LF and LF end a line, a lone CR is escaped
};

// Bytes from a page, a rule, a script or a server as they may reach a terminal: nothing in them
// can move the cursor, change colours or send the terminal an escape sequence. Every control
// byte (0x00-0x1F), DEL, the C1 control characters U+0080-U+009F written in UTF-8, and a byte
// 0x80-0x9F that is not part of valid UTF-8 (which a terminal reading 8-bit codes takes for a C1
// control) is shown as "\xHH", one escape per byte. Valid UTF-8 and the other bytes pass as they
// are. A backslash stays itself: the escapes are for the eye, exact bytes are in JSON output.
std::string TerminalText(std::string_view bytes, LineBreaks lineBreaks = LineBreaks::Escape);

} // namespace vortalux
