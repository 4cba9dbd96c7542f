#include "RateLimiter.h"

#include <algorithm>

namespace vortalux::server {

double RateLimiter::Refilled(const Bucket& bucket, Clock::time_point now) const
{
    const double seconds = std::chrono::duration<double>(now - bucket.updated).count();
    return std::min<double>(m_perMinute, bucket.tokens + std::max(0.0, seconds) * m_perMinute / 60.0);
}

void RateLimiter::Forget(Clock::time_point now)
{
    if (now - m_lastSweep < std::chrono::seconds(60))
        return;
    m_lastSweep = now;
    std::erase_if(m_buckets, [&](const auto& entry) { return Refilled(entry.second, now) >= m_perMinute; });
}

bool RateLimiter::Allow(const std::string& address, Clock::time_point now)
{
    if (m_perMinute == 0)
        return true;
    Forget(now);
    auto [it, added] = m_buckets.try_emplace(address, Bucket {static_cast<double>(m_perMinute), now});
    Bucket& bucket = it->second;
    if (!added) {
        bucket.tokens = Refilled(bucket, now);
        bucket.updated = now;
    }
    if (bucket.tokens < 1.0)
        return false;
    bucket.tokens -= 1.0;
    return true;
}

} // namespace vortalux::server
