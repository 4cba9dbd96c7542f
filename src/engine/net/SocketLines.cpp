#include "SocketLines.h"

#include <QAbstractSocket>
#include <QIODevice>

namespace vortalux {

void SendLine(QIODevice& socket, std::string_view text)
{
    std::string line(text);
    line += "\r\n";
    socket.write(line.data(), static_cast<qint64>(line.size()));
    if (auto* network = qobject_cast<QAbstractSocket*>(&socket))
        network->flush();
}

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
