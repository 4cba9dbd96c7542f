#include "Lexer.h"

#include "AsciiText.h"
#include "CompileError.h"
#include "NumberScanner.h"
#include "OleDate.h"
#include "ScriptError.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <optional>
#include <string>
#include <utility>

namespace vortalux::script {

namespace {

struct ReservedWord {
    std::string_view word;
    TokenKind kind;
};

constexpr std::array ReservedWords = {
    ReservedWord {"and", TokenKind::And},
    ReservedWord {"byref", TokenKind::ByRef},
    ReservedWord {"byval", TokenKind::ByVal},
    ReservedWord {"call", TokenKind::Call},
    ReservedWord {"case", TokenKind::Case},
    ReservedWord {"class", TokenKind::Class},
    ReservedWord {"const", TokenKind::Const},
    ReservedWord {"dim", TokenKind::Dim},
    ReservedWord {"do", TokenKind::Do},
    ReservedWord {"each", TokenKind::Each},
    ReservedWord {"else", TokenKind::Else},
    ReservedWord {"elseif", TokenKind::ElseIf},
    ReservedWord {"empty", TokenKind::Empty},
    ReservedWord {"end", TokenKind::End},
    ReservedWord {"eqv", TokenKind::Eqv},
    ReservedWord {"erase", TokenKind::Erase},
    ReservedWord {"exit", TokenKind::Exit},
    ReservedWord {"false", TokenKind::False},
    ReservedWord {"for", TokenKind::For},
    ReservedWord {"function", TokenKind::Function},
    ReservedWord {"if", TokenKind::If},
    ReservedWord {"imp", TokenKind::Imp},
    ReservedWord {"in", TokenKind::In},
    ReservedWord {"is", TokenKind::Is},
    ReservedWord {"let", TokenKind::Let},
    ReservedWord {"loop", TokenKind::Loop},
    ReservedWord {"me", TokenKind::Me},
    ReservedWord {"mod", TokenKind::Mod},
    ReservedWord {"new", TokenKind::New},
    ReservedWord {"next", TokenKind::Next},
    ReservedWord {"not", TokenKind::Not},
    ReservedWord {"nothing", TokenKind::Nothing},
    ReservedWord {"null", TokenKind::Null},
    ReservedWord {"on", TokenKind::On},
    ReservedWord {"option", TokenKind::Option},
    ReservedWord {"or", TokenKind::Or},
    ReservedWord {"private", TokenKind::Private},
    ReservedWord {"public", TokenKind::Public},
    ReservedWord {"redim", TokenKind::ReDim},
    ReservedWord {"select", TokenKind::Select},
    ReservedWord {"set", TokenKind::Set},
    ReservedWord {"sub", TokenKind::Sub},
    ReservedWord {"then", TokenKind::Then},
    ReservedWord {"to", TokenKind::To},
    ReservedWord {"true", TokenKind::True},
    ReservedWord {"until", TokenKind::Until},
    ReservedWord {"wend", TokenKind::Wend},
    ReservedWord {"while", TokenKind::While},
    ReservedWord {"with", TokenKind::With},
    ReservedWord {"xor", TokenKind::Xor},
};

static_assert(std::is_sorted(ReservedWords.begin(), ReservedWords.end(),
    [](const ReservedWord& a, const ReservedWord& b) { return a.word < b.word; }));

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsWordChar(char c) { return IsLetter(c) || IsDigit(c) || c == '_'; }

// VBScript's own limit on the length of a name.
constexpr size_t MaxIdentifierLength = 255;

} // namespace

Lexer::Lexer(std::string_view source)
    : m_source(source)
{
}

char Lexer::Peek(size_t ahead) const
{
    const size_t at = m_pos + ahead;
    return at < m_source.size() ? m_source[at] : '\0';
}

bool Lexer::AtLineEnd(size_t pos) const
{
    return pos >= m_source.size() || m_source[pos] == '\n' || m_source[pos] == '\r';
}

void Lexer::Fail(int number, size_t pos) const { throw CompileError(number, m_line, ColumnOf(pos)); }

void Lexer::SkipToLineEnd()
{
    while (!AtLineEnd(m_pos))
        ++m_pos;
}

void Lexer::NewLine()
{
    // CR LF, LF and CR each end one line.
    if (Peek() == '\r' && Peek(1) == '\n')
        m_pos += 2;
    else if (m_pos < m_source.size())
        ++m_pos;
    ++m_line;
    m_lineStart = m_pos;
}

std::vector<Token> Lexer::Tokenize()
{
    while (true) {
        const char c = Peek();
        if (c == ' ' || c == '\t' || c == '\f' || c == '\v') {
            ++m_pos;
            continue;
        }
        if (c == '\'') {
            SkipToLineEnd();
            continue;
        }
        if (c == '_' && LexContinuation())
            continue;

        Token token;
        token.line = m_line;
        token.column = ColumnOf(m_pos);
        token.spaceBefore = m_pos > 0 && std::isspace(static_cast<unsigned char>(m_source[m_pos - 1])) != 0;
        if (m_pos >= m_source.size()) {
            token.kind = TokenKind::EndOfFile;
            m_tokens.push_back(std::move(token));
            return std::move(m_tokens);
        }
        if (c == '\n' || c == '\r') {
            token.kind = TokenKind::NewLine;
            NewLine();
        } else if (IsLetter(c)) {
            LexWord(token);
            if (token.kind == TokenKind::Identifier && EqualsNoCase(token.text, "rem")) {
                SkipToLineEnd();
                continue;
            }
        } else if (IsDigit(c) || (c == '.' && IsDigit(Peek(1)) && !FollowsName())) {
            LexNumber(token);
        } else if (c == '"') {
            LexString(token);
        } else if (c == '#') {
            LexDate(token);
        } else if (c == '&' && (AsciiLower(Peek(1)) == 'h' || AsciiLower(Peek(1)) == 'o')
            && IsRadixLiteral(m_pos + 2, AsciiLower(Peek(1)) == 'h' ? 16 : 8)) {
            LexRadixNumber(token, AsciiLower(Peek(1)) == 'h' ? 16 : 8, m_pos + 2);
        } else if (c == '&' && Peek(1) >= '0' && Peek(1) <= '7') {
            LexRadixNumber(token, 8, m_pos + 1);
        } else {
            TokenKind kind = TokenKind::EndOfFile;
            size_t length = 1;
            switch (c) {
            case '(':
                kind = TokenKind::LParen;
                break;
            case ')':
                kind = TokenKind::RParen;
                break;
            case ',':
                kind = TokenKind::Comma;
                break;
            case '.':
                kind = TokenKind::Dot;
                break;
            case ':':
                kind = TokenKind::Colon;
                break;
            case '+':
                kind = TokenKind::Plus;
                break;
            case '-':
                kind = TokenKind::Minus;
                break;
            case '*':
                kind = TokenKind::Star;
                break;
            case '/':
                kind = TokenKind::Slash;
                break;
            case '\\':
                kind = TokenKind::Backslash;
                break;
            case '^':
                kind = TokenKind::Caret;
                break;
            case '&':
                kind = TokenKind::Ampersand;
                break;
            case '=':
                // VBScript also reads `=>` and `=<` as the comparisons written the usual way round.
                if (Peek(1) == '>') {
                    kind = TokenKind::GreaterEqual;
                    length = 2;
                } else if (Peek(1) == '<') {
                    kind = TokenKind::LessEqual;
                    length = 2;
                } else {
                    kind = TokenKind::Equal;
                }
                break;
            case '<':
                if (Peek(1) == '>') {
                    kind = TokenKind::NotEqual;
                    length = 2;
                } else if (Peek(1) == '=') {
                    kind = TokenKind::LessEqual;
                    length = 2;
                } else {
                    kind = TokenKind::Less;
                }
                break;
            case '>':
                if (Peek(1) == '=') {
                    kind = TokenKind::GreaterEqual;
                    length = 2;
                } else if (Peek(1) == '<') {
                    kind = TokenKind::NotEqual;
                    length = 2;
                } else {
                    kind = TokenKind::Greater;
                }
                break;
            default:
                Fail(errc::InvalidCharacter, m_pos);
            }
            token.kind = kind;
            m_pos += length;
        }
        m_tokens.push_back(std::move(token));
    }
}

bool Lexer::FollowsName() const
{
    // "a.b" is a member; ".5" after a blank or an operator is a number.
    if (m_tokens.empty() || m_pos == 0 || m_source[m_pos - 1] == ' ' || m_source[m_pos - 1] == '\t')
        return false;
    const TokenKind previous = m_tokens.back().kind;
    return previous == TokenKind::Identifier || previous == TokenKind::RParen;
}

bool Lexer::LexContinuation()
{
    // "_" is a continuation when only blanks follow it on its line.
    size_t after = m_pos + 1;
    if (after < m_source.size() && IsWordChar(m_source[after]))
        return false;
    while (after < m_source.size() && (m_source[after] == ' ' || m_source[after] == '\t'))
        ++after;
    if (after >= m_source.size() || (m_source[after] != '\n' && m_source[after] != '\r'))
        Fail(errc::InvalidCharacter, m_pos);
    m_pos = after;
    NewLine();
    return true;
}

void Lexer::LexWord(Token& token)
{
    const size_t start = m_pos;
    while (IsWordChar(Peek()))
        ++m_pos;
    if (m_pos - start > MaxIdentifierLength)
        throw CompileError(1030, m_line, ColumnOf(start));
    token.text.assign(m_source.substr(start, m_pos - start));
    token.kind = TokenKind::Identifier;
    if (token.text.size() <= 8) {
        const std::string lower = AsciiLowerCopy(token.text);
        const auto it = std::lower_bound(ReservedWords.begin(), ReservedWords.end(), lower,
            [](const ReservedWord& entry, const std::string& word) { return entry.word < word; });
        if (it != ReservedWords.end() && it->word == lower)
            token.kind = it->kind;
    }
}

void Lexer::LexNumber(Token& token)
{
    const size_t start = m_pos;
    bool isReal = false;
    while (IsDigit(Peek()))
        ++m_pos;
    if (Peek() == '.') {
        isReal = true;
        ++m_pos;
        while (IsDigit(Peek()))
            ++m_pos;
    }
    if ((Peek() == 'e' || Peek() == 'E')
        && (IsDigit(Peek(1)) || ((Peek(1) == '+' || Peek(1) == '-') && IsDigit(Peek(2))))) {
        isReal = true;
        m_pos += 2;
        while (IsDigit(Peek()))
            ++m_pos;
    }
    if (IsLetter(Peek()) || Peek() == '_')
        Fail(errc::ExpectedEndOfStatement, m_pos);
    token.kind = TokenKind::Number;
    const std::optional<ScannedNumber> scanned
        = ScanNumber(m_source.substr(start, m_pos - start), NumberForms::Decimal);
    if (!scanned)
        Fail(errc::InvalidNumber, start);
    const double value = scanned->value;
    if (!isReal && value <= 32767)
        token.number = Variant::FromInteger(static_cast<int16_t>(value));
    else if (!isReal && value <= 2147483647)
        token.number = Variant::FromLong(static_cast<int32_t>(value));
    else
        token.number = Variant::FromDouble(value);
}

void Lexer::LexRadixNumber(Token& token, int radix, size_t digitsStart)
{
    const size_t start = m_pos;
    m_pos = digitsStart;
    uint64_t value = 0;
    size_t digits = 0;
    while (true) {
        const int digit = HexValue(Peek());
        if (digit < 0 || digit >= radix)
            break;
        value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFu)
            Fail(errc::InvalidNumber, start);
        ++digits;
        ++m_pos;
    }
    if (digits == 0)
        Fail(errc::SyntaxError, start);
    // A trailing "&" asks for a Long.
    bool forceLong = false;
    if (Peek() == '&') {
        forceLong = true;
        ++m_pos;
    }
    token.kind = TokenKind::Number;
    if (value <= 0xFFFF && !forceLong)
        token.number = Variant::FromInteger(static_cast<int16_t>(static_cast<uint16_t>(value)));
    else
        token.number = Variant::FromLong(static_cast<int32_t>(static_cast<uint32_t>(value)));
}

