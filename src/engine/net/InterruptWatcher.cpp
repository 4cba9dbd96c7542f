#include "InterruptWatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace vortalux {

namespace {

// Written from the signal handler, so a plain int (the pipe's write end).
volatile sig_atomic_t g_interruptWriteEnd = -1;

extern "C" void OnInterruptSignal(int)
{
    const int savedErrno = errno;
    const int writeEnd = g_interruptWriteEnd;
    if (writeEnd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = write(writeEnd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

InterruptWatcher::InterruptWatcher(std::function<void()> onInterrupt, QObject* parent)
    : QObject(parent)
    , m_onInterrupt(std::move(onInterrupt))
{
    if (g_interruptWriteEnd >= 0 || pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    g_interruptWriteEnd = m_pipe[1];
    struct sigaction action { };
    action.sa_handler = OnInterruptSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &m_previousAction);
    m_notifier = std::make_unique<QSocketNotifier>(m_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &InterruptWatcher::OnSignalByte);
}

InterruptWatcher::~InterruptWatcher()
{
    if (m_notifier == nullptr)
        return;
    sigaction(SIGINT, &m_previousAction, nullptr);
    g_interruptWriteEnd = -1;
    m_notifier.reset();
    close(m_pipe[0]);
    close(m_pipe[1]);
}

void InterruptWatcher::OnSignalByte()
{
    // One byte per delivered signal: two Ctrl-C that arrive before the loop runs are two calls.
    char bytes[64];
    ssize_t count = 0;
    while ((count = read(m_pipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i) {
            if (m_onInterrupt)
                m_onInterrupt();
        }
    }
}

} // namespace vortalux
