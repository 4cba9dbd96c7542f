#include "ApplyPattern.h"

#include "AsciiText.h"
#include "CompiledPattern.h"
#include "PatternCache.h"
#include "UrlHelpers.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

namespace vortalux {

namespace {

// No result may grow past what a page may hold; a step that would is a step that failed to run.
constexpr size_t MaxResultSize = CompiledPattern::MaxOutputSize;
// Bytes that substitutions after a line's first may go through in one call. Only a source that
// brings "$URL" or "$SRV" back needs any; past this the step fails like one that hits the match
// limit, instead of growing the result for minutes.
constexpr size_t MaxRepeatedSubstitution = size_t(4) << 20;

// ReplaceAll that refuses (and leaves the text alone) when the text would pass MaxResultSize.
bool ReplaceAllBounded(std::string& text, std::string_view what, std::string_view with)
{
    size_t hit = text.find(what);
    if (hit == std::string::npos)
        return true;
    if (with.size() > what.size()) {
        size_t count = 0;
        for (; hit != std::string::npos; hit = text.find(what, hit + what.size()))
            ++count;
        if (text.size() + count * (with.size() - what.size()) > MaxResultSize)
            return false;
    }
    ReplaceAll(text, what, with);
    return true;
}

// "$URL" and "$SRV" of one call.
class SourcePlaceholders {
public:
    explicit SourcePlaceholders(std::string_view source)
        : m_source(source)
    {
    }

    // One substitution: every "$URL", then every "$SRV".
    bool Substitute(std::string& text)
    {
        if (text.find('$') == std::string::npos)
            return true;
        if (!ReplaceAllBounded(text, "$URL", m_source))
            return false;
        if (!m_server)
            m_server = ServerPart(m_source);
        return ReplaceAllBounded(text, "$SRV", *m_server);
    }

    // Substitutes until `text` has been through `times` substitutions in all, `done` of them already
    // made, stopping early once it no longer changes. Only a source whose replacement brings "$URL"
    // or "$SRV" back keeps a text changing; the work that takes beyond the first substitution is
    // bounded, past it the step fails like a pattern that hits the match limit.
    bool SubstituteRepeatedly(std::string& text, size_t done, size_t times)
    {
        std::string previous;
        for (size_t pass = done; pass < times; ++pass) {
            if (text.find("$URL") == std::string::npos && text.find("$SRV") == std::string::npos)
                return true;
            if (pass > 0) {
                m_repeatedWork += text.size();
                if (m_repeatedWork > MaxRepeatedSubstitution)
                    return false;
            }
            previous = text;
            if (!Substitute(text))
                return false;
            if (text == previous)
                return true;
        }
        return true;
    }

private:
    std::string_view m_source;
    std::optional<std::string> m_server;
    size_t m_repeatedWork = 0;
};

// The template cut around the occurrences of "$" + k, for every group k, so that a line per match
// and group is built without searching the template again.
class SplitTemplate {
public:
    SplitTemplate(std::string_view templateText, size_t groupCount)
        : m_template(templateText)
        , m_hits(groupCount + 1)
    {
        for (size_t k = 1; k <= groupCount; ++k) {
            const std::string placeholder = "$" + std::to_string(k);
            m_placeholderLength.push_back(placeholder.size());
            for (size_t hit = templateText.find(placeholder); hit != std::string_view::npos;
                 hit = templateText.find(placeholder, hit + placeholder.size()))
                m_hits[k].push_back(hit);
        }
    }

    // Appends the template with every "$" + k replaced by `group`.
    void AppendLine(std::string& out, size_t k, std::string_view group) const
    {
        size_t from = 0;
        for (const size_t hit : m_hits[k]) {
            out.append(m_template.substr(from, hit - from));
            out.append(group);
            from = hit + m_placeholderLength[k - 1];
        }
        out.append(m_template.substr(from));
    }

