#include "CompiledPattern.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <limits>
#include <mutex>
#include <vector>

namespace vortalux {

namespace {

// ECMAScript behaviour where PCRE2's defaults differ; the translator leaves nothing else to chance.
constexpr uint32_t CompileOptions = PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF | PCRE2_ALLOW_EMPTY_CLASS
    | PCRE2_DOLLAR_ENDONLY | PCRE2_NEVER_UTF | PCRE2_NEVER_UCP | PCRE2_NEVER_BACKSLASH_C;

// A repeated group takes stack for every repetition; with this much, one can run over a whole page
// of 64 MiB of simple repetitions before the run fails. The stack is reserved, not filled, up front.
constexpr size_t JitStackStart = size_t(32) << 10;
constexpr size_t JitStackMax = size_t(64) << 20;
// The same room for the interpreter's backtracking frames (in KiB), used when there is no JIT.
constexpr uint32_t HeapLimitKib = 64 << 10;

// The callout number that the locator's code passes at every start position.
constexpr uint32_t AttemptCallout = 255;
// What that callout answers, as PCRE2's result, when a run meant for one start position reaches
// another: the attempt at the wanted one has failed. Below every error code of PCRE2.
constexpr int AttemptElsewhere = -10000;
constexpr size_t NoPosition = std::numeric_limits<size_t>::max();
// A start position that needs more than its allowance runs again with this many times the
// allowance, then this many times the last limit, until it has enough.
constexpr uint32_t ChargedGrowth = 4;

pcre2_compile_context* SharedCompileContext()
{
    // Read-only once set up, so every thread may compile with it.
    static pcre2_compile_context* const context = [] {
        pcre2_compile_context* created = pcre2_compile_context_create(nullptr);
        if (created != nullptr)
            pcre2_set_newline(created, PCRE2_NEWLINE_LF);
        return created;
    }();
    return context;
}

// What the callouts of one run share with it.
struct CalloutState {
    size_t attemptStart = NoPosition; // the start position of the latest attempt
    size_t onlyAt = NoPosition; // when set, an attempt at any other start position ends the run
};

int OnCallout(pcre2_callout_block* block, void* data)
{
    if (block->callout_string != nullptr) {
        // "(?C{n})" after an iteration that must not be empty: PCRE2 group n, empty, was set where
        // the iteration began. Failing here makes PCRE2 backtrack into the iteration.
        uint32_t marker = 0;
        for (PCRE2_SIZE i = 0; i < block->callout_string_length; ++i)
            marker = marker * 10 + static_cast<uint32_t>(block->callout_string[i] - '0');
        const bool empty
            = marker < block->capture_top && block->offset_vector[2 * marker] == block->current_position;
        return empty ? 1 : 0;
    }
    auto* state = static_cast<CalloutState*>(data);
    if (state == nullptr || block->callout_number != AttemptCallout)
        return 0;
    if (state->onlyAt != NoPosition && block->start_match != state->onlyAt)
        return AttemptElsewhere;
    state->attemptStart = block->start_match;
    return 0;
}

// What a run needs besides the compiled code: limits, the JIT stack and an output vector. PCRE2
// lets none of these be shared between threads that match at the same time, so each thread keeps
// its own, and reuses it from run to run.
class MatchScratch {
public:
    MatchScratch()
    {
        m_context = pcre2_match_context_create(nullptr);
        if (m_context == nullptr)
            return;
        pcre2_set_depth_limit(m_context, CompiledPattern::DepthLimit);
        pcre2_set_heap_limit(m_context, HeapLimitKib);
        pcre2_set_match_limit(m_context, m_matchLimit);
        pcre2_set_callout(m_context, &OnCallout, &m_callout);
        m_jitStack = pcre2_jit_stack_create(JitStackStart, JitStackMax, nullptr);
        if (m_jitStack != nullptr)
            pcre2_jit_stack_assign(m_context, nullptr, m_jitStack);
    }
    ~MatchScratch()
    {
        pcre2_match_data_free(m_data);
        pcre2_jit_stack_free(m_jitStack);
        pcre2_match_context_free(m_context);
    }
    MatchScratch(const MatchScratch&) = delete;
    MatchScratch& operator=(const MatchScratch&) = delete;

    pcre2_match_context* Context() const { return m_context; }
    CalloutState& Callout() { return m_callout; }

