#include "CompiledPattern.h"

#include "PatternTranslator.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

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

// "(?C{n})" after an iteration that must not be empty: PCRE2 group n, empty, was set where the
// iteration began. Failing here makes PCRE2 backtrack into the iteration.
int OnCallout(pcre2_callout_block* block, void*)
{
    if (block->callout_string == nullptr)
        return 0;
    uint32_t marker = 0;
    for (PCRE2_SIZE i = 0; i < block->callout_string_length; ++i)
        marker = marker * 10 + static_cast<uint32_t>(block->callout_string[i] - '0');
    const bool empty
        = marker < block->capture_top && block->offset_vector[2 * marker] == block->current_position;
    return empty ? 1 : 0;
}

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
        pcre2_set_match_limit(m_context, CompiledPattern::MatchLimit);
        pcre2_set_depth_limit(m_context, CompiledPattern::DepthLimit);
        pcre2_set_heap_limit(m_context, HeapLimitKib);
        pcre2_set_callout(m_context, &OnCallout, nullptr);
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

    // Match data with room for at least `pairs` offset pairs.
    pcre2_match_data* DataFor(size_t pairs)
    {
        if (pairs > m_pairs) {
            pcre2_match_data_free(m_data);
            m_data = pcre2_match_data_create(static_cast<uint32_t>(pairs), nullptr);
            m_pairs = m_data != nullptr ? pairs : 0;
        }
        return m_data;
    }

    static MatchScratch& ForThisThread()
    {
        thread_local MatchScratch scratch;
        return scratch;
    }

private:
    pcre2_match_context* m_context = nullptr;
    pcre2_jit_stack* m_jitStack = nullptr;
    pcre2_match_data* m_data = nullptr;
    size_t m_pairs = 0;
};

// Runs one pattern over one input, match after match, the ECMAScript way.
class MatchRunner {
public:
    MatchRunner(const pcre2_code* code, bool jit, size_t pcre2GroupCount, std::string_view input)
        : m_code(code)
        , m_jit(jit)
        // An empty view may carry no buffer at all. PCRE2 must never see a null subject: the
        // interpreter refuses it, and the JIT code of some patterns reads through it.
        , m_input(input.data() != nullptr ? input : std::string_view(""))
    {
        MatchScratch& scratch = MatchScratch::ForThisThread();
        m_context = scratch.Context();
        m_data = scratch.DataFor(pcre2GroupCount + 1);
        if (m_data != nullptr)
            m_ovector = pcre2_get_ovector_pointer(m_data);
    }

    enum class Result { Match, NoMatch, Failed };

    // Searches from `start` on; Failed covers the match limits and a lack of memory.
    Result Find(size_t start)
    {
        if (m_data == nullptr || m_context == nullptr)
            return Result::Failed;
        const auto* subject = reinterpret_cast<PCRE2_SPTR>(m_input.data());
        const int rc = m_jit ? pcre2_jit_match(m_code, subject, m_input.size(), start, 0, m_data, m_context)
                             : pcre2_match(m_code, subject, m_input.size(), start, 0, m_data, m_context);
        if (rc > 0)
            return Result::Match;
        return rc == PCRE2_ERROR_NOMATCH ? Result::NoMatch : Result::Failed;
    }

    // Offset pairs of the last match: the whole match, then each of PCRE2's groups (PCRE2_UNSET
    // when unset).
    const PCRE2_SIZE* Ovector() const { return m_ovector; }

    // Where the search after the last match starts: after an empty match one character further on.
    size_t NextStart() const { return m_ovector[1] == m_ovector[0] ? m_ovector[1] + 1 : m_ovector[1]; }

private:
    const pcre2_code* m_code;
    bool m_jit;
    std::string_view m_input;
    pcre2_match_context* m_context = nullptr;
    pcre2_match_data* m_data = nullptr;
    const PCRE2_SIZE* m_ovector = nullptr;
};

