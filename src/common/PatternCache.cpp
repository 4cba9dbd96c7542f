#include "PatternCache.h"

#include <algorithm>

namespace vortalux {

PatternCache::PatternCache(size_t capacity)
    : m_capacity(std::max<size_t>(capacity, 1))
{
    m_index.reserve(std::min(m_capacity, DefaultCapacity));
}

const CompiledPattern* PatternCache::Find(std::string_view pattern)
{
    const auto result = [](const Entry& entry) { return entry.compiled ? &*entry.compiled : nullptr; };
    // A page-search step runs the same pattern many times in a row: no hashing then.
    if (!m_entries.empty() && m_entries.front().pattern == pattern)
        return result(m_entries.front());

    if (const auto hit = m_index.find(pattern); hit != m_index.end()) {
        m_entries.splice(m_entries.begin(), m_entries, hit->second);
        return result(m_entries.front());
    }

    if (m_entries.size() >= m_capacity) {
        m_index.erase(m_entries.back().pattern);
        m_entries.pop_back();
    }
    ++m_compileCount;
    m_entries.push_front(Entry {std::string(pattern), CompiledPattern::Compile(pattern)});
    m_index.emplace(m_entries.front().pattern, m_entries.begin());
    return result(m_entries.front());
}

PatternCache& PatternCache::ForThisThread()
{
    thread_local PatternCache cache;
    return cache;
}

} // namespace vortalux
