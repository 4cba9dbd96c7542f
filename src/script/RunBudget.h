#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace vortalux::script {

// What the script running on this thread may still spend: the deadline of its run and the memory
// its values may hold. The interpreter publishes both for the length of each run, so that host
// objects that wait (a child process, an HTTP request) stop at the deadline and so that every
// string and array is counted where it is made, never by a walk over all values. Outside a run
// there is neither a deadline nor a limit, but the count goes on.
//
// The count is per thread: it holds the bytes of the text of strings and the element storage of
// arrays of every script value alive on the thread (values handed to another thread are counted
// back on the thread that frees them). Host objects that keep large buffers of a script's data
// count them with a Reservation.
class RunBudget {
public:
    using Clock = std::chrono::steady_clock;

    // The moment the running script must stop; Clock::time_point::max() outside a run.
    [[nodiscard]] static Clock::time_point Deadline() { return g_thread.deadline; }
    // Raises 9000 "Script timed out" (which On Error Resume Next cannot catch) once the deadline
    // has passed.
    static void CheckDeadline();
    [[noreturn]] static void RaiseTimedOut();
    // Moves the running script's deadline on by `pause`: time the user spends reading a message
    // box a host object showed is not running time.
    static void PostponeDeadline(Clock::duration pause);

    // Bytes held by script values on this thread.
    [[nodiscard]] static int64_t HeldBytes() { return g_thread.heldBytes; }
    // Counts `bytes` more, or raises 7 "Out of memory" when that would take the count past the
    // limit of the running script (nothing is counted then). Inline, as every string a script
    // makes passes here.
    static void Charge(size_t bytes)
    {
        // Values freed on another thread may leave the count below zero: that is room, not debt.
        const auto held = static_cast<size_t>(std::max<int64_t>(g_thread.heldBytes, 0));
        if (bytes > g_thread.memoryLimit || held > g_thread.memoryLimit - bytes)
            RaiseOutOfMemory();
        g_thread.heldBytes += static_cast<int64_t>(bytes);
    }
    // Counts `bytes` less.
    static void Release(size_t bytes) noexcept { g_thread.heldBytes -= static_cast<int64_t>(bytes); }
    // Counts a change that must not fail: a move, which never makes memory.
    static void Adjust(int64_t delta) noexcept { g_thread.heldBytes += delta; }

    // Publishes one run's deadline and memory limit on this thread until it is destroyed. A run
    // inside a run (a host object that runs another script) gets no more than the outer one has.
    class Scope {
    public:
        Scope(Clock::time_point deadline, size_t memoryLimit);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

        // Moves the deadline on: time the user spends reading a message box is not running time.
        void Postpone(Clock::duration pause);

    private:
        Clock::time_point m_outerDeadline;
        size_t m_outerMemoryLimit;
    };

    // Bytes a host object or an array keeps for a script, counted while it lives.
    class Reservation {
    public:
        Reservation() = default;
        // Counts the same bytes again: raises 7 past the limit.
        Reservation(const Reservation& other);
        Reservation(Reservation&& other) noexcept;
        Reservation& operator=(const Reservation&) = delete;
        Reservation& operator=(Reservation&&) = delete;
        ~Reservation() { Release(m_bytes); }

        // Grows the count to `bytes` before the memory is taken; raises 7 past the limit and then
        // leaves the count as it was. Shrinking never fails.
        void Reserve(size_t bytes);
        // Sets the count to the `bytes` actually taken, without a check: for after the
        // allocation Reserve allowed, which may round up.
        void Settle(size_t bytes) noexcept;
        [[nodiscard]] size_t Bytes() const { return m_bytes; }

    private:
        size_t m_bytes = 0;
    };

private:
    struct ThreadState {
        int64_t heldBytes = 0;
        // No limit outside a run.
        size_t memoryLimit = std::numeric_limits<size_t>::max();
        Clock::time_point deadline = Clock::time_point::max();
    };
    [[noreturn]] static void RaiseOutOfMemory();

    // Constant-initialised, so that the inline functions reach it without a call.
    static constinit thread_local ThreadState g_thread;
};

} // namespace vortalux::script
