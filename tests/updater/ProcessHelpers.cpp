#include "ProcessHelpers.h"

#include "TestSupport.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace vortalux::test {

LockHolder::LockHolder(const std::filesystem::path& directory, LockMode mode)
{
    int ready[2];
    int go[2];
    // Close-on-exec: a program the test starts must not keep the holder alive.
    if (::pipe2(ready, O_CLOEXEC) != 0 || ::pipe2(go, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    m_child = ::fork();
    if (m_child < 0)
        throw std::runtime_error("fork failed");
    if (m_child == 0) {
        ::close(go[1]);
        ProgramLock lock = ProgramLock::Acquire(directory, mode, std::chrono::milliseconds(0));
        const char held = lock.IsHeld() ? '1' : '0';
        [[maybe_unused]] ssize_t n = ::write(ready[1], &held, 1);
        char ignored;
        n = ::read(go[0], &ignored, 1); // returns when the parent closes its end
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(go[0]);
    m_release = go[1];
    char held = '0';
    m_held = ::read(ready[0], &held, 1) == 1 && held == '1';
    ::close(ready[0]);
}

LockHolder::~LockHolder() { Release(); }

void LockHolder::Release()
{
    if (m_release < 0)
        return;
    ::close(m_release);
    m_release = -1;
    ::waitpid(m_child, nullptr, 0);
}

ChildProgram::ChildProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
    const std::map<std::string, std::string>& environment, const std::filesystem::path& errorFile)
{
    std::vector<std::string> copies {program.string()};
    copies.insert(copies.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    m_pid = ::fork();
    if (m_pid < 0)
        throw std::runtime_error("fork failed");
    if (m_pid == 0) {
        for (const auto& [name, value] : environment) {
            if (value.empty())
                ::unsetenv(name.c_str());
            else
                ::setenv(name.c_str(), value.c_str(), 1);
        }
        const int fd = ::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0)
            ::dup2(fd, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
}

ChildProgram::~ChildProgram()
{
    if (!m_ended) {
        ::kill(m_pid, SIGKILL);
        Wait();
    }
}

bool ChildProgram::HasEnded()
{
    int status = 0;
    if (!m_ended && ::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_ended = true;
        m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        m_signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
    return m_ended;
}

void ChildProgram::Wait()
{
    int status = 0;
    if (m_ended || ::waitpid(m_pid, &status, 0) != m_pid)
        return;
    m_ended = true;
    m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    m_signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

bool ChildProgram::WaitFor(std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!HasEnded() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return HasEnded();
}

std::string WaitForFile(const std::filesystem::path& file, std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    std::error_code ec;
    while (!std::filesystem::exists(file, ec) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return ReadFileBytes(file);
}

} // namespace vortalux::test
