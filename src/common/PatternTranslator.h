#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vortalux {

// Rewrites a pattern written for VBScript's RegExp object (the ECMAScript 3 dialect, with the
// leniencies browsers share: "{" that does not start a quantifier and a lone "]" are literal, a
// back reference beyond the group count is an octal escape) into a PCRE2 pattern that means the
// same under the options CompiledPattern compiles with.
//
// Every literal is written out as itself (letters and digits) or as "\xHH", and every back
// reference as "\g{n}", so PCRE2's own extensions (\Q...\E, \K, \R, POSIX classes, "(*VERB)",
// octal and back-reference guessing) can never come into play.
class PatternTranslator {
public:
    // The PCRE2 pattern, or nullopt when the dialect rejects the pattern: unbalanced parentheses,
    // a quantifier with nothing to repeat, a range out of order, an unterminated class, a trailing
    // backslash, and every "(?" form but "(?:", "(?=" and "(?!" (look-behind, named groups, inline
    // options, comments), which the dialect does not have.
    static std::optional<std::string> Translate(std::string_view pattern);

    // Capturing groups of a pattern, counted the way the dialect does before it parses back
    // references: every "(" outside a class that is not escaped and not followed by "?".
    static size_t CountGroups(std::string_view pattern);

private:
    explicit PatternTranslator(std::string_view pattern);

    struct ClassAtom {
        bool isClassEscape = false; // \d \D \w \W \s \S
        char escape = 0;
        int value = 0; // character code; above 0xFF for a \u escape no byte can match
    };

    bool Run();
    bool ParseGroupOpening();
    bool ParseAtomEscape();
    int ParseCharacterEscape(bool inClass);
    bool ParseClass();
    bool ParseClassAtom(ClassAtom& atom);
    bool TryParseBraces(size_t& min, size_t& max, bool& bounded, size_t& end) const;
    bool ParseQuantifierTail();
    void EmitCharacter(int value);
    void EmitClassAtom(std::string& members, const ClassAtom& atom) const;

    std::string_view m_pattern;
    size_t m_pos = 0;
    size_t m_groupCount = 0;
    size_t m_openGroups = 0;
    // False after "(", "|", an assertion or a quantifier: a quantifier there has nothing to repeat.
    bool m_canQuantify = false;
    std::string m_out;
};

} // namespace vortalux
