#include "PatternTest.h"

#include <utility>

namespace vortalux {

namespace {

constexpr std::string_view InvalidPatternText = "Invalid pattern";
constexpr std::string_view NoOccurrenceText = "No occurrence found";

std::string OccurrenceText(size_t count)
{
    return std::to_string(count) + (count > 1 ? " occurrences found" : " occurrence found");
}

// Replaces every `what` in `text` by `with`, scanning left to right; how many were replaced, or
// nothing (and `text` untouched) when the text would grow past `maxSize`. `work` counts the bytes
// scanned.
std::optional<size_t> ReplaceCounted(
    std::string& text, std::string_view what, std::string_view with, size_t maxSize, size_t& work)
{
    work += text.size();
    size_t hit = text.find(what);
    if (hit == std::string::npos)
        return 0;
    std::string out;
    size_t count = 0;
    size_t from = 0;
    for (; hit != std::string::npos; hit = text.find(what, from)) {
        out.append(text, from, hit - from);
        out.append(with);
        from = hit + what.size();
        ++count;
        if (out.size() + (text.size() - from) > maxSize)
            return std::nullopt;
    }
    out.append(text, from);
    text = std::move(out);
    return count;
}

// "$URL" by the sample source, then "$SRV" by its server part.
bool SubstituteSample(std::string& text, size_t maxSize, size_t& work)
{
    return ReplaceCounted(text, "$URL", PatternTest::SampleSource, maxSize, work)
        && ReplaceCounted(text, "$SRV", PatternTest::SampleServer, maxSize, work);
}

} // namespace

const CompiledPattern* PatternTest::Compile(const std::string& pattern)
{
    if (m_compiledText != pattern) {
        m_compiled.reset();
        m_compiled = CompiledPattern::Compile(pattern);
        m_compiledText = pattern;
    }
    return m_compiled ? &*m_compiled : nullptr;
}

void PatternTest::Run(const Settings& settings, std::string sample)
{
    m_matches = MatchList();
    m_sample = std::move(sample);
    m_mode = settings.mode;
    m_preview.clear();
    m_outcome = Outcome::NoMatch;

    const CompiledPattern* compiled = Compile(settings.pattern);
    if (compiled == nullptr) {
        m_outcome = Outcome::InvalidPattern;
        m_status = InvalidPatternText;
        return;
    }
    m_status = NoOccurrenceText;
    // The empty pattern matches everywhere, yet counts as no match, as in the rules.
    if (settings.pattern.empty())
        return;
    compiled->Execute(m_sample, settings.scope, m_matches);
    if (m_matches.Empty())
        return; // no match, or the match limit was hit

    if (settings.mode == PatternTestMode::Replace) {
        CompiledPattern::Replacement replaced = compiled->Replace(m_sample, settings.result, settings.scope);
        size_t work = 0;
        if (replaced.limitExceeded || replaced.matchCount == 0
            || !SubstituteSample(replaced.text, CompiledPattern::MaxOutputSize, work)) {
            m_matches = MatchList();
            return; // the replacement would not fit: a step that fails to run
        }
        m_preview = std::move(replaced.text);
    }
    m_outcome = Outcome::Matched;
    m_status = OccurrenceText(m_matches.Count());
    if (settings.mode == PatternTestMode::Search && settings.preview == ResultPreview::On) {
        if (auto preview = ResultPreviewText(settings.result))
            m_status = std::move(*preview);
    }
}

// The result pattern with each "$k" replaced by every match's sub-match k in turn: once the first
// match has replaced them, a later match replaces only what an earlier sub-match brought in.
std::optional<std::string> PatternTest::ResultPreviewText(std::string_view result) const
{
    std::string text(result);
    size_t work = 0;
    const size_t groupCount = m_matches.GroupCount();
    for (size_t m = 0; m < m_matches.Count(); ++m) {
        if (text.find('$') == std::string::npos)
            break;
        size_t replaced = 0;
        for (size_t k = 1; k <= groupCount; ++k) {
            const auto count = ReplaceCounted(
                text, "$" + std::to_string(k), m_matches.SubMatch(m, k), MaxPreviewSize, work);
            if (!count || work > MaxPreviewWork)
                return std::nullopt;
            replaced += *count;
        }
        // No "$k" left: later matches change nothing.
        if (replaced == 0)
            break;
    }
    if (!SubstituteSample(text, MaxPreviewSize, work))
        return std::nullopt;
    return text;
}

size_t PatternTest::RowCount() const
{
    if (m_mode != PatternTestMode::Search)
        return 0;
    return MatchCount() * (m_matches.GroupCount() + 1);
}

std::string_view PatternTest::Value(size_t row) const
{
    const size_t match = MatchOfRow(row);
    const size_t group = row % (m_matches.GroupCount() + 1);
    return group == 0 ? m_matches.Value(match) : m_matches.SubMatch(match, group);
}

std::string PatternTest::Cell(size_t row, Column column) const
{
    const size_t match = MatchOfRow(row);
    const size_t group = row % (m_matches.GroupCount() + 1);
    switch (column) {
    case Column::Number:
        return group == 0 ? std::to_string(match + 1) : "  $" + std::to_string(group);
    case Column::Value:
        return std::string(Value(row));
    case Column::Position:
        return group == 0 ? std::to_string(m_matches.FirstIndex(match)) : std::string();
    case Column::Length:
        return std::to_string(Value(row).size());
    }
    return {};
}

} // namespace vortalux
