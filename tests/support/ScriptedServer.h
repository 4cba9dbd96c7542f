#pragma once

#include <QSslCertificate>
#include <QSslKey>
#include <QTcpServer>

#include <functional>
#include <string>
#include <vector>

class QTcpSocket;

namespace vortalux::test {

// What the server does on one connection once the request has arrived: each step waits, then
// writes its bytes; at the end the connection is closed or left open.
struct ServerReply {
    struct Step {
        int pauseMs = 0;
        std::string bytes;
    };
    std::vector<Step> steps;
    bool closeAtEnd = true;

    static ServerReply Whole(std::string bytes) { return {{{0, std::move(bytes)}}, true}; }
};

// A loopback HTTP(S) server that plays scripted replies and records every request it receives
// (its bytes as they arrived: the head, and the body a Content-Length announces). It runs on the
// thread that made it: its events are handled while the code under test waits in an event loop.
class ScriptedServer : public QTcpServer {
    Q_OBJECT

public:
    // Answers request number n (from 0) with whatever the responder makes of it.
    using Responder = std::function<ServerReply(int index, const std::string& request)>;

    explicit ScriptedServer(Responder responder);
    ~ScriptedServer() override;

    // Serves TLS with the test certificate from tests/data.
    void UseTls();
    // Listens on another port of the loopback address from now on (a fixed one, such as a
    // scheme's own); false when that port cannot be had.
    bool Relisten(quint16 port);

    quint16 Port() const { return serverPort(); }
    std::string Url(const std::string& pathAndQuery = "/") const;
    const std::vector<std::string>& Requests() const { return m_requests; }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void OnReadyRead(QTcpSocket* socket, std::string* received);
    void PlayStep(QTcpSocket* socket, ServerReply reply, size_t step);
    static bool IsComplete(const std::string& request);

    Responder m_responder;
    bool m_tls = false;
    QSslCertificate m_certificate;
    QSslKey m_key;
    std::vector<std::string> m_requests;
};

} // namespace vortalux::test