    // Setting the limit costs a call into PCRE2, and most runs leave it as it was.
    void SetMatchLimit(uint32_t limit)
    {
        if (limit != m_matchLimit) {
            pcre2_set_match_limit(m_context, limit);
            m_matchLimit = limit;
        }
    }

    // Match data with room for at least `pairs` offset pairs.
    pcre2_match_data* DataFor(size_t pairs) { return pairs <= m_pairs ? m_data : Grow(pairs); }
    // The offsets of the data DataFor gave.
    const PCRE2_SIZE* Ovector() const { return m_ovector; }
    // Room for the offsets of a match whose groups were copied.
    std::vector<PCRE2_SIZE>& Resolved() { return m_resolved; }

    static MatchScratch& ForThisThread()
    {
        // A plain pointer needs no check that it was constructed, and keeps the construction out of
        // every run's way.
        thread_local MatchScratch* current = nullptr;
        if (current == nullptr)
            current = &CreateForThisThread();
        return *current;
    }

private:
    [[gnu::noinline]] static MatchScratch& CreateForThisThread()
    {
        thread_local MatchScratch scratch;
        return scratch;
    }
    pcre2_match_data* Grow(size_t pairs);

    pcre2_match_context* m_context = nullptr;
    pcre2_jit_stack* m_jitStack = nullptr;
    pcre2_match_data* m_data = nullptr;
    const PCRE2_SIZE* m_ovector = nullptr;
    size_t m_pairs = 0;
    uint32_t m_matchLimit = CompiledPattern::AttemptAllowance;
    CalloutState m_callout;
    std::vector<PCRE2_SIZE> m_resolved;
};

pcre2_match_data* MatchScratch::Grow(size_t pairs)
{
    pcre2_match_data_free(m_data);
    m_data = pcre2_match_data_create(static_cast<uint32_t>(pairs), nullptr);
    m_pairs = m_data != nullptr ? pairs : 0;
    m_ovector = m_data != nullptr ? pcre2_get_ovector_pointer(m_data) : nullptr;
    return m_data;
}

pcre2_code* CompileText(const std::string& text, uint32_t extraOptions, int& errorCode)
{
    pcre2_compile_context* context = SharedCompileContext();
    if (context == nullptr) {
        errorCode = PCRE2_ERROR_NOMEMORY;
        return nullptr;
    }
    PCRE2_SIZE errorOffset = 0;
    return pcre2_compile(reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(),
        CompileOptions | extraOptions, &errorCode, &errorOffset, context);
}

// One part of a parsed replacement text.
struct ReplacementPiece {
    enum class Kind { Literal, Group, Match, Before, After };
    Kind kind;
    size_t offset = 0; // Literal: where in the replacement text; Group: the group number
    size_t length = 0;
};

std::vector<ReplacementPiece> ParseReplacement(std::string_view replacement, size_t groupCount)
{
    std::vector<ReplacementPiece> pieces;
    size_t literalStart = 0;
    const auto flushLiteral = [&](size_t end) {
        if (end > literalStart)
            pieces.push_back({ReplacementPiece::Kind::Literal, literalStart, end - literalStart});
    };
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    size_t i = 0;
    while (i + 1 < replacement.size()) {
        if (replacement[i] != '$') {
            ++i;
            continue;
        }
        const char next = replacement[i + 1];
        if (next == '$') {
            flushLiteral(i + 1); // keeps one "$"
            i += 2;
            literalStart = i;
            continue;
        }
        ReplacementPiece piece {ReplacementPiece::Kind::Literal};
        size_t used = 0;
        if (next == '&') {
            piece.kind = ReplacementPiece::Kind::Match;
            used = 2;
        } else if (next == '`') {
            piece.kind = ReplacementPiece::Kind::Before;
            used = 2;
        } else if (next == '\'') {
            piece.kind = ReplacementPiece::Kind::After;
            used = 2;
        } else if (isDigit(next)) {
            const size_t one = static_cast<size_t>(next - '0');
            if (i + 2 < replacement.size() && isDigit(replacement[i + 2])) {
                const size_t two = one * 10 + static_cast<size_t>(replacement[i + 2] - '0');
                if (two >= 1 && two <= groupCount) {
                    piece = {ReplacementPiece::Kind::Group, two};
                    used = 3;
                }
            }
            if (used == 0 && one >= 1 && one <= groupCount) {
                piece = {ReplacementPiece::Kind::Group, one};
                used = 2;
            }
        }
        if (used == 0) {
            ++i; // a "$" that starts nothing is itself
            continue;
        }
        flushLiteral(i);
        pieces.push_back(piece);
        i += used;
        literalStart = i;
    }
    flushLiteral(replacement.size());
    return pieces;
}

} // namespace

struct CompiledPattern::Locator {
    std::once_flag once;
    Code code;
    bool jit = false;
};

class CompiledPattern::Runner {
public:
    Runner(const CompiledPattern& pattern, std::string_view input)
        : m_pattern(pattern)
        , m_scratch(MatchScratch::ForThisThread())
        // An empty view may carry no buffer at all. PCRE2 must never see a null subject: the
        // interpreter refuses it, and the JIT code of some patterns reads through it.
        , m_input(input.data() != nullptr ? input : std::string_view(""))
        , m_data(m_scratch.DataFor(pattern.m_pcre2GroupCount + 1))
        , m_ovector(m_scratch.Ovector())
    {
    }

