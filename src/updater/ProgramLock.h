#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace vortalux {

// Who may run while the program files change. Every vtl (and `vortalux update install`) holds the
// lock shared, so several of them run side by side; vtlupd holds it exclusive, so it replaces
// files only once every one of them has ended, and a vtl started meanwhile waits until the
// replacement is over instead of loading half of an update.
enum class LockMode { Shared, Exclusive };

enum class LockStatus {
    Held,
    TimedOut, // another process held it for the whole wait
    Unavailable, // the lock file could not be opened or locked (see Error())
};

// flock(2) on "vtl.lock" in the program directory. The lock belongs to this object's open file
// (close-on-exec, so programs started from here do not inherit it) and ends with the object or
// with the process, however it ends.
class ProgramLock {
public:
    static constexpr std::string_view FileName = "vtl.lock";

    ProgramLock() = default;
    ~ProgramLock();
    ProgramLock(ProgramLock&& other) noexcept;
    ProgramLock& operator=(ProgramLock&& other) noexcept;
    ProgramLock(const ProgramLock&) = delete;
    ProgramLock& operator=(const ProgramLock&) = delete;

    // Takes the lock, blocking at most `wait` (zero: one attempt). The wait blocks on the lock
    // itself and ends the moment the holders let go. A program directory the user cannot write
    // and holding no lock file gives Unavailable.
    [[nodiscard]] static ProgramLock Acquire(
        const std::filesystem::path& programDirectory, LockMode mode, std::chrono::milliseconds wait);

    LockStatus Status() const { return m_status; }
    bool IsHeld() const { return m_status == LockStatus::Held; }
    const std::string& Error() const { return m_error; }
    void Release();

private:
    int m_fd = -1;
    LockStatus m_status = LockStatus::Unavailable;
    std::string m_error;
};

} // namespace vortalux
