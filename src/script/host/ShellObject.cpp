#include "ShellObject.h"

#include "AsciiText.h"
#include "HostArguments.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
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

int32_t ShellObject::RunCommand(const std::string& command, bool wait)
{
    std::string shell = "/bin/sh";
    std::string flag = "-c";
    std::string text = command;
    char* const argv[] = {shell.data(), flag.data(), text.data(), nullptr};

    const pid_t child = fork();
    if (child < 0)
        throw ScriptError(errc::OutOfMemory);
    if (child == 0) {
        if (!wait) {
            // Detach: a new session, and a grandchild that init reaps.
            setsid();
            const pid_t grandchild = fork();
            if (grandchild != 0)
                _exit(grandchild < 0 ? 127 : 0);
        }
        ExecShell(argv);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return 0;
    }
    if (!wait)
        return 0;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return 0;
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
        const bool wait = OptionalBool(args, 2, false);
        return Variant::FromLong(RunCommand(command, wait));
    }
    if (EqualsNoCase(name, "ExpandEnvironmentStrings")) {
        RequireArgumentCount(args, 1, 1);
        return Variant::FromString(ExpandEnvironmentStrings(ToString(args[0])));
    }
    Raise(errc::NoSuchMember);
}

} // namespace vortalux::script
