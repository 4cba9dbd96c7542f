#include "ProgramLock.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace vortalux {

namespace {

std::string SystemError(std::string_view what, int error)
{
    return std::string(what) + ": " + std::strerror(error);
}

// Blocks in a child process until the lock is granted, at most `wait`. A flock lock belongs to the
// open file, which the child shares with this process: the child's lock is ours, and the child,
// unlike a call blocked in this process, can be ended when the wait runs out. The child only
// makes async-signal-safe calls, so this is sound in a process with threads.
bool WaitForLock(int fd, int operation, std::chrono::milliseconds wait)
{
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0)
        return false;
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        return false;
    }
    if (child == 0) {
        // A waiting child must not outlive the process that wants the lock.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(1);
        // Keep only the lock and the pipe: a copy of any other descriptor (a pipe another program
        // waits to see closed, a socket) would stay open while the child waits.
        const unsigned low = static_cast<unsigned>(std::min(fd, ready[1]));
        const unsigned high = static_cast<unsigned>(std::max(fd, ready[1]));
        if (low > 0)
            ::close_range(0, low - 1, 0);
        if (high > low + 1)
            ::close_range(low + 1, high - 1, 0);
        ::close_range(high + 1, ~0U, 0);
        int result;
        do
            result = ::flock(fd, operation);
        while (result != 0 && errno == EINTR);
        const char answer = result == 0 ? '1' : '0';
        [[maybe_unused]] const ssize_t written = ::write(ready[1], &answer, 1);
        ::_exit(0);
    }
    ::close(ready[1]);

    const auto deadline = std::chrono::steady_clock::now() + wait;
    char answer = '0';
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd readable {ready[0], POLLIN, 0};
        const int polled = ::poll(&readable, 1, static_cast<int>(std::min<long long>(left.count(), 60'000)));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled != 0) {
            if (::read(ready[0], &answer, 1) != 1)
                answer = '0';
            break;
        }
    }
    ::close(ready[0]);
    ::kill(child, SIGKILL);
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) { }
    // The child may have got the lock just as the wait ran out; then it is ours all the same.
    return answer == '1' || ::flock(fd, operation | LOCK_NB) == 0;
}

} // namespace

ProgramLock::~ProgramLock() { Release(); }

ProgramLock::ProgramLock(ProgramLock&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_status(std::exchange(other.m_status, LockStatus::Unavailable))
    , m_error(std::move(other.m_error))
{
}

ProgramLock& ProgramLock::operator=(ProgramLock&& other) noexcept
{
    if (this != &other) {
        Release();
        m_fd = std::exchange(other.m_fd, -1);
        m_status = std::exchange(other.m_status, LockStatus::Unavailable);
        m_error = std::move(other.m_error);
    }
    return *this;
}

ProgramLock ProgramLock::Acquire(
    const std::filesystem::path& programDirectory, LockMode mode, std::chrono::milliseconds wait)
{
    ProgramLock lock;
    const std::filesystem::path file = programDirectory / std::string(FileName);
    lock.m_fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (lock.m_fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
        lock.m_fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW); // flock needs no write access
    if (lock.m_fd < 0) {
        lock.m_error = SystemError(file.string(), errno);
        return lock;
    }
    const int operation = mode == LockMode::Shared ? LOCK_SH : LOCK_EX;
    if (::flock(lock.m_fd, operation | LOCK_NB) == 0) {
        lock.m_status = LockStatus::Held;
        return lock;
    }
    if (errno != EWOULDBLOCK) {
        lock.m_error = SystemError(file.string(), errno);
        lock.Release();
        return lock;
    }
    if (wait.count() > 0 && WaitForLock(lock.m_fd, operation, wait)) {
        lock.m_status = LockStatus::Held;
        return lock;
    }
    lock.Release();
    lock.m_status = LockStatus::TimedOut;
    lock.m_error = file.string() + " stayed locked by another program";
    return lock;
}

void ProgramLock::Release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (m_status == LockStatus::Held)
        m_status = LockStatus::Unavailable;
}

} // namespace vortalux
