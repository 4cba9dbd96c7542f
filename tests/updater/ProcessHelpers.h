#pragma once

#include "ProgramLock.h"

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace vortalux::test {

// A process that holds the program lock until Release(): the running vtl that vtlupd waits for,
// or the vtlupd that a starting vtl waits for.
class LockHolder {
public:
    LockHolder(const std::filesystem::path& directory, LockMode mode);
    ~LockHolder();
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;
    bool Held() const { return m_held; }
    void Release();

private:
    pid_t m_child = -1;
    int m_release = -1;
    bool m_held = false;
};

// A program started with extra environment variables (an empty value removes the variable) and
// its standard error sent to a file.
class ChildProgram {
public:
    ChildProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
        const std::map<std::string, std::string>& environment, const std::filesystem::path& errorFile);
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    bool HasEnded(); // without waiting
    void Wait();
    // Waits at most `wait`; false when the program still runs (the destructor then kills it).
    bool WaitFor(std::chrono::milliseconds wait);
    int ExitCode() const { return m_exitCode; } // -1 when ended by a signal
    int Signal() const { return m_signal; }

private:
    pid_t m_pid = -1;
    int m_exitCode = -1;
    int m_signal = 0;
    bool m_ended = false;
};

// The text of `file` once it exists, waiting at most `wait` for a program started detached to
// write it; empty when it did not appear.
std::string WaitForFile(const std::filesystem::path& file, std::chrono::milliseconds wait);

} // namespace vortalux::test
