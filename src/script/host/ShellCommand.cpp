#include "ShellCommand.h"

#include "ProcessContext.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace vortalux::script {

ShellCommand::ShellCommand(const std::string& command)
    : m_directory(ProcessContext::CurrentDirectory())
{
    m_strings = {"/bin/sh", "-c", command};
    for (std::string& variable : ProcessContext::Variables())
        m_strings.push_back(std::move(variable));
    for (size_t i = 0; i < 3; ++i)
        m_argv.push_back(m_strings[i].data());
    m_argv.push_back(nullptr);
    for (size_t i = 3; i < m_strings.size(); ++i)
        m_environment.push_back(m_strings[i].data());
    m_environment.push_back(nullptr);
}

void ShellCommand::ExecInChild(int input, int output, int error) const
{
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    if (input < 0)
        input = open("/dev/null", O_RDONLY);
    if (input >= 0 && input != STDIN_FILENO)
        dup2(input, STDIN_FILENO);
    if (output >= 0 && output != STDOUT_FILENO)
        dup2(output, STDOUT_FILENO);
    if (error >= 0 && error != STDERR_FILENO)
        dup2(error, STDERR_FILENO);
    // A long download must not keep the caller's sockets and files open.
    close_range(3, ~0U, 0);
    if (chdir(m_directory.c_str()) != 0)
        _exit(127);
    execve("/bin/sh", m_argv.data(), m_environment.data());
    _exit(127);
}

} // namespace vortalux::script
