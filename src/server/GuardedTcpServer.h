#pragma once

#include "RequestFramer.h"

#include <QTcpServer>

#include <chrono>

namespace vortalux::server {

// A plain TCP listener that puts a ConnectionGuard on each connection before the HTTP library
// takes it.
class GuardedTcpServer : public QTcpServer {
    Q_OBJECT
public:
    GuardedTcpServer(
        RequestFramer::Limits limits, std::chrono::milliseconds idleLimit, QObject* parent = nullptr)
        : QTcpServer(parent)
        , m_limits(limits)
        , m_idleLimit(idleLimit)
    {
    }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    RequestFramer::Limits m_limits;
    std::chrono::milliseconds m_idleLimit;
};

} // namespace vortalux::server
