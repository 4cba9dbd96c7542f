#pragma once

#include <string>
#include <vector>

namespace vortalux::script {

// A command line for /bin/sh -c with what the child needs from the script's ProcessContext (its
// environment and current directory), all prepared before fork, so that the forked child makes
// only async-signal-safe calls.
class ShellCommand {
public:
    explicit ShellCommand(const std::string& command);
    ShellCommand(const ShellCommand&) = delete;
    ShellCommand& operator=(const ShellCommand&) = delete;

    // In the forked child: the descriptors given become standard input, output and error (-1:
    // /dev/null for input, the parent's for the others), every other descriptor is closed, the
    // signal mask and SIGPIPE are reset, and the shell replaces the child (exit code 127 when it
    // cannot).
    [[noreturn]] void ExecInChild(int input, int output, int error) const;

private:
    std::vector<std::string> m_strings; // "/bin/sh", "-c", command, then the environment
    std::vector<char*> m_argv;
    std::vector<char*> m_environment;
    std::string m_directory;
};

} // namespace vortalux::script
