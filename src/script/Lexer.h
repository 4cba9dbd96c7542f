#pragma once

#include "Token.h"

#include <string_view>
#include <vector>

namespace vortalux::script {

// Splits source text into tokens. Names and reserved words are case-blind; comments (' and
// Rem) and line continuations (" _" at the end of a line) leave no token. Throws CompileError.
class Lexer {
public:
    explicit Lexer(std::string_view source);

    // Every token of the source, ending with one EndOfFile token.
    std::vector<Token> Tokenize();

private:
    char Peek(size_t ahead = 0) const;
    bool AtLineEnd(size_t pos) const;
    void SkipToLineEnd();
    void NewLine();
    void LexNumber(Token& token);
    void LexRadixNumber(Token& token, int radix, size_t digitsStart);
    bool IsRadixLiteral(size_t digitsStart, int radix) const;
    void LexDate(Token& token);
    void LexString(Token& token);
    void LexWord(Token& token);
    bool LexContinuation();
    bool FollowsName() const;
    [[noreturn]] void Fail(int number, size_t pos) const;
    int ColumnOf(size_t pos) const { return static_cast<int>(pos - m_lineStart); }

    std::string_view m_source;
    size_t m_pos = 0;
    size_t m_lineStart = 0;
    int m_line = 1;
    std::vector<Token> m_tokens;
};

} // namespace vortalux::script