    // False when the scratch space could not be had: every run fails then.
    bool Ready() const { return m_data != nullptr && m_scratch.Context() != nullptr; }

    enum class Result { Match, NoMatch, Failed };

    // The leftmost match that begins at or after `start`. Failed covers the budget, the other
    // limits and a lack of memory.
    Result Find(size_t start)
    {
        const MatchAnchor anchor = m_pattern.m_anchor;
        // The code of an anchored pattern begins with "\G": each run tries one start position.
        const size_t position = anchor == MatchAnchor::End ? m_input.size() : start;
        const int found = Run(m_pattern.m_code.get(), m_pattern.m_jit, position, AttemptAllowance);
        if (found > 0)
            return Result::Match;
        if (found == PCRE2_ERROR_NOMATCH) {
            if (anchor == MatchAnchor::StartOrEnd && position < m_input.size())
                return RunAt(m_input.size());
            return Result::NoMatch;
        }
        if (found != PCRE2_ERROR_MATCHLIMIT)
            return Result::Failed;
        if (anchor == MatchAnchor::Anywhere)
            return FindPastAllowance(start);
        const Result atPosition
            = RunCharged(m_pattern.m_code.get(), m_pattern.m_jit, position, ChargedGrowth * AttemptAllowance);
        if (atPosition == Result::NoMatch && anchor == MatchAnchor::StartOrEnd && position < m_input.size())
            return RunAt(m_input.size());
        return atPosition;
    }

    // Offset pairs of the last match: the whole match, then each of the dialect's groups
    // (PCRE2_UNSET when it did not take part).
    const PCRE2_SIZE* Groups()
    {
        if (m_pattern.m_copyStart.empty())
            return m_ovector;
        // A group copied by an unrolled repetition: the copy that took part last holds its value.
        std::vector<PCRE2_SIZE>& resolved = m_scratch.Resolved();
        resolved.resize((m_pattern.m_groupCount + 1) * 2);
        resolved[0] = m_ovector[0];
        resolved[1] = m_ovector[1];
        for (size_t k = 1; k <= m_pattern.m_groupCount; ++k) {
            PCRE2_SIZE start = PCRE2_UNSET;
            PCRE2_SIZE end = PCRE2_UNSET;
            for (uint32_t c = m_pattern.m_copyStart[k - 1]; c < m_pattern.m_copyStart[k]; ++c) {
                const uint32_t copy = m_pattern.m_copies[c];
                const PCRE2_SIZE copyStart = m_ovector[2 * copy];
                if (copyStart != PCRE2_UNSET && (start == PCRE2_UNSET || copyStart >= start)) {
                    start = copyStart;
                    end = m_ovector[2 * copy + 1];
                }
            }
            resolved[2 * k] = start;
            resolved[2 * k + 1] = end;
        }
        return resolved.data();
    }

    // Where the search after the last match starts: after an empty match one character further on.
    size_t NextStart() const { return m_ovector[1] == m_ovector[0] ? m_ovector[1] + 1 : m_ovector[1]; }

private:
    int Run(const pcre2_code* code, bool jit, size_t start, uint32_t limit)
    {
        m_scratch.SetMatchLimit(limit);
        const auto* subject = reinterpret_cast<PCRE2_SPTR>(m_input.data());
        pcre2_match_context* context = m_scratch.Context();
        return jit ? pcre2_jit_match(code, subject, m_input.size(), start, 0, m_data, context)
                   : pcre2_match(code, subject, m_input.size(), start, 0, m_data, context);
    }

