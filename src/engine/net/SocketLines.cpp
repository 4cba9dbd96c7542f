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

} // namespace vortalux
