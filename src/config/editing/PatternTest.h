#pragma once

#include "CompiledPattern.h"
#include "MatchList.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vortalux {

// How the tester shows a pattern's matches: as the list of matches with their sub-matches, or as
// the sample with the matches replaced by the replacement pattern.
enum class PatternTestMode { Search, Replace };

// In search mode, whether the status line shows the address the step would build from the result
// pattern instead of the number of matches.
enum class ResultPreview { Off, On };

// What the pattern tester shows for a pattern run over a sample text: the status line, the rows of
// the match list, the replace preview and where the matches lie in the sample. The pattern runs
// through the engine's own pattern layer, with its match limit: a pattern that backtracks past it
// counts as matching nothing. Positions and lengths count bytes, one character per byte.
class PatternTest {
public:
    // What "$URL" and "$SRV" stand for in the previews.
    static constexpr std::string_view SampleSource = "http://www.example.com/path/";
    static constexpr std::string_view SampleServer = "http://www.example.com/";

    // The columns of the match list: "#", "Valeur", "Pos.", "Long.".
    enum class Column { Number, Value, Position, Length };
    static constexpr int ColumnCount = 4;

    // The result preview of the status line grows no larger than this, and its substitutions go
    // through at most MaxPreviewWork bytes; past either the status keeps the number of matches.
    static constexpr size_t MaxPreviewSize = size_t(1) << 20;
    static constexpr size_t MaxPreviewWork = size_t(64) << 20;

    struct Settings {
        std::string pattern; // txtREG
        std::string result; // txtResult: the result pattern, or the replacement pattern
        PatternTestMode mode = PatternTestMode::Search;
        MatchScope scope = MatchScope::FirstMatch; // chkGlobal
        ResultPreview preview = ResultPreview::Off; // chkResult
    };

    enum class Outcome { InvalidPattern, NoMatch, Matched };

    PatternTest() = default;
    // The match list refers to the sample the test keeps.
    PatternTest(const PatternTest&) = delete;
    PatternTest& operator=(const PatternTest&) = delete;

    // Runs the pattern over `sample`, which the test keeps until the next run. The last pattern
    // stays compiled, so a run with the same pattern over another sample compiles nothing.
    void Run(const Settings& settings, std::string sample);

    Outcome Result() const { return m_outcome; }
    // lblStatus: "Invalid pattern", "No occurrence found", "N occurrence(s) found" or the result
    // preview.
    const std::string& Status() const { return m_status; }
    // txt: the sample with the matches replaced, "$URL" and "$SRV" then substituted; empty unless a
    // replace-mode run matched.
    const std::string& Preview() const { return m_preview; }

    // The rows of lv (search mode): each match, then a row for each of its sub-matches.
    size_t RowCount() const;
    std::string Cell(size_t row, Column column) const;
    // The "Valeur" cell without a copy; it refers to the sample.
    std::string_view Value(size_t row) const;
    // The match a row belongs to.
    size_t MatchOfRow(size_t row) const { return row / (m_matches.GroupCount() + 1); }

    // The matches, for highlighting them in the sample (in either mode); none unless Matched.
    size_t MatchCount() const { return m_outcome == Outcome::Matched ? m_matches.Count() : 0; }
    size_t MatchStart(size_t match) const { return m_matches.FirstIndex(match); }
    size_t MatchLength(size_t match) const { return m_matches.Length(match); }

    const std::string& Sample() const { return m_sample; }

private:
    const CompiledPattern* Compile(const std::string& pattern);
    std::optional<std::string> ResultPreviewText(std::string_view result) const;

    std::string m_sample;
    MatchList m_matches;
    Outcome m_outcome = Outcome::NoMatch;
    PatternTestMode m_mode = PatternTestMode::Search;
    std::string m_status;
    std::string m_preview;

    // The last pattern compiled and what it compiled to (nothing when it is invalid). The tester
    // keeps its own rather than the engine's cache: a user typing a long pattern would fill that
    // with a compiled copy of every keystroke.
    std::optional<std::string> m_compiledText;
    std::optional<CompiledPattern> m_compiled;
};

} // namespace vortalux
