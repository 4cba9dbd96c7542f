#include "RunBudget.h"

#include "ScriptError.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace vortalux::script {

constinit thread_local RunBudget::ThreadState RunBudget::g_thread;

void RunBudget::CheckDeadline()
{
    if (g_thread.deadline != Clock::time_point::max() && Clock::now() > g_thread.deadline)
        RaiseTimedOut();
}

void RunBudget::RaiseTimedOut() { throw ScriptError(errc::TimedOut); }

void RunBudget::RaiseOutOfMemory() { Raise(errc::OutOfMemory); }

RunBudget::Scope::Scope(Clock::time_point deadline, size_t memoryLimit)
    : m_outerDeadline(g_thread.deadline)
    , m_outerMemoryLimit(g_thread.memoryLimit)
{
    g_thread.deadline = std::min(g_thread.deadline, deadline);
    g_thread.memoryLimit = std::min(g_thread.memoryLimit, memoryLimit);
}

RunBudget::Scope::~Scope()
{
    g_thread.deadline = m_outerDeadline;
    g_thread.memoryLimit = m_outerMemoryLimit;
}

void RunBudget::Scope::Postpone(Clock::duration pause) { PostponeDeadline(pause); }

void RunBudget::PostponeDeadline(Clock::duration pause)
{
    Clock::time_point& deadline = g_thread.deadline;
    if (deadline != Clock::time_point::max() && pause > Clock::duration::zero())
        deadline = Clock::time_point::max() - deadline > pause ? deadline + pause : Clock::time_point::max();
}

RunBudget::Reservation::Reservation(const Reservation& other) { Reserve(other.m_bytes); }

RunBudget::Reservation::Reservation(Reservation&& other) noexcept
    : m_bytes(std::exchange(other.m_bytes, 0))
{
}

void RunBudget::Reservation::Reserve(size_t bytes)
{
    if (bytes > m_bytes)
        Charge(bytes - m_bytes);
    else
        Release(m_bytes - bytes);
    m_bytes = bytes;
}

void RunBudget::Reservation::Settle(size_t bytes) noexcept
{
    Adjust(static_cast<int64_t>(bytes) - static_cast<int64_t>(m_bytes));
    m_bytes = bytes;
}

} // namespace vortalux::script