// The offset pairs of a match as the dialect numbers its groups. A group copied by an unrolled
// repetition has a PCRE2 group for each copy: the copy that took part last holds its value.
const PCRE2_SIZE* ResolveGroups(const PCRE2_SIZE* ovector, size_t groupCount,
    const std::vector<uint32_t>& copyStart, const std::vector<uint32_t>& copies,
    std::vector<PCRE2_SIZE>& resolved)
{
    if (copyStart.empty())
        return ovector;
    resolved.resize((groupCount + 1) * 2);
    resolved[0] = ovector[0];
    resolved[1] = ovector[1];
    for (size_t k = 1; k <= groupCount; ++k) {
        PCRE2_SIZE start = PCRE2_UNSET;
        PCRE2_SIZE end = PCRE2_UNSET;
        for (uint32_t c = copyStart[k - 1]; c < copyStart[k]; ++c) {
            const PCRE2_SIZE copyBegin = ovector[2 * copies[c]];
            if (copyBegin != PCRE2_UNSET && (start == PCRE2_UNSET || copyBegin >= start)) {
                start = copyBegin;
                end = ovector[2 * copies[c] + 1];
            }
        }
        resolved[2 * k] = start;
        resolved[2 * k + 1] = end;
    }
    return resolved.data();
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

void CompiledPattern::CodeDeleter::operator()(pcre2_real_code_8* code) const { pcre2_code_free(code); }

CompiledPattern::~CompiledPattern() = default;

std::optional<CompiledPattern> CompiledPattern::Compile(std::string_view pattern, int* pcre2Error)
{
    if (pcre2Error != nullptr)
        *pcre2Error = 0;
    int errorCode = 0;
    const auto refuse = [&errorCode, pcre2Error]() -> std::optional<CompiledPattern> {
        if (pcre2Error != nullptr)
            *pcre2Error = errorCode;
        return std::nullopt;
    };
    const std::optional<TranslatedPattern> translated = PatternTranslator::Translate(pattern);
    if (!translated)
        return refuse();
    if (translated->tooLarge) {
        errorCode = PCRE2_ERROR_PATTERN_TOO_LARGE;
        return refuse();
    }
    pcre2_compile_context* context = SharedCompileContext();
    if (context == nullptr) {
        errorCode = PCRE2_ERROR_NOMEMORY;
        return refuse();
    }
    PCRE2_SIZE errorOffset = 0;
    CompiledPattern compiled;
    const uint32_t options
        = CompileOptions | (translated->misleadsStartOptimizations ? PCRE2_NO_START_OPTIMIZE : 0);
    compiled.m_code.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated->text.data()),
        translated->text.size(), options, &errorCode, &errorOffset, context));
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
    return compiled;
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
    MatchRunner runner(m_code.get(), m_jit, m_pcre2GroupCount, input);
    std::vector<PCRE2_SIZE> resolved;
    const auto fail = [&matches] {
        matches.m_count = 0;
        matches.m_offsets = std::vector<size_t>(); // what was found so far may be large
        matches.m_limitExceeded = true;
    };
    size_t start = 0;
    while (start <= input.size()) {
        const MatchRunner::Result result = runner.Find(start);
        if (result == MatchRunner::Result::NoMatch)
            break;
        if (result == MatchRunner::Result::Failed
            || matches.m_offsets.size() + offsetsPerMatch > MaxStoredOffsets) {
            fail();
            return;
        }
        const PCRE2_SIZE* groups
            = ResolveGroups(runner.Ovector(), m_groupCount, m_copyStart, m_copies, resolved);
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
    MatchRunner runner(m_code.get(), m_jit, m_pcre2GroupCount, input);
    std::vector<PCRE2_SIZE> resolved;
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

    size_t copied = 0; // input before this offset is already in the output
    size_t start = 0;
    while (start <= input.size()) {
        const MatchRunner::Result result = runner.Find(start);
        if (result == MatchRunner::Result::NoMatch)
            break;
        if (result == MatchRunner::Result::Failed)
            return fail();
        const PCRE2_SIZE* ovector
            = ResolveGroups(runner.Ovector(), m_groupCount, m_copyStart, m_copies, resolved);
        const size_t matchStart = ovector[0];
        const size_t matchEnd = ovector[1];
        if (!append(input.substr(copied, matchStart - copied)))
            return fail();
        for (const ReplacementPiece& piece : pieces) {
            std::string_view text;
            switch (piece.kind) {
            case ReplacementPiece::Kind::Literal:
                text = replacement.substr(piece.offset, piece.length);
                break;
            case ReplacementPiece::Kind::Group:
                if (ovector[piece.offset * 2] != PCRE2_UNSET)
                    text = input.substr(
                        ovector[piece.offset * 2], ovector[piece.offset * 2 + 1] - ovector[piece.offset * 2]);
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
