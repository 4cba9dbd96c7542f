#include "ExecProcess.h"

#include "ScriptError.h"
#include "ShellCommand.h"
#include "ShellObject.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vortalux::script {

namespace {

using Clock = RunBudget::Clock;

constexpr size_t ReadChunk = size_t(1) << 16;

int32_t ExitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return 0;
}

void CloseDescriptor(int& descriptor)
{
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
}

int TimeoutUntil(Clock::time_point until)
{
    if (until == Clock::time_point::max())
        return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    return static_cast<int>(std::clamp<decltype(left)>(left, 0, INT_MAX));
}

} // namespace

std::shared_ptr<ExecProcess> ExecProcess::Start(const std::string& command)
{
    RunBudget::CheckDeadline();
    const ShellCommand shell(command);
    int outPipe[2] = {-1, -1};
    int errPipe[2] = {-1, -1};
    int inPair[2] = {-1, -1};
    const auto closeAll = [&] {
        for (int* pair : {outPipe, errPipe, inPair}) {
            CloseDescriptor(pair[0]);
            CloseDescriptor(pair[1]);
        }
    };
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0
        || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, inPair) != 0) {
        closeAll();
        Raise(errc::OutOfMemory);
    }
    // The child reads from a socket that only receives.
    ::shutdown(inPair[1], SHUT_WR);
    const pid_t child = ::fork();
    if (child < 0) {
        closeAll();
        Raise(errc::OutOfMemory);
    }
    if (child == 0) {
        // Its own process group, so that ending it ends whatever the command started.
        setpgid(0, 0);
        shell.ExecInChild(inPair[1], outPipe[1], errPipe[1]);
    }
    setpgid(child, child);
    std::shared_ptr<ExecProcess> process(new ExecProcess());
    process->m_pid = child;
    // Through syscall(): glibc 2.36's <sys/pidfd.h> lacks the C linkage its function needs.
    process->m_pidfd = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    process->m_input = inPair[0];
    inPair[0] = -1;
    ::shutdown(process->m_input, SHUT_RD);
    process->m_outputs[0].descriptor = outPipe[0];
    process->m_outputs[1].descriptor = errPipe[0];
    outPipe[0] = errPipe[0] = -1;
    closeAll();
    for (const Output& output : process->m_outputs)
        ::fcntl(output.descriptor, F_SETFL, O_NONBLOCK);
    ::fcntl(process->m_input, F_SETFL, O_NONBLOCK);
    return process;
}

ExecProcess::~ExecProcess()
{
    if (!m_reaped && m_pid > 0)
        Terminate();
    CloseDescriptor(m_input);
    for (Output& output : m_outputs)
        CloseDescriptor(output.descriptor);
    CloseDescriptor(m_pidfd);
}

void ExecProcess::Reap(int status)
{
    m_reaped = true;
    m_exitCode = ExitCodeOf(status);
}

bool ExecProcess::Running()
{
    if (m_reaped)
        return false;
    int status = 0;
    const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
    if (done == m_pid || (done < 0 && errno == ECHILD)) {
        Reap(done == m_pid ? status : 0);
        return false;
    }
    return true;
}

int32_t ExecProcess::ExitCode() { return Running() ? 0 : m_exitCode; }

void ExecProcess::Terminate()
{
    if (!Running()) {
        // The shell has ended, but what it left in the background still holds the output open;
        // its process group lives on as long as any of them does, so the id names no stranger.
        if (!Ended(Stream::Out) || !Ended(Stream::Err))
            ::kill(-m_pid, SIGKILL);
        return;
    }
    ::kill(-m_pid, SIGTERM);
    const Clock::time_point until = Clock::now() + ShellObject::TerminationGrace;
    while (Running() && Clock::now() < until) {
        if (m_pidfd >= 0) {
            pollfd ready {m_pidfd, POLLIN, 0};
            ::poll(&ready, 1, TimeoutUntil(until));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    if (!m_reaped) {
        ::kill(-m_pid, SIGKILL);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) { }
        Reap(status);
    }
}

void ExecProcess::CheckDeadline()
{
    if (Clock::now() <= RunBudget::Deadline())
        return;
    Terminate();
    RunBudget::RaiseTimedOut();
}

void ExecProcess::Pump(Clock::time_point until, bool writing)
{
    std::array<pollfd, 3> watched {};
    size_t count = 0;
    for (const Output& output : m_outputs) {
        if (output.descriptor >= 0)
            watched[count++] = pollfd {output.descriptor, POLLIN, 0};
    }
    if (writing && m_input >= 0)
        watched[count++] = pollfd {m_input, POLLOUT, 0};
    if (count == 0)
        return;
    const int answer = ::poll(watched.data(), count, TimeoutUntil(until));
    if (answer <= 0)
        return;
    for (Output& output : m_outputs) {
        if (output.descriptor < 0)
            continue;
        for (;;) {
            output.charge.Reserve(output.buffer.size() + ReadChunk);
            const size_t before = output.buffer.size();
            output.buffer.resize(before + ReadChunk);
            const ssize_t got = ::read(output.descriptor, output.buffer.data() + before, ReadChunk);
            output.buffer.resize(before + static_cast<size_t>(std::max<ssize_t>(got, 0)));
            output.charge.Settle(output.buffer.size());
            if (got > 0)
                continue;
            if (got < 0 && errno == EINTR)
                continue;
            if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                CloseDescriptor(output.descriptor);
            break;
        }
    }
}

void ExecProcess::WaitUntil(Stream stream, const std::function<bool(std::string_view unread)>& ready)
{
    for (;;) {
        if (ready(Unread(stream)) || Ended(stream))
            return;
        CheckDeadline();
        Pump(RunBudget::Deadline(), false);
    }
}

std::string_view ExecProcess::Unread(Stream stream) const
{
    const Output& output = m_outputs[Index(stream)];
    return std::string_view(output.buffer).substr(output.position);
}

void ExecProcess::Consume(Stream stream, size_t bytes)
{
    Output& output = m_outputs[Index(stream)];
    output.position += bytes;
    if (output.position * 2 >= output.buffer.size()) {
        output.buffer.erase(0, output.position);
        output.position = 0;
        output.buffer.shrink_to_fit();
        output.charge.Settle(output.buffer.capacity());
    }
}

void ExecProcess::Write(std::string_view text)
{
    if (m_inputClosed)
        Raise(54);
    while (!text.empty()) {
        const ssize_t put = ::send(m_input, text.data(), text.size(), MSG_NOSIGNAL);
        if (put > 0) {
            text.remove_prefix(static_cast<size_t>(put));
            continue;
        }
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The command reads slowly: keep its output flowing meanwhile.
            CheckDeadline();
            Pump(RunBudget::Deadline(), true);
            continue;
        }
        Raise(57);
    }
}

void ExecProcess::CloseInput()
{
    m_inputClosed = true;
    CloseDescriptor(m_input);
}

} // namespace vortalux::script
