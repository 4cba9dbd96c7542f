#include "RegExpPatternCache.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace vortalux::script {

RegExpPatternCache::PatternRef RegExpPatternCache::Find(
    std::string_view pattern, PatternOptions options, PatternFault& fault)
{
    fault = PatternFault::None;
    const auto found = std::find_if(m_entries.begin(), m_entries.end(),
        [&](const Entry& entry) { return entry.options == options && entry.pattern == pattern; });
    if (found != m_entries.end()) {
        std::rotate(m_entries.begin(), found, found + 1);
        return m_entries.front().compiled;
    }

    ++m_compileCount;
    std::optional<CompiledPattern> compiled = CompiledPattern::Compile(pattern, options, &fault);
    if (!compiled)
        return nullptr;
    auto shared = std::make_shared<const CompiledPattern>(std::move(*compiled));
    const size_t bytes = pattern.size() + shared->MemoryBytes();
    if (bytes <= MaxEntryBytes)
        Keep(Entry {std::string(pattern), options, shared, bytes});
    return shared;
}

void RegExpPatternCache::Keep(Entry entry)
{
    while (!m_entries.empty() && (m_entries.size() >= Capacity || m_bytes + entry.bytes > MaxBytes)) {
        m_bytes -= m_entries.back().bytes;
        m_entries.pop_back();
    }
    m_bytes += entry.bytes;
    m_entries.insert(m_entries.begin(), std::move(entry));
}

void RegExpPatternCache::Clear()
{
    m_entries.clear();
    m_bytes = 0;
}

RegExpPatternCache& RegExpPatternCache::ForThisThread()
{
    thread_local RegExpPatternCache cache;
    return cache;
}

} // namespace vortalux::script
