#include "PatternTranslator.h"

#include "AsciiText.h"

#include <algorithm>

namespace vortalux {

namespace {

// Above any byte: what a "\u" escape beyond 0xFF reads as. No character of a single-byte text has
// that code, so it never matches.
constexpr int kBeyondBytes = 0x100;
// Quantifier bounds are read up to here; PCRE2 refuses anything above 65535 anyway.
constexpr size_t kBoundCeiling = 1'000'000;
// Classes that match no byte and every byte. PCRE2's own empty class "[]" (PCRE2_ALLOW_EMPTY_CLASS)
// cannot be repeated: "[]*" fails where the dialect matches the empty text.
constexpr std::string_view kNoByte = "[^\\x00-\\xff]";
constexpr std::string_view kAnyByte = "[\\x00-\\xff]";

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
    static constexpr char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[(value >> 4) & 0xF];
    out += digits[value & 0xF];
}

} // namespace

std::optional<std::string> PatternTranslator::Translate(std::string_view pattern)
{
    PatternTranslator translator(pattern);
    if (!translator.Run())
        return std::nullopt;
    return std::move(translator.m_out);
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

PatternTranslator::PatternTranslator(std::string_view pattern)
    : m_pattern(pattern)
    , m_groupCount(CountGroups(pattern))
{
    m_out.reserve(pattern.size() * 2);
}

bool PatternTranslator::Run()
{
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
            if (m_openGroups == 0)
                return false;
            --m_openGroups;
            m_out += ')';
            ++m_pos;
            // Look-aheads are atoms in this dialect, so they may take a quantifier too.
            m_canQuantify = true;
            break;
        case '|':
        case '^':
        case '$':
            m_out += c;
            ++m_pos;
            m_canQuantify = false;
            break;
        case '.':
            m_out += '.';
            ++m_pos;
            m_canQuantify = true;
            break;
        case '[':
            ++m_pos;
            if (!ParseClass())
                return false;
            m_canQuantify = true;
            break;
        case '*':
        case '+':
        case '?':
            if (!m_canQuantify)
                return false;
            m_out += c;
            ++m_pos;
            if (!ParseQuantifierTail())
                return false;
            break;
        case '{': {
            size_t min = 0, max = 0, end = 0;
            bool bounded = false;
            if (!TryParseBraces(min, max, bounded, end)) {
                // Not a quantifier: a literal brace.
                EmitCharacter('{');
                ++m_pos;
                break;
            }
            if (!m_canQuantify || (bounded && min > max))
                return false;
            m_out += '{';
            m_out += std::to_string(min);
            if (min != max || !bounded) {
                m_out += ',';
                if (bounded)
                    m_out += std::to_string(max);
            }
            m_out += '}';
            m_pos = end;
            if (!ParseQuantifierTail())
                return false;
            break;
        }
        default:
            EmitCharacter(static_cast<unsigned char>(c));
            ++m_pos;
            break;
        }
    }
    return m_openGroups == 0;
}

bool PatternTranslator::ParseQuantifierTail()
{
    if (m_pos < m_pattern.size() && m_pattern[m_pos] == '?') {
        m_out += '?';
        ++m_pos;
    }
    // A second quantifier ("a**", possessive "a*+", "a{2}{3}") has nothing to repeat.
    m_canQuantify = false;
    return true;
}

bool PatternTranslator::ParseGroupOpening()
{
    ++m_pos; // "("
    if (m_pos < m_pattern.size() && m_pattern[m_pos] == '?') {
        if (m_pos + 1 >= m_pattern.size())
            return false;
        const char kind = m_pattern[m_pos + 1];
        if (kind != ':' && kind != '=' && kind != '!')
            return false;
        m_out += "(?";
        m_out += kind;
        m_pos += 2;
    } else {
        m_out += '(';
    }
    ++m_openGroups;
    m_canQuantify = false;
    return true;
}

bool PatternTranslator::ParseAtomEscape()
{
    if (m_pos >= m_pattern.size())
        return false; // a trailing backslash
    const char c = m_pattern[m_pos];
    if (IsClassEscapeLetter(c)) {
        m_out += '\\';
        m_out += c;
        ++m_pos;
        m_canQuantify = true;
        return true;
    }
    if (c == 'b' || c == 'B') {
        m_out += '\\';
        m_out += c;
        ++m_pos;
        m_canQuantify = false;
        return true;
    }
    if (c >= '1' && c <= '9') {
        // The whole run of digits names the group; when there is no such group the escape is read
        // again as an octal escape or a plain digit.
        size_t number = 0;
        size_t end = m_pos;
        while (end < m_pattern.size() && IsDigit(m_pattern[end])) {
            number = std::min(number * 10 + static_cast<size_t>(m_pattern[end] - '0'), kBoundCeiling);
            ++end;
        }
        if (number <= m_groupCount) {
            m_out += "\\g{";
            m_out += std::to_string(number);
            m_out += '}';
            m_pos = end;
            m_canQuantify = true;
            return true;
        }
    }
    EmitCharacter(ParseCharacterEscape(false));
    return true;
}

// Reads the escape whose backslash lies just before m_pos and returns the character it stands for.
int PatternTranslator::ParseCharacterEscape(bool inClass)
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
                return std::min(value, kBeyondBytes);
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

void PatternTranslator::EmitCharacter(int value)
{
    if (value >= kBeyondBytes)
        m_out += kNoByte;
    else
        AppendByte(m_out, value);
    m_canQuantify = true;
}

bool PatternTranslator::ParseClassAtom(ClassAtom& atom)
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

void PatternTranslator::EmitClassAtom(std::string& members, const ClassAtom& atom) const
{
    if (atom.isClassEscape) {
        members += '\\';
        members += atom.escape;
    } else if (atom.value < kBeyondBytes) {
        AppendByte(members, atom.value);
    }
}

bool PatternTranslator::ParseClass()
{
    bool negated = false;
    if (m_pos < m_pattern.size() && m_pattern[m_pos] == '^') {
        negated = true;
        ++m_pos;
    }
    std::string members;
    for (;;) {
        if (m_pos >= m_pattern.size())
            return false; // unterminated class
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
            EmitClassAtom(members, first);
            continue;
        }
        ++m_pos; // "-"
        ClassAtom last;
        if (!ParseClassAtom(last))
            return false;
        if (first.isClassEscape || last.isClassEscape) {
            // "[\d-z]": a class escape cannot end a range, so the dash is a member of its own.
            EmitClassAtom(members, first);
            AppendByte(members, '-');
            EmitClassAtom(members, last);
            continue;
        }
        if (first.value > last.value)
            return false; // range out of order
        if (first.value >= kBeyondBytes)
            continue; // nothing of it lies within a byte
        const int top = std::min(last.value, kBeyondBytes - 1);
        AppendByte(members, first.value);
        if (top != first.value) {
            members += '-';
            AppendByte(members, top);
        }
    }
    if (members.empty()) {
        // "[]" never matches, "[^]" matches any byte, LF included.
        m_out += negated ? kAnyByte : kNoByte;
        return true;
    }
    m_out += '[';
    if (negated)
        m_out += '^';
    m_out += members;
    m_out += ']';
    return true;
}

bool PatternTranslator::TryParseBraces(size_t& min, size_t& max, bool& bounded, size_t& end) const
{
    size_t i = m_pos + 1;
    const auto readNumber = [this, &i](size_t& number) {
        const size_t start = i;
        number = 0;
        while (i < m_pattern.size() && IsDigit(m_pattern[i])) {
            number = std::min(number * 10 + static_cast<size_t>(m_pattern[i] - '0'), kBoundCeiling);
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

} // namespace vortalux
