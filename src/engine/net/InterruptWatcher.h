#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <signal.h>

class QSocketNotifier;

namespace vortalux {

// Turns Ctrl-C (SIGINT) into a call on the thread's event loop while the object lives, so a
// waiting download can be ended the way Esc ends it in a window. The signal handler only writes
// one byte into a pipe; the event loop reads the bytes and calls back once for each, so every
// delivered signal counts, also when several arrive before the loop runs. One watcher at a time.
class InterruptWatcher : public QObject {
    Q_OBJECT

public:
    explicit InterruptWatcher(std::function<void()> onInterrupt, QObject* parent = nullptr);
    ~InterruptWatcher() override;
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

    bool IsActive() const { return m_notifier != nullptr; }

private:
    void OnSignalByte();

    std::function<void()> m_onInterrupt;
    int m_pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previousAction { };
};

} // namespace vortalux
