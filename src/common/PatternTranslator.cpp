#include "PatternTranslator.h"

#include "AsciiText.h"

#include <algorithm>
#include <limits>

namespace vortalux {

namespace {

// Above any byte: what a "\u" escape beyond 0xFF reads as. No character of a single-byte text has
// that code, so it never matches.
constexpr int BeyondBytes = 0x100;
// Quantifier bounds are read up to here; PCRE2 refuses anything above 65535 anyway.
constexpr size_t BoundCeiling = 1'000'000;
constexpr size_t Unbounded = std::numeric_limits<size_t>::max();
// Classes that match no byte and every byte. PCRE2's own empty class "[]" (PCRE2_ALLOW_EMPTY_CLASS)
// cannot be repeated: "[]*" fails where the dialect matches the empty text.
constexpr std::string_view NoByte = "[^\\x00-\\xff]";
constexpr std::string_view AnyByte = "[\\x00-\\xff]";
// An unrolled repetition copies its body, and nested ones multiply the copies; past this size the
// pattern counts as too large, as PCRE2 would call it.
constexpr size_t MaxTranslatedSize = size_t(256) << 10;
// PCRE2 refuses parentheses nested deeper than this; the bound also keeps the recursive steps here
// within a small stack whatever the pattern.
constexpr size_t MaxNesting = 250;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsOctalDigit(char c) { return c >= '0' && c <= '7'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiAlnum(char c) { return IsAsciiLetter(c) || IsDigit(c); }

bool IsClassEscapeLetter(char c)
{
    return c == 'd' || c == 'D' || c == 'w' || c == 'W' || c == 's' || c == 'S';
}

// One byte as PCRE2 reads it literally, inside and outside a class.
void AppendByte(std::string& out, int value)
{
    const char c = static_cast<char>(value);
    if (IsAsciiAlnum(c)) {
        out += c;
        return;
    }
    static constexpr char Digits[] = "0123456789abcdef";
    out += "\\x";
    out += Digits[(value >> 4) & 0xF];
    out += Digits[value & 0xF];
}

// One item of a branch, with its quantifier.
struct Term {
    enum class Kind {
        Literal, // one character position: a byte, a class, "." or a class escape
        Start,
        End,
        WordBoundary,
        NotWordBoundary,
        BackReference,
        Group,
        LookAhead,
        NegativeLookAhead,
    };
    explicit Term(Kind termKind, std::string literal = {})
        : kind(termKind)
        , text(std::move(literal))
    {
    }

    Kind kind;
    std::string text; // Literal: its PCRE2 text
    size_t number = 0; // BackReference: the group; Group: its capture number, 0 when not capturing
    size_t body = 0; // Group and look-aheads: the index of the Alternation inside
    bool quantified = false;
    size_t min = 1;
    size_t max = 1;
    bool lazy = false;
};

struct Alternation {
    std::vector<std::vector<Term>> branches;
    bool nullable = false; // some branch can match the empty text
    bool alwaysEmpty = false; // no branch can match more than the empty text
    // Here or in a group inside, a branch after the first can match the empty text, or there is a
    // positive look-ahead (see TranslatedPattern).
    bool misleadsStartOptimizations = false;
    size_t depth = 0; // the nesting of groups inside, itself included
};

// Reads a pattern of the dialect into alternations of terms, checking it as the dialect does.
class Parser {
public:
    explicit Parser(std::string_view pattern)
        : m_pattern(pattern)
        , m_groupCount(PatternTranslator::CountGroups(pattern))
    {
    }

    bool Run();

    const std::vector<Alternation>& Alternations() const { return m_alternations; }
    size_t GroupCount() const { return m_groupCount; }
    // Why Run refused the pattern.
    PatternFault Fault() const { return m_fault; }

private:
    struct ClassAtom {
        bool isClassEscape = false; // \d \D \w \W \s \S
        char escape = 0;
        int value = 0; // character code; above 0xFF for a \u escape no byte can match
    };

    std::vector<Term>& Branch() { return m_alternations[m_open.back()].branches.back(); }
    void Add(Term term, bool quantifiable)
    {
        Branch().push_back(std::move(term));
        m_canQuantify = quantifiable;
    }
    void AddLiteral(std::string text) { Add(Term(Term::Kind::Literal, std::move(text)), true); }
    void AddCharacter(int value);
    void Close(size_t index);

    bool ParseGroupOpening();
    bool ParseGroupClosing();
    bool ParseAtomEscape();
    int ParseCharacterEscape(bool inClass);
    bool ParseClass();
    bool ParseClassAtom(ClassAtom& atom);
    bool TryParseBraces(size_t& min, size_t& max, bool& bounded, size_t& end) const;
    bool Quantify(size_t min, size_t max);
    static void AppendClassAtom(std::string& members, const ClassAtom& atom);

    std::string_view m_pattern;
    size_t m_pos = 0;
    size_t m_groupCount = 0;
    PatternFault m_fault = PatternFault::Syntax;
    size_t m_nextCapture = 0;
    // False after "(", "|", an anchor, a word boundary or a quantifier: a quantifier there has
    // nothing to repeat.
    bool m_canQuantify = false;
    std::vector<Alternation> m_alternations;
    // The alternations being read, innermost last; the group term that opened each is kept with it.
    std::vector<size_t> m_open;
    std::vector<Term> m_openers;
};

// Whether the item, once, can match the empty text.
bool AtomNullable(const Term& term, const std::vector<Alternation>& alternations)
{
    switch (term.kind) {
    case Term::Kind::Literal:
        return false;
    case Term::Kind::Group:
        return alternations[term.body].nullable;
    default:
        return true; // anchors, boundaries, look-aheads and back references
    }
}

bool TermNullable(const Term& term, const std::vector<Alternation>& alternations)
{
    return (term.quantified && term.min == 0) || AtomNullable(term, alternations);
}

// Whether the item, once, can match nothing but the empty text.

bool AtomAlwaysEmpty(const Term& term, const std::vector<Alternation>& alternations)
{
    switch (term.kind) {
    case Term::Kind::Literal:
    case Term::Kind::BackReference:
        return false;
    case Term::Kind::Group:
        return alternations[term.body].alwaysEmpty;
    default:
        return true;
    }
}

void Parser::Close(size_t index)
{
    Alternation& alternation = m_alternations[index];
    alternation.nullable = false;
    alternation.alwaysEmpty = true;
    size_t innerDepth = 0;
    for (size_t b = 0; b < alternation.branches.size(); ++b) {
        bool nullable = true;
        for (const Term& term : alternation.branches[b]) {
            nullable = nullable && TermNullable(term, m_alternations);
            const bool empty = (term.quantified && term.max == 0) || AtomAlwaysEmpty(term, m_alternations);
            alternation.alwaysEmpty = alternation.alwaysEmpty && empty;
            if (term.kind == Term::Kind::Group || term.kind == Term::Kind::LookAhead
                || term.kind == Term::Kind::NegativeLookAhead) {
                const Alternation& inner = m_alternations[term.body];
                innerDepth = std::max(innerDepth, inner.depth);
                alternation.misleadsStartOptimizations = alternation.misleadsStartOptimizations
                    || inner.misleadsStartOptimizations || term.kind == Term::Kind::LookAhead;
            }
        }
        alternation.nullable = alternation.nullable || nullable;
        alternation.misleadsStartOptimizations
            = alternation.misleadsStartOptimizations || (b > 0 && nullable);
    }
    alternation.depth = innerDepth + 1;
}

bool Parser::Run()
{
    m_alternations.emplace_back();
    m_alternations.back().branches.emplace_back();
    m_open.push_back(0);
    m_openers.emplace_back(Term::Kind::Group);
    while (m_pos < m_pattern.size()) {
        const char c = m_pattern[m_pos];
        switch (c) {
        case '\\':
            ++m_pos;
            if (!ParseAtomEscape())
                return false;
            break;
        case '(':
            if (!ParseGroupOpening())
                return false;
            break;
        case ')':
            if (!ParseGroupClosing())
                return false;
            break;
        case '|':
            m_alternations[m_open.back()].branches.emplace_back();
            ++m_pos;
            m_canQuantify = false;
            break;
        case '^':
            Add(Term(Term::Kind::Start), false);
            ++m_pos;
            break;
        case '$':
            Add(Term(Term::Kind::End), false);
            ++m_pos;
            break;
        case '.':
            AddLiteral(".");
            ++m_pos;
            break;
        case '[':
            ++m_pos;
            if (!ParseClass())
                return false;
            break;
        case '*':
        case '+':
        case '?':
            ++m_pos;
            if (!Quantify(c == '+' ? 1 : 0, c == '?' ? 1 : Unbounded))
                return false;
            break;
        case '{': {
            size_t min = 0, max = 0, end = 0;
            bool bounded = false;
            if (!TryParseBraces(min, max, bounded, end)) {
                // Not a quantifier: a literal brace.
                AddCharacter('{');
                ++m_pos;
                break;
            }
            if (bounded && min > max)
                return false;
            m_pos = end;
            if (!Quantify(min, bounded ? max : Unbounded))
                return false;
            break;
        }
        default:
            AddCharacter(static_cast<unsigned char>(c));
            ++m_pos;
            break;
        }
    }
    if (m_open.size() != 1) {
        m_fault = PatternFault::MissingParenthesis;
        return false;
    }
    Close(0);
    return true;
}

bool Parser::Quantify(size_t min, size_t max)
{
    if (!m_canQuantify) {
        m_fault = PatternFault::UnexpectedQuantifier;
        return false;
    }
    Term& term = Branch().back();
    term.quantified = true;
    term.min = min;
    term.max = max;
    if (m_pos < m_pattern.size() && m_pattern[m_pos] == '?') {
        term.lazy = true;
        ++m_pos;
    }
    // A second quantifier ("a**", possessive "a*+", "a{2}{3}") has nothing to repeat.
    m_canQuantify = false;
    return true;
}

bool Parser::ParseGroupOpening()
{
    ++m_pos; // "("
    Term opener(Term::Kind::Group);
    if (m_pos < m_pattern.size() && m_pattern[m_pos] == '?') {
        if (m_pos + 1 >= m_pattern.size())
            return false;
        const char kind = m_pattern[m_pos + 1];
        if (kind == '=')
            opener.kind = Term::Kind::LookAhead;
        else if (kind == '!')
            opener.kind = Term::Kind::NegativeLookAhead;
        else if (kind != ':')
            return false;
        m_pos += 2;
    } else {
        opener.number = ++m_nextCapture;
    }
    opener.body = m_alternations.size();
    m_alternations.emplace_back();
    m_alternations.back().branches.emplace_back();
    m_open.push_back(opener.body);
    m_openers.push_back(std::move(opener));
    m_canQuantify = false;
    return true;
}

bool Parser::ParseGroupClosing()
{
    if (m_open.size() <= 1)
        return false;
    ++m_pos;
    Close(m_open.back());
    Term group = std::move(m_openers.back());
    m_open.pop_back();
    m_openers.pop_back();
    // Look-aheads are atoms in this dialect, so they may take a quantifier too.
    Add(std::move(group), true);
    return true;
}

void Parser::AddCharacter(int value)
{
    std::string text;
    if (value >= BeyondBytes)
        text = NoByte;
    else
        AppendByte(text, value);
    AddLiteral(std::move(text));
}

bool Parser::ParseAtomEscape()
{
    if (m_pos >= m_pattern.size())
        return false; // a trailing backslash
    const char c = m_pattern[m_pos];
    if (IsClassEscapeLetter(c)) {
        AddLiteral(std::string {'\\', c});
        ++m_pos;
        return true;
    }
    if (c == 'b' || c == 'B') {
        Add(Term(c == 'b' ? Term::Kind::WordBoundary : Term::Kind::NotWordBoundary), false);
        ++m_pos;
        return true;
    }
    if (c >= '1' && c <= '9') {
        // The whole run of digits names the group; when there is no such group the escape is read
        // again as an octal escape or a plain digit.
        size_t number = 0;
        size_t end = m_pos;
        while (end < m_pattern.size() && IsDigit(m_pattern[end])) {
            number = std::min(number * 10 + static_cast<size_t>(m_pattern[end] - '0'), BoundCeiling);
            ++end;
        }
        if (number <= m_groupCount) {
            Term reference(Term::Kind::BackReference);
            reference.number = number;
            Add(std::move(reference), true);
            m_pos = end;
            return true;
        }
    }
    AddCharacter(ParseCharacterEscape(false));
    return true;
}

// Reads the escape whose backslash lies just before m_pos and returns the character it stands for.
int Parser::ParseCharacterEscape(bool inClass)
{
    const char c = m_pattern[m_pos];
    const auto rest = [this](size_t offset) { return m_pos + offset < m_pattern.size(); };
    switch (c) {
    case 'f':
        ++m_pos;
        return 0x0C;
    case 'n':
        ++m_pos;
        return 0x0A;
    case 'r':
        ++m_pos;
        return 0x0D;
    case 't':
        ++m_pos;
        return 0x09;
    case 'v':
        ++m_pos;
        return 0x0B;
    case 'b': // only reached inside a class, where it is the backspace
        ++m_pos;
        return 0x08;
    case 'c':
        if (rest(1)) {
            const char letter = m_pattern[m_pos + 1];
            if (IsAsciiLetter(letter) || (inClass && (IsDigit(letter) || letter == '_'))) {
                m_pos += 2;
                return static_cast<unsigned char>(letter) % 32;
            }
        }
        // "\c" without a control letter is a backslash; the "c" is read again as itself.
        return '\\';
    case 'x':
        if (rest(2) && HexValue(m_pattern[m_pos + 1]) >= 0 && HexValue(m_pattern[m_pos + 2]) >= 0) {
            const int value = HexValue(m_pattern[m_pos + 1]) * 16 + HexValue(m_pattern[m_pos + 2]);
            m_pos += 3;
            return value;
        }
        ++m_pos;
        return 'x';
    case 'u':
        if (rest(4)) {
            int value = 0;
            bool hex = true;
            for (size_t i = 1; i <= 4 && hex; ++i) {
                const int digit = HexValue(m_pattern[m_pos + i]);
                hex = digit >= 0;
                value = value * 16 + digit;
            }
            if (hex) {
                m_pos += 5;
                return std::min(value, BeyondBytes);
            }
        }
        ++m_pos;
        return 'u';
    default:
        break;
    }
    if (IsOctalDigit(c)) {
        // Up to three octal digits while the value stays within a byte ("\377"), so "\400" is
        // "\40" followed by "0".
        const size_t maxDigits = c <= '3' ? 3 : 2;
        int value = 0;
        size_t digits = 0;
        while (digits < maxDigits && m_pos < m_pattern.size() && IsOctalDigit(m_pattern[m_pos])) {
            value = value * 8 + (m_pattern[m_pos] - '0');
            ++m_pos;
            ++digits;
        }
        return value;
    }
    // Every other escaped character, letters included (\a \e \A \z \Q \K \p \k ...), is itself.
    ++m_pos;
    return static_cast<unsigned char>(c);
}

bool Parser::ParseClassAtom(ClassAtom& atom)
{
    atom = ClassAtom();
    const char c = m_pattern[m_pos];
    if (c != '\\') {
        atom.value = static_cast<unsigned char>(c);
        ++m_pos;
        return true;
    }
    ++m_pos;
    if (m_pos >= m_pattern.size())
        return false;
    const char escaped = m_pattern[m_pos];
    if (IsClassEscapeLetter(escaped)) {
        atom.isClassEscape = true;
        atom.escape = escaped;
        ++m_pos;
        return true;
    }
    // Inside a class digits never name a group: "\1" is octal, "\8" is "8".
    atom.value = ParseCharacterEscape(true);
    return true;
}

void Parser::AppendClassAtom(std::string& members, const ClassAtom& atom)
{
    if (atom.isClassEscape) {
        members += '\\';
        members += atom.escape;
    } else if (atom.value < BeyondBytes) {
        AppendByte(members, atom.value);
    }
}

bool Parser::ParseClass()
{
    bool negated = false;
    if (m_pos < m_pattern.size() && m_pattern[m_pos] == '^') {
        negated = true;
        ++m_pos;
    }
    std::string members;
    for (;;) {
        if (m_pos >= m_pattern.size()) {
            m_fault = PatternFault::MissingBracket;
            return false;
        }
        if (m_pattern[m_pos] == ']') {
            ++m_pos;
            break;
        }
        ClassAtom first;
        if (!ParseClassAtom(first))
            return false;
        const bool range
            = m_pos + 1 < m_pattern.size() && m_pattern[m_pos] == '-' && m_pattern[m_pos + 1] != ']';
        if (!range) {
            AppendClassAtom(members, first);
            continue;
        }
        ++m_pos; // "-"
        ClassAtom last;
        if (!ParseClassAtom(last))
            return false;
        if (first.isClassEscape || last.isClassEscape) {
            // "[\d-z]": a class escape cannot end a range, so the dash is a member of its own.
            AppendClassAtom(members, first);
            AppendByte(members, '-');
            AppendClassAtom(members, last);
            continue;
        }
        if (first.value > last.value) {
            m_fault = PatternFault::InvalidRange;
            return false;
        }
        if (first.value >= BeyondBytes)
            continue; // nothing of it lies within a byte
        const int top = std::min(last.value, BeyondBytes - 1);
        AppendByte(members, first.value);
        if (top != first.value) {
            members += '-';
            AppendByte(members, top);
        }
    }
    if (members.empty()) {
        // "[]" never matches, "[^]" matches any byte, LF included.
        AddLiteral(std::string(negated ? AnyByte : NoByte));
        return true;
    }
    std::string text = "[";
    if (negated)
        text += '^';
    text += members;
    text += ']';
    AddLiteral(std::move(text));
    return true;
}

bool Parser::TryParseBraces(size_t& min, size_t& max, bool& bounded, size_t& end) const
{
    size_t i = m_pos + 1;
    const auto readNumber = [this, &i](size_t& number) {
        const size_t start = i;
        number = 0;
        while (i < m_pattern.size() && IsDigit(m_pattern[i])) {
            number = std::min(number * 10 + static_cast<size_t>(m_pattern[i] - '0'), BoundCeiling);
            ++i;
        }
        return i > start;
    };
    if (!readNumber(min))
        return false;
    if (i < m_pattern.size() && m_pattern[i] == '}') {
        max = min;
        bounded = true;
        end = i + 1;
        return true;
    }
    if (i >= m_pattern.size() || m_pattern[i] != ',')
        return false;
    ++i;
    bounded = readNumber(max);
    if (i >= m_pattern.size() || m_pattern[i] != '}')
        return false;
    end = i + 1;
    return true;
}

// Writes the alternations out as PCRE2 text. Groups are numbered as they are written, so a group
// copied by an unrolled repetition gets a number for each copy; a back reference to it picks the
// copy that took part last.
class Emitter {
public:
    Emitter(const std::vector<Alternation>& alternations, size_t groupCount,
        const std::vector<std::vector<uint32_t>>* referenceCopies, PatternOptions options)
        : m_alternations(alternations)
        , m_copies(groupCount)
        , m_referenceCopies(referenceCopies)
        , m_multiline(HasOption(options, PatternOptions::Multiline))
    {
    }

    void Run() { EmitAlternation(0); }

    bool TooLarge() const { return m_tooLarge; }
    std::string& Text() { return m_out; }
    uint32_t Pcre2GroupCount() const { return m_lastGroup; }
    std::vector<std::vector<uint32_t>>& Copies() { return m_copies; }

private:
    void EmitAlternation(size_t index)
    {
        if (m_tooLarge)
            return; // nothing more is written once the text is too large
        const Alternation& alternation = m_alternations[index];
        for (size_t b = 0; b < alternation.branches.size(); ++b) {
            if (b > 0)
                m_out += '|';
            for (const Term& term : alternation.branches[b]) {
                EmitTerm(term);
                if (m_out.size() > MaxTranslatedSize)
                    m_tooLarge = true;
                if (m_tooLarge)
                    return;
            }
        }
    }

    void EmitAtom(const Term& term)
    {
        switch (term.kind) {
        case Term::Kind::Literal:
            m_out += term.text;
            return;
        case Term::Kind::Start:
            // Multiline: at the start, or after a line end (not after any other byte).
            m_out += m_multiline ? "(?<![^\\x0a\\x0d])" : "^";
            return;
        case Term::Kind::End:
            m_out += m_multiline ? "(?![^\\x0a\\x0d])" : "$";
            return;
        case Term::Kind::WordBoundary:
            m_out += "\\b";
            return;
        case Term::Kind::NotWordBoundary:
            m_out += "\\B";
            return;
        case Term::Kind::BackReference:
            EmitReference(term.number);
            return;
        case Term::Kind::Group:
            if (term.number != 0) {
                m_out += '(';
                m_copies[term.number - 1].push_back(++m_lastGroup);
            } else {
                m_out += "(?:";
            }
            break;
        case Term::Kind::LookAhead:
            m_out += "(?=";
            break;
        case Term::Kind::NegativeLookAhead:
            m_out += "(?!";
            break;
        }
        EmitAlternation(term.body);
        m_out += ')';
    }

    void EmitReference(size_t number)
    {
        if (m_referenceCopies == nullptr) {
            m_out += "\\g{1}"; // the first pass only counts groups
            return;
        }
        const std::vector<uint32_t>& copies = (*m_referenceCopies)[number - 1];
        if (copies.empty())
            return; // a group that never takes part: the reference matches the empty text
        // The latest copy that took part, tried from the last one written backwards.
        for (size_t i = copies.size() - 1; i > 0; --i)
            m_out += "(?(" + std::to_string(copies[i]) + ")\\g{" + std::to_string(copies[i]) + "}|";
        m_out += "\\g{" + std::to_string(copies[0]) + "}";
        m_out.append(copies.size() - 1, ')');
    }

    void EmitQuantifier(size_t min, size_t max, bool lazy)
    {
        if (min == 0 && max == Unbounded)
            m_out += '*';
        else if (min == 1 && max == Unbounded)
            m_out += '+';
        else if (min == 0 && max == 1)
            m_out += '?';
        else {
            m_out += '{';
            m_out += std::to_string(min);
            if (max != min) {
                m_out += ',';
                if (max != Unbounded)
                    m_out += std::to_string(max);
            }
            m_out += '}';
        }
        if (lazy)
            m_out += '?';
    }

    void EmitTerm(const Term& term)
    {
        if (!term.quantified) {
            EmitAtom(term);
            return;
        }
        if (term.max == 0)
            return; // never tried: its groups never take part
        if (!AtomNullable(term, m_alternations)) {
            // No iteration can be empty, so PCRE2's repetition means the same.
            EmitAtom(term);
            EmitQuantifier(term.min, term.max, term.lazy);
            return;
        }
        if (term.kind == Term::Kind::BackReference) {
            // An empty iteration of a back reference leaves everything as it was, so accepting it
            // (PCRE2) or rejecting it (the dialect) ends in the same place. PCRE2 only fails a
            // repeated reference to an unset group, which a group around it mends.
            m_out += "(?:";
            EmitAtom(term);
            m_out += ')';
            EmitQuantifier(term.min, term.max, term.lazy);
            return;
        }
        // The iterations up to the minimum may be empty, and the repetition goes on after them.
        if (term.min > 0) {
            m_out += "(?:";
            EmitAtom(term);
            m_out += ')';
            if (term.min > 1)
                EmitQuantifier(term.min, term.min, false);
        }
        if (term.max == term.min || AtomAlwaysEmpty(term, m_alternations))
            return; // every later iteration would be empty, and fail
        // Every later iteration must not be empty: an empty group marks where it began, and the
        // callout after it fails the iteration when the position has not moved.
        const uint32_t marker = ++m_lastGroup;
        m_out += "(?:()";
        EmitAtom(term);
        m_out += "(?C{" + std::to_string(marker) + "}))";
        EmitQuantifier(0, term.max == Unbounded ? Unbounded : term.max - term.min, term.lazy);
    }

    const std::vector<Alternation>& m_alternations;
    std::string m_out;
    uint32_t m_lastGroup = 0;
    std::vector<std::vector<uint32_t>> m_copies;
    const std::vector<std::vector<uint32_t>>* m_referenceCopies;
    bool m_tooLarge = false;
    bool m_multiline = false;
};

MatchAnchor Combine(MatchAnchor a, MatchAnchor b)
{
    if (a == MatchAnchor::Anywhere || b == MatchAnchor::Anywhere)
        return MatchAnchor::Anywhere;
    return a == b ? a : MatchAnchor::StartOrEnd;
}

MatchAnchor AlternationAnchor(const std::vector<Alternation>& alternations, size_t index);

// The anchor a branch begins with. Look-aheads and word boundaries test the position without moving
// from it, so the anchor after them still decides where a match can begin.
MatchAnchor BranchAnchor(const std::vector<Alternation>& alternations, const std::vector<Term>& branch)
{
    for (const Term& term : branch) {
        switch (term.kind) {
        case Term::Kind::WordBoundary:
        case Term::Kind::NotWordBoundary:
        case Term::Kind::NegativeLookAhead:
            continue;
        case Term::Kind::LookAhead:
            if (!term.quantified || term.min > 0) {
                const MatchAnchor inside = AlternationAnchor(alternations, term.body);
                if (inside != MatchAnchor::Anywhere)
                    return inside;
            }
            continue;
        case Term::Kind::Start:
            return MatchAnchor::Start;
        case Term::Kind::End:
            return MatchAnchor::End;
        case Term::Kind::Group:
            if (term.quantified && term.min == 0)
                return MatchAnchor::Anywhere;
            return AlternationAnchor(alternations, term.body);
        default:
            return MatchAnchor::Anywhere;
        }
    }
    return MatchAnchor::Anywhere;
}

MatchAnchor AlternationAnchor(const std::vector<Alternation>& alternations, size_t index)
{
    const Alternation& alternation = alternations[index];
    MatchAnchor anchor = BranchAnchor(alternations, alternation.branches.front());
    for (size_t b = 1; b < alternation.branches.size() && anchor != MatchAnchor::Anywhere; ++b)
        anchor = Combine(anchor, BranchAnchor(alternations, alternation.branches[b]));
    return anchor;
}

} // namespace

std::optional<TranslatedPattern> PatternTranslator::Translate(
    std::string_view pattern, PatternOptions options, PatternFault* fault)
{
    Parser parser(pattern);
    if (fault != nullptr)
        *fault = PatternFault::None;
    if (!parser.Run()) {
        if (fault != nullptr)
            *fault = parser.Fault();
        return std::nullopt;
    }
    TranslatedPattern translated;
    translated.groupCount = parser.GroupCount();
    const std::vector<Alternation>& alternations = parser.Alternations();
    if (alternations[0].depth > MaxNesting) {
        translated.tooLarge = true;
        return translated;
    }
    // Back references may point forward, so the groups are numbered by a first pass.
    Emitter counting(alternations, translated.groupCount, nullptr, options);
    counting.Run();
    if (counting.TooLarge()) {
        translated.tooLarge = true;
        return translated;
    }
    Emitter emitter(alternations, translated.groupCount, &counting.Copies(), options);
    emitter.Run();
    if (emitter.TooLarge()) {
        translated.tooLarge = true;
        return translated;
    }
    translated.text = std::move(emitter.Text());
    translated.pcre2GroupCount = emitter.Pcre2GroupCount();
    translated.groupCopies = std::move(emitter.Copies());
    // Multiline anchors hold at every line, so they tell nothing about where a match begins.
    translated.anchor = HasOption(options, PatternOptions::Multiline) ? MatchAnchor::Anywhere
                                                                      : AlternationAnchor(alternations, 0);
    translated.misleadsStartOptimizations = alternations[0].misleadsStartOptimizations;
    return translated;
}

size_t PatternTranslator::CountGroups(std::string_view pattern)
{
    size_t count = 0;
    bool inClass = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\\') {
            ++i;
        } else if (inClass) {
            if (c == ']')
                inClass = false;
        } else if (c == '[') {
            inClass = true;
            // "]" right after "[" or "[^" closes the class (an empty one), it is not a member.
            if (i + 1 < pattern.size() && pattern[i + 1] == '^')
                ++i;
        } else if (c == '(' && (i + 1 >= pattern.size() || pattern[i + 1] != '?')) {
            ++count;
        }
    }
    return count;
}

} // namespace vortalux