// "&H" or "&O" starts a literal only when digits follow that no letter continues: in
// `"x" &hello` the & joins text to the variable `hello`.
bool Lexer::IsRadixLiteral(size_t digitsStart, int radix) const
{
    size_t pos = digitsStart;
    while (pos < m_source.size()) {
        const int digit = HexValue(m_source[pos]);
        if (digit < 0 || digit >= radix)
            break;
        ++pos;
    }
    return pos == m_source.size() || !IsWordChar(m_source[pos]);
}

void Lexer::LexDate(Token& token)
{
    const size_t start = m_pos;
    size_t end = m_pos + 1;
    while (!AtLineEnd(end) && m_source[end] != '#')
        ++end;
    if (AtLineEnd(end))
        Fail(errc::InvalidCharacter, start);
    const std::optional<double> date = ParseDate(m_source.substr(start + 1, end - start - 1), CurrentYear());
    if (!date)
        Fail(errc::SyntaxError, start);
    token.kind = TokenKind::Number;
    token.number = Variant::FromDate(*date);
    m_pos = end + 1;
}

void Lexer::LexString(Token& token)
{
    ++m_pos;
    token.kind = TokenKind::String;
    while (true) {
        if (AtLineEnd(m_pos))
            Fail(errc::UnterminatedString, m_pos);
        const char c = m_source[m_pos];
        if (c == '"') {
            if (Peek(1) == '"') {
                token.text += '"';
                m_pos += 2;
                continue;
            }
            ++m_pos;
            return;
        }
        token.text += c;
        ++m_pos;
    }
}

} // namespace vortalux::script
