#pragma once

#include "UpdateServer.h"

#include <QThread>

#include <memory>
#include <string>

namespace vortalux::server {

// An UpdateServer on a thread of its own, listening on 127.0.0.1 at a free port: for tests and
// benchmarks whose client blocks the calling thread. Stopped and joined when the object goes.
class BackgroundServer {
public:
    explicit BackgroundServer(const ServerSettings& settings);
    ~BackgroundServer();
    BackgroundServer(const BackgroundServer&) = delete;
    BackgroundServer& operator=(const BackgroundServer&) = delete;

    // 0 when the server could not start; Error() says why.
    quint16 Port() const { return m_port; }
    const std::string& Error() const { return m_error; }

private:
    QThread m_thread;
    QObject* m_context;
    std::unique_ptr<UpdateServer> m_server;
    quint16 m_port = 0;
    std::string m_error;
};

} // namespace vortalux::server
