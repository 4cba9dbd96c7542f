#pragma once

#include <string>
#include <string_view>

#include <sys/types.h>

namespace vortalux {

// The process that runs the engine for the host: this program again, started on the first
// request that needs the engine, in a session of its own. Browsers end a host a moment after its
// connection closes (at once for a one-shot message), while the engine's windows stay open as
// long as the user needs; the worker is not the process they end. Requests reach it as framed
// messages on its standard input, which it queues; it ends when that input closes and its queue
// is empty.
class EngineWorker {
public:
    // The argument that starts the program as the worker.
    static constexpr std::string_view Argument = "--run-engine-queue";

    EngineWorker() = default;
    ~EngineWorker();
    EngineWorker(const EngineWorker&) = delete;
    EngineWorker& operator=(const EngineWorker&) = delete;

    // Passes one framed request, starting the worker when none runs (again when the last one
    // has died). False with the reason in `error` when it cannot be passed.
    [[nodiscard]] bool Send(std::string_view frame, std::string& error);
    // Closes the worker's input and waits until it has run what it has been given.
    void Finish();

private:
    [[nodiscard]] bool Start(std::string& error);
    [[nodiscard]] bool WriteAll(std::string_view bytes);

    pid_t m_pid = -1;
    int m_input = -1;
};

} // namespace vortalux
