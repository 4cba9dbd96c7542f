#include "EngineQueue.h"

#include "ApplicationScope.h"
#include "NativeMessageFramer.h"
#include "VTL.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMetaObject>

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <memory>
#include <thread>
#include <vector>

namespace vortalux {

void EngineQueue::Add(HostRequest request)
{
    m_pending.push_back(std::move(request));
    RunPending();
}

void EngineQueue::InputEnded()
{
    m_inputEnded = true;
    RunPending();
}

void EngineQueue::RunPending()
{
    // Called again from the event loop of a window while a call runs: the loop below takes the
    // new request when that call is over.
    if (m_running)
        return;
    m_running = true;
    while (!m_pending.empty()) {
        const HostRequest request = std::move(m_pending.front());
        m_pending.pop_front();
        if (request.command == HostRequest::Command::AddUrl)
            m_engine.AddUrl(request.url, request.desc, request.referer);
        else if (request.command == HostRequest::Command::AddUrlList)
            m_engine.AddUrlList(request.urlList);
    }
    m_running = false;
    if (m_inputEnded)
        QCoreApplication::quit();
}

namespace {

// Reads the requests the host's front passes and hands each to the queue on the application's
// thread. The front has checked them; they are checked again, as everything that crosses a
// process boundary is.
void ReadRequests(EngineQueue& queue)
{
    NativeMessageFramer framer;
    std::vector<std::string> messages;
    std::vector<char> buffer(64 * 1024);
    QCoreApplication* application = QCoreApplication::instance();
    while (true) {
        const ssize_t got = ::read(STDIN_FILENO, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        messages.clear();
        const bool delimited
            = framer.Feed(std::string_view(buffer.data(), static_cast<size_t>(got)), messages);
        for (const std::string& message : messages) {
            HostRequest request;
            std::string error;
            if (!DecodeHostRequest(message, request, error)) {
                std::cerr << "vortalux-native-host: " << error << '\n';
                continue;
            }
            QMetaObject::invokeMethod(
                application,
                [&queue, request = std::move(request)]() mutable { queue.Add(std::move(request)); },
                Qt::QueuedConnection);
        }
        if (!delimited) {
            std::cerr << "vortalux-native-host: " << framer.Error() << '\n';
            break;
        }
    }
    QMetaObject::invokeMethod(
        application, [&queue] { queue.InputEnded(); }, Qt::QueuedConnection);
}

} // namespace

int RunEngineQueue(int argc, char** argv)
{
    // Standard error may be a pipe of the browser that goes away with the front.
    ::signal(SIGPIPE, SIG_IGN);
    std::unique_ptr<QCoreApplication> application;
    if (ApplicationScope::DisplayAvailable()) {
        application = std::make_unique<QApplication>(argc, argv);
        // The engine's windows come and go with each request; the queue ends the application.
        QApplication::setQuitOnLastWindowClosed(false);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    VTL engine;
    EngineQueue queue(engine);
    std::thread reader([&queue] { ReadRequests(queue); });
    const int code = QCoreApplication::exec();
    reader.join();
    return code;
}

} // namespace vortalux
