#include "ShellObject.h"

#include "AsciiText.h"
#include "HostArguments.h"
#include "RunBudget.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace vortalux::script {

namespace {

// Runs in the forked child: only async-signal-safe calls until exec.
[[noreturn]] void ExecShell(char* const* argv)
{
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    const int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0 && devNull != STDIN_FILENO) {
        dup2(devNull, STDIN_FILENO);
        close(devNull);
    }
    // A long download must not keep the caller's sockets and files open.
    close_range(3, ~0U, 0);
    execv("/bin/sh", argv);
    _exit(127);
}

using Clock = RunBudget::Clock;

// Waits until `child` has ended (it stays unreaped, so that its process group can still be
// signalled) or `until` has passed; answers whether it ended. With a pidfd the wait is a poll;
// without one (an old kernel) it looks every few milliseconds. SIGCHLD plays no part.
bool WaitForExit(pid_t child, int pidfd, Clock::time_point until)
{
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (pidfd >= 0) {
            int timeout = -1;
            if (until != Clock::time_point::max()) {
                const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - now).count();
                timeout = static_cast<int>(std::clamp<decltype(left)>(left, 0, INT_MAX));
            }
            pollfd ready {pidfd, POLLIN, 0};
            const int answer = ::poll(&ready, 1, timeout);
            if (answer > 0)
                return true;
            if (answer == 0 && Clock::now() >= until)
                return false;
            if (answer < 0 && errno != EINTR)
                pidfd = -1;
            continue;
        }
        siginfo_t info {};
        const int looked = ::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT);
        if (looked == 0 && info.si_pid == child)
            return true;
        if (looked < 0 && errno != EINTR)
            return true; // nothing left to wait for
        if (now >= until)
            return false;
        std::this_thread::sleep_for(std::min<Clock::duration>(std::chrono::milliseconds(10), until - now));
    }
}

int32_t ExitCode(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return 0;
}

void Reap(pid_t child, int& status)
{
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return;
    }
}

const char* FindVariable(const std::string& name)
{
    if (const char* value = std::getenv(name.c_str()))
        return value;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string_view line(*entry);
        const size_t equals = line.find('=');
        if (equals != std::string_view::npos && EqualsNoCase(line.substr(0, equals), name))
            return *entry + equals + 1;
    }
    return nullptr;
}

} // namespace

int32_t ShellObject::RunCommand(const std::string& command, RunMode mode)
{
    std::string shell = "/bin/sh";
    std::string flag = "-c";
    std::string text = command;
    char* const argv[] = {shell.data(), flag.data(), text.data(), nullptr};

    // A run already past its deadline starts nothing.
    if (mode == RunMode::Wait)
        RunBudget::CheckDeadline();
    const pid_t child = fork();
    if (child < 0)
        throw ScriptError(errc::OutOfMemory);
    if (child == 0) {
        if (mode == RunMode::Detached) {
            // Detach: a new session, and a grandchild that init reaps.
            setsid();
            const pid_t grandchild = fork();
            if (grandchild != 0)
                _exit(grandchild < 0 ? 127 : 0);
        } else {
            // Its own process group, so that a time-out ends whatever the command started.
            setpgid(0, 0);
        }
        ExecShell(argv);
    }
    int status = 0;
    if (mode == RunMode::Detached) {
        Reap(child, status);
        return 0;
    }
    // Also from here, so that the group exists before any signal goes to it.
    setpgid(child, child);
    // Through syscall(): glibc 2.36's <sys/pidfd.h> lacks the C linkage its function needs.
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    const bool ended = WaitForExit(child, pidfd, RunBudget::Deadline());
    if (!ended) {
        ::kill(-child, SIGTERM);
        WaitForExit(child, pidfd, Clock::now() + TerminationGrace);
        // The leader is not reaped yet, so the group still exists for the stragglers.
        ::kill(-child, SIGKILL);
    }
    Reap(child, status);
    if (pidfd >= 0)
        ::close(pidfd);
    if (!ended)
        RunBudget::RaiseTimedOut();
    return ExitCode(status);
}

std::string ShellObject::ExpandEnvironmentStrings(std::string_view text)
{
    std::string result;
    size_t position = 0;
    while (position < text.size()) {
        const size_t open = text.find('%', position);
        if (open == std::string_view::npos)
            break;
        result.append(text.substr(position, open - position));
        const size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) {
            position = open;
            break;
        }
        const std::string name(text.substr(open + 1, close - open - 1));
        const char* value = name.empty() ? nullptr : FindVariable(name);
        if (value != nullptr) {
            result += value;
            position = close + 1;
        } else {
            // Not a variable: keep "%NAME" and let the closing "%" open the next candidate.
            result.append(text.substr(open, close - open));
            position = close;
        }
    }
    result.append(text.substr(position));
    return result;
}

Variant ShellObject::CallMethod(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "Run")) {
        RequireArgumentCount(args, 1, 3);
        const std::string command = ToString(args[0]);
        const RunMode mode = OptionalBool(args, 2, false) ? RunMode::Wait : RunMode::Detached;
        return Variant::FromLong(RunCommand(command, mode));
    }
    if (EqualsNoCase(name, "ExpandEnvironmentStrings")) {
        RequireArgumentCount(args, 1, 1);
        return Variant::FromString(ExpandEnvironmentStrings(ToString(args[0])));
    }
    Raise(errc::NoSuchMember);
}

} // namespace vortalux::script
