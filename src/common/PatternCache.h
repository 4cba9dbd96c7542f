#pragma once

#include "CompiledPattern.h"

#include <cstddef>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vortalux {

// Compiled patterns by pattern text, so that walking every rule over every link of a page compiles
// each pattern once. A compiled pattern holds no state between runs, so using a cached one behaves
// exactly as compiling it afresh. Patterns that do not compile are remembered too. The least
// recently used entry goes when the cache is full.
class PatternCache {
public:
    static constexpr size_t DefaultCapacity = 4096;

    explicit PatternCache(size_t capacity = DefaultCapacity);
    PatternCache(const PatternCache&) = delete;
    PatternCache& operator=(const PatternCache&) = delete;

    // The compiled pattern, or nullptr when the pattern is not valid. The pointer stays valid until
    // the next call of Find on this cache.
    const CompiledPattern* Find(std::string_view pattern);

    size_t Size() const { return m_entries.size(); }
    size_t Capacity() const { return m_capacity; }
    // How many times Find had to compile: for tests and measurements.
    size_t CompileCount() const { return m_compileCount; }

    // The calling thread's cache. The engine's state exists once per thread, and a cache per thread
    // needs no lock.
    static PatternCache& ForThisThread();

private:
    struct Entry {
        std::string pattern;
        std::optional<CompiledPattern> compiled;
    };
    using EntryList = std::list<Entry>;

    size_t m_capacity;
    size_t m_compileCount = 0;
    EntryList m_entries; // most recently used first
    // Keys view the pattern text inside the list nodes, which never move.
    std::unordered_map<std::string_view, EntryList::iterator> m_index;
};

} // namespace vortalux
