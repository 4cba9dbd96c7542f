#include "ShellObject.h"

#include "AsciiText.h"
#include "EnvironmentObject.h"
#include "ExecObject.h"
#include "ExecProcess.h"
#include "HostArguments.h"
#include "MessageBox.h"
#include "ProcessContext.h"
#include "RunBudget.h"
#include "ShellCommand.h"

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

namespace vortalux::script {

namespace {

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

} // namespace

int32_t ShellObject::RunCommand(const std::string& command, RunMode mode)
{
    const ShellCommand shell(command);

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
        shell.ExecInChild(-1, -1, -1);
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
        const std::optional<std::string> value
            = ProcessContext::Variable(text.substr(open + 1, close - open - 1));
        if (value) {
            result += *value;
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

namespace {

// The buttons and icon of a box as VBScript's style numbers give them (the same as MsgBox's).
MessageRequest PopupRequest(std::string text, int32_t style)
{
    MessageRequest request;
    request.text = std::move(text);
    switch (style & 0xF) {
    case 1:
        request.buttons = MessageButtons::OkCancel;
        break;
    case 2:
        request.buttons = MessageButtons::AbortRetryIgnore;
        break;
    case 3:
        request.buttons = MessageButtons::YesNoCancel;
        break;
    case 4:
        request.buttons = MessageButtons::YesNo;
        break;
    case 5:
        request.buttons = MessageButtons::RetryCancel;
        break;
    default:
        request.buttons = MessageButtons::Ok;
        break;
    }
    switch (style & 0xF0) {
    case 16:
        request.icon = MessageIcon::Critical;
        break;
    case 32:
        request.icon = MessageIcon::Question;
        break;
    case 48:
        request.icon = MessageIcon::Exclamation;
        break;
    case 64:
        request.icon = MessageIcon::Information;
        break;
    default:
        break;
    }
    request.defaultButton = (style >> 8) & 3;
    return request;
}

} // namespace

Variant ShellObject::Popup(std::vector<Variant>& args)
{
    RequireArgumentCount(args, 1, 4);
    MessageRequest request = PopupRequest(ToString(args[0]), OptionalLong(args, 3, 0));
    request.timeoutSeconds = std::max<int32_t>(OptionalLong(args, 1, 0), 0);
    request.caption = args.size() > 2 && !args[2].IsEmpty() ? ToString(args[2]) : "Windows Script Host";
    const RunBudget::Clock::time_point shownAt = RunBudget::Clock::now();
    const MessageAnswer answer = ShowMessage(request);
    RunBudget::PostponeDeadline(RunBudget::Clock::now() - shownAt);
    return Variant::FromLong(static_cast<int32_t>(answer));
}

Variant ShellObject::GetProperty(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "CurrentDirectory")) {
        RequireArgumentCount(args, 0, 0);
        return Variant::FromString(ProcessContext::CurrentDirectory());
    }
    if (EqualsNoCase(name, "Environment")) {
        RequireArgumentCount(args, 0, 1);
        // Only the process's environment exists here; Windows' SYSTEM, USER and VOLATILE do not.
        if (!args.empty() && !args[0].IsEmpty() && !EqualsNoCase(ToString(args[0]), "PROCESS"))
            Raise(errc::InvalidProcedureCall);
        return Variant::FromObject(std::make_shared<EnvironmentObject>());
    }
    return CallMethod(name, args);
}

void ShellObject::SetProperty(std::string_view name, std::vector<Variant>& args, const Variant& value)
{
    if (!EqualsNoCase(name, "CurrentDirectory"))
        Raise(errc::NoSuchMember);
    RequireArgumentCount(args, 0, 0);
    ProcessContext::SetCurrentDirectory(ToString(value));
}

Variant ShellObject::CallMethod(std::string_view name, std::vector<Variant>& args)
{
    if (EqualsNoCase(name, "Exec")) {
        RequireArgumentCount(args, 1, 1);
        return Variant::FromObject(std::make_shared<ExecObject>(ExecProcess::Start(ToString(args[0]))));
    }
    if (EqualsNoCase(name, "Popup"))
        return Popup(args);
    if (EqualsNoCase(name, "Environment") || EqualsNoCase(name, "CurrentDirectory"))
        return GetProperty(name, args);
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
