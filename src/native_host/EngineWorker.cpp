#include "EngineWorker.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

extern char** environ;

namespace vortalux {

EngineWorker::~EngineWorker() { Finish(); }

bool EngineWorker::Start(std::string& error)
{
    std::error_code ignored;
    const std::string program = std::filesystem::read_symlink("/proc/self/exe", ignored).string();
    int ends[2];
    if (program.empty() || ::pipe2(ends, O_CLOEXEC) != 0) {
        error = "cannot start the engine: " + std::string(std::strerror(errno));
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    std::string argument(Argument);
    char* argv[] = {const_cast<char*>(program.c_str()), argument.data(), nullptr};
    const int failure = ::posix_spawn(&m_pid, program.c_str(), &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(ends[0]);
    if (failure != 0) {
        ::close(ends[1]);
        m_pid = -1;
        error = "cannot start the engine: " + std::string(std::strerror(failure));
        return false;
    }
    m_input = ends[1];
    // A page's links fit in the pipe, so the reply need not wait for the worker to start
    // reading; a pipe that cannot grow only makes that wait longer.
    ::fcntl(m_input, F_SETPIPE_SZ, 1024 * 1024);
    return true;
}

bool EngineWorker::WriteAll(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_input, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool EngineWorker::Send(std::string_view frame, std::string& error)
{
    // A worker that has died (EPIPE) is replaced once.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (m_input < 0 && !Start(error))
            return false;
        if (WriteAll(frame))
            return true;
        Finish();
    }
    error = "the engine stopped before it took the request";
    return false;
}

void EngineWorker::Finish()
{
    if (m_input >= 0) {
        ::close(m_input);
        m_input = -1;
    }
    if (m_pid > 0) {
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) { }
        m_pid = -1;
    }
}

} // namespace vortalux