    Result FindPastAllowance(size_t start);
    Result RunAt(size_t position);
    Result RunCharged(const pcre2_code* code, bool jit, size_t position, uint32_t limit);

    const CompiledPattern& m_pattern;
    MatchScratch& m_scratch;
    std::string_view m_input;
    pcre2_match_data* m_data;
    const PCRE2_SIZE* m_ovector;
    uint64_t m_budget = MatchLimit;
};

// Some start position at or after `start` needs more than its allowance: the locator finds which,
// that start position alone runs again on the budget, and the search goes on after it.
CompiledPattern::Runner::Result CompiledPattern::Runner::FindPastAllowance(size_t start)
{
    const Locator& locator = m_pattern.LocatorCode();
    if (!locator.code)
        return Result::Failed;
    CalloutState& callout = m_scratch.Callout();
    size_t from = start;
    for (;;) {
        callout = CalloutState();
        const int located = Run(locator.code.get(), locator.jit, from, AttemptAllowance);
        if (located > 0)
            return Result::Match;
        if (located == PCRE2_ERROR_NOMATCH)
            return Result::NoMatch;
        if (located != PCRE2_ERROR_MATCHLIMIT || callout.attemptStart == NoPosition)
            return Result::Failed;

        const size_t position = callout.attemptStart;
        callout.onlyAt = position;
        const Result attempt
            = RunCharged(locator.code.get(), locator.jit, position, ChargedGrowth * AttemptAllowance);
        callout = CalloutState();
        if (attempt != Result::NoMatch || position >= m_input.size())
            return attempt;
        from = position + 1;
        // Back to the code without callouts until the next start position that needs more.
        const int found = Run(m_pattern.m_code.get(), m_pattern.m_jit, from, AttemptAllowance);
        if (found > 0)
            return Result::Match;
        if (found == PCRE2_ERROR_NOMATCH)
            return Result::NoMatch;
        if (found != PCRE2_ERROR_MATCHLIMIT)
            return Result::Failed;
    }
}

// One start position of an anchored pattern on its allowance, and on the budget when it needs more.
CompiledPattern::Runner::Result CompiledPattern::Runner::RunAt(size_t position)
{
    const int found = Run(m_pattern.m_code.get(), m_pattern.m_jit, position, AttemptAllowance);
    if (found > 0)
        return Result::Match;
    if (found == PCRE2_ERROR_NOMATCH)
        return Result::NoMatch;
    if (found != PCRE2_ERROR_MATCHLIMIT)
        return Result::Failed;
    return RunCharged(m_pattern.m_code.get(), m_pattern.m_jit, position, ChargedGrowth * AttemptAllowance);
}

// One start position (the code is anchored there, or the callouts end the run elsewhere), run with
// a limit that grows until it suffices. Every run draws its limit from the budget, so a start
// position that needs n steps draws at most about 5n.
CompiledPattern::Runner::Result CompiledPattern::Runner::RunCharged(
    const pcre2_code* code, bool jit, size_t position, uint32_t limit)
{
    for (;;) {
        const auto granted = static_cast<uint32_t>(std::min<uint64_t>(limit, m_budget));
        if (granted == 0)
            return Result::Failed;
        const int result = Run(code, jit, position, granted);
        m_budget -= granted;
        if (result > 0)
            return Result::Match;
        if (result == PCRE2_ERROR_NOMATCH || result == AttemptElsewhere)
            return Result::NoMatch;
        if (result != PCRE2_ERROR_MATCHLIMIT)
            return Result::Failed;
        limit = limit > std::numeric_limits<uint32_t>::max() / ChargedGrowth
            ? std::numeric_limits<uint32_t>::max()
            : limit * ChargedGrowth;
    }
}

void CompiledPattern::CodeDeleter::operator()(pcre2_real_code_8* code) const { pcre2_code_free(code); }

CompiledPattern::CompiledPattern(CompiledPattern&&) noexcept = default;
CompiledPattern& CompiledPattern::operator=(CompiledPattern&&) noexcept = default;
CompiledPattern::~CompiledPattern() = default;

std::optional<CompiledPattern> CompiledPattern::Compile(std::string_view pattern, int* pcre2Error)
{
    return Compile(pattern, PatternOptions::None, nullptr, pcre2Error);
}

std::optional<CompiledPattern> CompiledPattern::Compile(
    std::string_view pattern, PatternOptions options, PatternFault* fault)
{
    return Compile(pattern, options, fault, nullptr);
}

std::optional<CompiledPattern> CompiledPattern::Compile(
    std::string_view pattern, PatternOptions options, PatternFault* fault, int* pcre2Error)
{
    if (pcre2Error != nullptr)
        *pcre2Error = 0;
    int errorCode = 0;
    PatternFault translatorFault = PatternFault::None;
    const auto refuse
        = [&errorCode, &translatorFault, pcre2Error, fault]() -> std::optional<CompiledPattern> {
        if (pcre2Error != nullptr)
            *pcre2Error = errorCode;
        if (fault != nullptr)
            *fault = translatorFault == PatternFault::None ? PatternFault::Syntax : translatorFault;
        return std::nullopt;
    };
    if (fault != nullptr)
        *fault = PatternFault::None;
    std::optional<TranslatedPattern> translated
        = PatternTranslator::Translate(pattern, options, &translatorFault);
    if (!translated)
        return refuse();
    if (translated->tooLarge) {
        errorCode = PCRE2_ERROR_PATTERN_TOO_LARGE;
        return refuse();
    }

    CompiledPattern compiled;
    compiled.m_anchor = translated->anchor;
    // "\G" holds a run to its start position: a pattern anchored at the start or the end is then
    // tried at those positions only (PCRE2 does not see an anchor behind a look-ahead).
    const std::string text
        = compiled.m_anchor == MatchAnchor::Anywhere ? translated->text : "\\G(?:" + translated->text + ")";
    compiled.m_compileOptions = translated->misleadsStartOptimizations ? PCRE2_NO_START_OPTIMIZE : 0;
    if (HasOption(options, PatternOptions::IgnoreCase))
        compiled.m_compileOptions |= PCRE2_CASELESS;
    compiled.m_code.reset(CompileText(text, compiled.m_compileOptions, errorCode));
    if (!compiled.m_code)
        return refuse();
    uint32_t captureCount = 0;
    pcre2_pattern_info(compiled.m_code.get(), PCRE2_INFO_CAPTURECOUNT, &captureCount);
    if (captureCount != translated->pcre2GroupCount) {
        errorCode = PCRE2_ERROR_INTERNAL; // the translator lost count of its groups
        return refuse();
    }
    // Without JIT (not built in, or out of executable memory) the interpreter gives the same results.
    compiled.m_jit = pcre2_jit_compile(compiled.m_code.get(), PCRE2_JIT_COMPLETE) == 0;
    compiled.m_groupCount = translated->groupCount;
    compiled.m_pcre2GroupCount = captureCount;

    bool identity = compiled.m_pcre2GroupCount == compiled.m_groupCount;
    for (size_t k = 1; k <= compiled.m_groupCount && identity; ++k)
        identity = translated->groupCopies[k - 1] == std::vector<uint32_t> {static_cast<uint32_t>(k)};
    if (!identity) {
        compiled.m_copyStart.push_back(0);
        for (const std::vector<uint32_t>& copies : translated->groupCopies) {
            compiled.m_copies.insert(compiled.m_copies.end(), copies.begin(), copies.end());
            compiled.m_copyStart.push_back(static_cast<uint32_t>(compiled.m_copies.size()));
        }
    }
    if (compiled.m_anchor == MatchAnchor::Anywhere) {
        compiled.m_translated = std::move(translated->text);
        compiled.m_locator = std::make_unique<Locator>();
    }
    return compiled;
}

size_t CompiledPattern::MemoryBytes() const
{
    size_t codeSize = 0;
    size_t jitSize = 0;
    pcre2_pattern_info(m_code.get(), PCRE2_INFO_SIZE, &codeSize);
    if (m_jit)
        pcre2_pattern_info(m_code.get(), PCRE2_INFO_JITSIZE, &jitSize);
    const size_t bytes = sizeof(CompiledPattern) + codeSize + jitSize + m_translated.capacity()
        + (m_copyStart.capacity() + m_copies.capacity()) * sizeof(uint32_t);
    return m_locator ? bytes + sizeof(Locator) : bytes;
}

const CompiledPattern::Locator& CompiledPattern::LocatorCode() const
{
    std::call_once(m_locator->once, [this] {
        int errorCode = 0;
        const std::string text = "(?C" + std::to_string(AttemptCallout) + ")(?:" + m_translated + ")";
        m_locator->code.reset(CompileText(text, m_compileOptions, errorCode));
        if (m_locator->code)
            m_locator->jit = pcre2_jit_compile(m_locator->code.get(), PCRE2_JIT_COMPLETE) == 0;
    });
    return *m_locator;
}

MatchList CompiledPattern::Execute(std::string_view input, MatchScope scope) const
{
    MatchList matches;
    Execute(input, scope, matches);
    return matches;
}

void CompiledPattern::Execute(std::string_view input, MatchScope scope, MatchList& matches) const
{
    matches.Reset(input, m_groupCount);
    const size_t offsetsPerMatch = (m_groupCount + 1) * 2;
    Runner runner(*this, input);
    const auto fail = [&matches] {
        matches.m_count = 0;
        matches.m_offsets = std::vector<size_t>(); // what was found so far may be large
        matches.m_limitExceeded = true;
    };
    if (!runner.Ready()) {
        fail();
        return;
    }
    size_t start = 0;
    while (start <= input.size()) {
        const Runner::Result result = runner.Find(start);
        if (result == Runner::Result::NoMatch)
            break;
        if (result == Runner::Result::Failed
            || matches.m_offsets.size() + offsetsPerMatch > MaxStoredOffsets) {
            fail();
            return;
        }
        const PCRE2_SIZE* groups = runner.Groups();
        matches.m_offsets.insert(matches.m_offsets.end(), groups, groups + offsetsPerMatch);
        ++matches.m_count;
        if (scope == MatchScope::FirstMatch)
            break;
        start = runner.NextStart();
    }
}

CompiledPattern::Replacement CompiledPattern::Replace(
    std::string_view input, std::string_view replacement, MatchScope scope) const
{
    Replacement outcome;
    const std::vector<ReplacementPiece> pieces = ParseReplacement(replacement, m_groupCount);
    Runner runner(*this, input);
    std::string& out = outcome.text;
    const auto append = [&out](std::string_view text) {
        if (out.size() + text.size() > MaxOutputSize)
            return false;
        out.append(text);
        return true;
    };
    const auto fail = [&outcome] {
        outcome.text.clear();
        outcome.text.shrink_to_fit();
        outcome.matchCount = 0;
        outcome.limitExceeded = true;
        return outcome;
    };

    if (!runner.Ready())
        return fail();
    size_t copied = 0; // input before this offset is already in the output
    size_t start = 0;
    while (start <= input.size()) {
        const Runner::Result result = runner.Find(start);
        if (result == Runner::Result::NoMatch)
            break;
        if (result == Runner::Result::Failed)
            return fail();
        const PCRE2_SIZE* groups = runner.Groups();
        const size_t matchStart = groups[0];
        const size_t matchEnd = groups[1];
        if (!append(input.substr(copied, matchStart - copied)))
            return fail();
        for (const ReplacementPiece& piece : pieces) {
            std::string_view text;
            switch (piece.kind) {
            case ReplacementPiece::Kind::Literal:
                text = replacement.substr(piece.offset, piece.length);
                break;
            case ReplacementPiece::Kind::Group:
                if (groups[piece.offset * 2] != PCRE2_UNSET)
                    text = input.substr(
                        groups[piece.offset * 2], groups[piece.offset * 2 + 1] - groups[piece.offset * 2]);
                break;
            case ReplacementPiece::Kind::Match:
                text = input.substr(matchStart, matchEnd - matchStart);
                break;
            case ReplacementPiece::Kind::Before:
                text = input.substr(0, matchStart);
                break;
            case ReplacementPiece::Kind::After:
                text = input.substr(matchEnd);
                break;
            }
            if (!append(text))
                return fail();
        }
        copied = matchEnd;
        ++outcome.matchCount;
        if (scope == MatchScope::FirstMatch)
            break;
        start = runner.NextStart();
    }
    if (!append(input.substr(copied)))
        return fail();
    return outcome;
}

} // namespace vortalux
