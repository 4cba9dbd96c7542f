#pragma once

#include "MatchList.h"
#include "PatternTranslator.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct pcre2_real_code_8;

// Fuzzing builds shrink these limits so that limit paths run often and slow inputs stay rare.
#ifndef VORTALUX_PATTERN_MATCH_LIMIT
#define VORTALUX_PATTERN_MATCH_LIMIT 20000000
#endif
#ifndef VORTALUX_PATTERN_MAX_OUTPUT
#define VORTALUX_PATTERN_MAX_OUTPUT (64 << 20)
#endif

namespace vortalux {

// Whether a run stops at the first match or goes on to every match.
enum class MatchScope { FirstMatch, EveryMatch };

// A pattern of VBScript's RegExp dialect, translated (PatternTranslator) and compiled by PCRE2
// for single-byte text: case-sensitive, "^" and "$" only at the ends of the input, "." any byte
// but LF. Compiled once, it can be run any number of times; runs on several threads at once are
// safe (the scratch space of a run is kept per thread).
class CompiledPattern {
public:
    // One call of Execute or Replace, every start position and every match of an EveryMatch run
    // included, may take this many of PCRE2's backtracking steps; past it the call counts as no
    // match (a catastrophic pattern fails instead of hanging the caller). Each start position may
    // besides take up to AttemptAllowance steps without drawing on it, so that an ordinary search
    // over a page costs nothing; a start position that needs more runs again with growing limits
    // and draws them all, at most about five times what it needed. PCRE2 counts a single-character
    // repeat that runs forwards as one step however far it runs, so a pattern that scans to the end
    // of the input from every start position ("(?=a*b)" over a run of a's) is bounded by the square
    // of the input's length, not by the limit.
    static constexpr uint32_t MatchLimit = VORTALUX_PATTERN_MATCH_LIMIT;
    static constexpr uint32_t AttemptAllowance = 512;
    static constexpr uint32_t DepthLimit = 1'000'000;
    // A run that would hold more match offsets than this, or a replacement that would grow past
    // MaxOutputSize bytes, fails the same way instead of exhausting memory.
    static constexpr size_t MaxStoredOffsets = size_t(1) << 24;
    static constexpr size_t MaxOutputSize = VORTALUX_PATTERN_MAX_OUTPUT;

    // nullopt when the pattern is not valid in the dialect or PCRE2 refuses it; `pcre2Error` then
    // receives PCRE2's error code, or 0 when the dialect itself refused the pattern.
    static std::optional<CompiledPattern> Compile(std::string_view pattern, int* pcre2Error = nullptr);
    // The same with options; `fault` receives why the dialect refused the pattern (Syntax when
    // PCRE2 refused it, None on success).
    static std::optional<CompiledPattern> Compile(
        std::string_view pattern, PatternOptions options, PatternFault* fault = nullptr);

    CompiledPattern(CompiledPattern&&) noexcept;
    CompiledPattern& operator=(CompiledPattern&&) noexcept;
    CompiledPattern(const CompiledPattern&) = delete;
    CompiledPattern& operator=(const CompiledPattern&) = delete;
    ~CompiledPattern();

    size_t GroupCount() const { return m_groupCount; }
    bool IsJitCompiled() const { return m_jit; }
    // Where a match can begin; a pattern anchored at the start is tried at the start only.
    MatchAnchor Anchor() const { return m_anchor; }
    // About how much memory the pattern holds: PCRE2's code and JIT code and what is kept to
    // compile the code that locates a slow start position. That code, made the first time a run
    // needs it and about the size of the pattern's own, is left out.
    size_t MemoryBytes() const;

    // The first match, or every match from left to right; after an empty match the next search
    // starts one character further on. The list refers to `input`.
    [[nodiscard]] MatchList Execute(std::string_view input, MatchScope scope) const;
    // The same into an existing list, reusing its storage.
    void Execute(std::string_view input, MatchScope scope, MatchList& matches) const;

    struct Replacement {
        std::string text; // the input with the first (or every) match replaced; the input when none
        size_t matchCount = 0;
        bool limitExceeded = false; // then `text` is empty and the run counts as no match
    };
    // Replaces the first match, or every match, by `replacement` in which "$n" and "$nn" stand for
    // a group ("$nn" when group nn exists, else "$n" followed by the digit when group n exists, else
    // the text as it stands), "$&" for the match, "$`" and "$'" for the text before and after it
    // and "$$" for "$". A group that did not take part gives the empty text.
    [[nodiscard]] Replacement Replace(
        std::string_view input, std::string_view replacement, MatchScope scope) const;

private:
    // One Execute or Replace call: runs PCRE2 from start position to start position within the
    // call's budget.
    class Runner;

    struct CodeDeleter {
        void operator()(pcre2_real_code_8* code) const;
    };
    using Code = std::unique_ptr<pcre2_real_code_8, CodeDeleter>;
    // The pattern with a callout before every start position, compiled when a run first needs to
    // know which start position went past its allowance.
    struct Locator;

    CompiledPattern() = default;
    static std::optional<CompiledPattern> Compile(
        std::string_view pattern, PatternOptions options, PatternFault* fault, int* pcre2Error);
    const Locator& LocatorCode() const;

    Code m_code;
    uint32_t m_compileOptions = 0; // besides those every pattern is compiled with
    bool m_jit = false;
    size_t m_groupCount = 0;
    size_t m_pcre2GroupCount = 0;
    MatchAnchor m_anchor = MatchAnchor::Anywhere;
    // Empty when each group k is PCRE2's group k; else the PCRE2 groups of group k are
    // m_copies[m_copyStart[k - 1]] up to m_copies[m_copyStart[k]].
    std::vector<uint32_t> m_copyStart;
    std::vector<uint32_t> m_copies;
    std::string m_translated;
    std::unique_ptr<Locator> m_locator;
};

} // namespace vortalux
