#pragma once

#include "RunBudget.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace vortalux::script {

// A command WScript.Shell's Exec started through /bin/sh -c, in its own process group, with its
// standard output and error read through pipes and its standard input written through a socket
// (so that writing to a command that stopped reading raises an error instead of SIGPIPE).
//
// Nothing runs in the background: output is read whenever the script waits for some, both
// streams at once so that a command that fills one while the script reads the other cannot stall.
// Every wait ends at the running script's deadline: the process group is then ended (SIGTERM,
// SIGKILL after ShellObject::TerminationGrace) and 9000 "Script timed out" raised. Output held
// and not yet read counts against the script's memory limit. When the last reference goes, a
// command still running is ended the same way and reaped: no zombie is left.
class ExecProcess {
public:
    enum class Stream { Out = 0, Err = 1 };

    // Raises 7 when no process can be started.
    static std::shared_ptr<ExecProcess> Start(const std::string& command);
    ~ExecProcess();
    ExecProcess(const ExecProcess&) = delete;
    ExecProcess& operator=(const ExecProcess&) = delete;

    pid_t ProcessId() const { return m_pid; }
    // Whether the command is still running (looks without waiting; reaps it once ended).
    bool Running();
    // The exit code once ended (128 + the signal for a signal), 0 while running.
    int32_t ExitCode();
    // Ends the process group now.
    void Terminate();

    // Waits until `ready` holds for what `stream` holds unread, or the stream has ended.
    void WaitUntil(Stream stream, const std::function<bool(std::string_view unread)>& ready);
    std::string_view Unread(Stream stream) const;
    bool Ended(Stream stream) const { return m_outputs[Index(stream)].descriptor < 0; }
    void Consume(Stream stream, size_t bytes);

    // Raises 57 "Device I/O error" once the command no longer reads, 54 after CloseInput.
    void Write(std::string_view text);
    void CloseInput();

private:
    struct Output {
        int descriptor = -1;
        std::string buffer;
        size_t position = 0;
        RunBudget::Reservation charge;
    };

    ExecProcess() = default;
    static size_t Index(Stream stream) { return static_cast<size_t>(stream); }
    // One round of reading: waits at most until `until` for output, or for room to write when
    // `writing`.
    void Pump(RunBudget::Clock::time_point until, bool writing);
    void CheckDeadline();
    void Reap(int status);

    pid_t m_pid = -1;
    int m_pidfd = -1;
    int m_input = -1;
    bool m_inputClosed = false;
    std::array<Output, 2> m_outputs;
    bool m_reaped = false;
    int32_t m_exitCode = 0;
};

} // namespace vortalux::script
