#pragma once

#include <chrono>
#include <string>
#include <unordered_map>

namespace vortalux::server {

// How many requests one address may make: a bucket of `perMinute` tokens per address, refilled
// evenly over a minute, so a burst of `perMinute` passes and then one every 60/perMinute seconds.
// `perMinute` 0 lets everything pass. The table forgets addresses whose bucket is full again, so
// its size stays bounded by the addresses active within the last minute.
class RateLimiter {
public:
    using Clock = std::chrono::steady_clock;

    explicit RateLimiter(unsigned perMinute)
        : m_perMinute(perMinute)
    {
    }

    // Takes one token for `address`; false when its bucket is empty.
    [[nodiscard]] bool Allow(const std::string& address, Clock::time_point now);

    size_t TrackedAddresses() const { return m_buckets.size(); }

private:
    struct Bucket {
        double tokens = 0;
        Clock::time_point updated;
    };
    double Refilled(const Bucket& bucket, Clock::time_point now) const;
    void Forget(Clock::time_point now);

    unsigned m_perMinute;
    std::unordered_map<std::string, Bucket> m_buckets;
    Clock::time_point m_lastSweep;
};

} // namespace vortalux::server