    size_t LineLength(size_t k, size_t groupLength) const
    {
        return m_template.size() + m_hits[k].size() * groupLength
            - m_hits[k].size() * m_placeholderLength[k - 1];
    }

private:
    std::string_view m_template;
    std::vector<std::vector<size_t>> m_hits; // by group number
    std::vector<size_t> m_placeholderLength;
};

// Find mode, global, with a template. The whole result gets "$URL" and "$SRV" replaced after each
// line, and that replacement never reaches across the CR LF between lines, so a line is replaced as
// many times as lines follow it, itself included, and lines before the first one that is not empty
// after its first replacement vanish (no CR LF is added to an empty result).
bool BuildGlobalResult(
    const MatchList& matches, std::string_view templateText, std::string_view source, std::string& out)
{
    const size_t groupCount = matches.GroupCount();
    const size_t lineCount = matches.Count() * groupCount;
    const SplitTemplate split(templateText, groupCount);
    SourcePlaceholders placeholders(source);
    // The lines as they are before "$URL" and "$SRV", which most templates do not hold: one
    // allocation instead of one for every doubling.
    size_t expected = 0;
    for (size_t m = 0; m < matches.Count() && expected <= MaxResultSize; ++m)
        for (size_t k = 1; k <= groupCount; ++k)
            expected += 2 + split.LineLength(k, matches.SubMatch(m, k).size());
    out.reserve(std::min(expected, MaxResultSize));
    std::string line;
    size_t lineIndex = 0;
    for (size_t m = 0; m < matches.Count(); ++m) {
        for (size_t k = 1; k <= groupCount; ++k, ++lineIndex) {
            const std::string_view group = matches.SubMatch(m, k);
            const bool first = out.empty();
            if (out.size() + 2 + split.LineLength(k, group.size()) > MaxResultSize)
                return false;
            if (!first)
                out.append("\r\n");
            const size_t lineStart = out.size();
            split.AppendLine(out, k, group);
            if (out.find('$', lineStart) == std::string::npos)
                continue; // nothing to substitute, now or later
            line.assign(out, lineStart);
            const size_t times = lineCount - lineIndex;
            if (first) {
                if (!placeholders.SubstituteRepeatedly(line, 0, 1))
                    return false;
                if (!line.empty() && !placeholders.SubstituteRepeatedly(line, 1, times))
                    return false;
            } else if (!placeholders.SubstituteRepeatedly(line, 0, times)) {
                return false;
            }
            if (lineStart + line.size() > MaxResultSize)
                return false;
            out.replace(lineStart, std::string::npos, line);
        }
    }
    return true;
}

// Find mode, not global, with a template.
bool BuildSingleResult(const MatchList& matches, std::string_view source, std::string& out)
{
    SourcePlaceholders placeholders(source);
    for (size_t k = 1; k <= matches.GroupCount(); ++k) {
        if (out.find('$') == std::string::npos)
            break; // nothing left that a later replacement could hit
        if (!ReplaceAllBounded(out, "$" + std::to_string(k), matches.SubMatch(0, k)))
            return false;
        if (k == 1 && !placeholders.Substitute(out))
            return false;
    }
    return true;
}

} // namespace

PatternResult ApplyPattern(std::string_view pattern, std::string_view input, PatternMode mode,
    std::string_view templateText, MatchScope scope, std::string_view source)
{
    const auto failed = [templateText] { return PatternResult {-1, std::string(templateText)}; };
    // An empty pattern matches everywhere, yet never counts as a match.
    if (pattern.empty())
        return failed();
    const CompiledPattern* compiled = PatternCache::ForThisThread().Find(pattern);
    if (compiled == nullptr)
        return failed();

    if (mode == PatternMode::Replace) {
        CompiledPattern::Replacement replaced = compiled->Replace(input, templateText, scope);
        if (replaced.limitExceeded || replaced.matchCount == 0)
            return failed();
        if (!SourcePlaceholders(source).Substitute(replaced.text))
            return failed();
        return {1, std::move(replaced.text)};
    }

    // Only a step that builds a line per match and group needs more than the first match.
    const bool fill = mode == PatternMode::FillTemplate;
    const bool allMatches = fill && scope == MatchScope::EveryMatch && compiled->GroupCount() > 0;
    // Kept from call to call, so that identifying a link allocates nothing; a list grown large by
    // a page search is let go afterwards.
    thread_local MatchList matches;
    struct Trim {
        ~Trim()
        {
            if (matches.Count() * (matches.GroupCount() + 1) > 4096)
                matches = MatchList();
        }
    } trim;
    compiled->Execute(input, allMatches ? MatchScope::EveryMatch : MatchScope::FirstMatch, matches);
    if (matches.Empty() || matches.FirstIndex(0) > static_cast<size_t>(INT_MAX))
        return failed();
    const int position = static_cast<int>(matches.FirstIndex(0));
    if (!fill)
        return {position, std::string(templateText)};

    std::string out;
    if (scope == MatchScope::EveryMatch) {
        if (!BuildGlobalResult(matches, templateText, source, out))
            return failed();
    } else {
        out = templateText;
        if (!BuildSingleResult(matches, source, out))
            return failed();
    }
    return {position, std::move(out)};
}

} // namespace vortalux
