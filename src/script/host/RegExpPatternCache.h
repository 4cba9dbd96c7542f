#pragma once

#include "CompiledPattern.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vortalux::script {

// The patterns RegExp objects on one thread compiled last, by text and options, so that a script
// that sets the same Pattern on every pass of a loop, or makes a new RegExp in every call of a
// helper, compiles each pattern once. A compiled pattern keeps no state between runs, so sharing
// one behaves exactly as compiling it again. Invalid patterns are not kept: they raise each time.
//
// What the cache keeps belongs to the thread, not to a script run, and is not counted against a
// script's memory limit (a pattern one run compiled and another run dropped would be taken off the
// wrong run's count), as the compiled pattern a RegExp holds never is. It is bounded instead: at
// most Capacity patterns and MaxBytes of them, the least recently used going first; a pattern
// larger than MaxEntryBytes is compiled for its RegExp alone. The cache holds the patterns and
// nothing that refers back to it, so its entries go with the thread (or with Clear).
class RegExpPatternCache {
public:
    using PatternRef = std::shared_ptr<const CompiledPattern>;

    static constexpr size_t Capacity = 32;
    static constexpr size_t MaxBytes = size_t(1) << 20;
    static constexpr size_t MaxEntryBytes = MaxBytes / 8;

    RegExpPatternCache() = default;
    RegExpPatternCache(const RegExpPatternCache&) = delete;
    RegExpPatternCache& operator=(const RegExpPatternCache&) = delete;

    // The compiled pattern, kept from before or compiled now; nullptr with `fault` set when the
    // dialect or PCRE2 refuses it.
    [[nodiscard]] PatternRef Find(std::string_view pattern, PatternOptions options, PatternFault& fault);
    // Drops every kept pattern; RegExp objects keep those they hold.
    void Clear();

    size_t Size() const { return m_entries.size(); }
    size_t Bytes() const { return m_bytes; }
    // How many times Find had to compile: for tests and measurements.
    size_t CompileCount() const { return m_compileCount; }

    // The calling thread's cache.
    static RegExpPatternCache& ForThisThread();

private:
    struct Entry {
        std::string pattern;
        PatternOptions options;
        PatternRef compiled;
        size_t bytes; // the pattern's text and compiled form
    };

    void Keep(Entry entry);

    std::vector<Entry> m_entries; // most recently used first
    size_t m_bytes = 0;
    size_t m_compileCount = 0;
};

} // namespace vortalux::script
