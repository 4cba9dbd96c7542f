// TakeLine works on plain bytes; it lives apart from SendLine so that Qt-free readers (and their
// fuzzers) share it with the sockets' code.
#include "SocketLines.h"

#include <utility>

namespace vortalux {

std::string TakeLine(std::string& buffer)
{
    const size_t end = buffer.find("\r\n");
    if (end == std::string::npos)
        return std::exchange(buffer, std::string());
    std::string line = buffer.substr(0, end);
    buffer.erase(0, end + 2);
    return line;
}

} // namespace vortalux
