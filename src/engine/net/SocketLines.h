#pragma once

#include <string>
#include <string_view>

class QIODevice;

namespace vortalux {

// Sends the text followed by CR LF and pushes it out at once, so each line of a request leaves
// as its own send. A failure to send is ignored: the reply (or its absence) tells.
void SendLine(QIODevice& socket, std::string_view text);

// Removes the first line from the buffer and returns it: the text before the first CR LF, the
// buffer keeping what follows. Without a CR LF the whole buffer is the line.
std::string TakeLine(std::string& buffer);

} // namespace vortalux
