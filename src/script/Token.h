#pragma once

#include "Variant.h"

#include <string>

namespace vortalux::script {

enum class TokenKind {
    EndOfFile,
    NewLine,
    Colon,
    Identifier,
    Number,
    String,
    // Punctuation and operators.
    LParen,
    RParen,
    Comma,
    Dot,
    Plus,
    Minus,
    Star,
    Slash,
    Backslash,
    Caret,
    Ampersand,
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    // Reserved words.
    And,
    ByRef,
    ByVal,
    Call,
    Case,
    Class,
    Const,
    Dim,
    Do,
    Each,
    Else,
    ElseIf,
    Empty,
    End,
    Eqv,
    Erase,
    Exit,
    False,
    For,
    Function,
    If,
    Imp,
    In,
    Is,
    Let,
    Loop,
    Me,
    Mod,
    New,
    Next,
    Not,
    Nothing,
    Null,
    On,
    Option,
    Or,
    Private,
    Public,
    ReDim,
    Select,
    Set,
    Sub,
    Then,
    To,
    True,
    Until,
    Wend,
    While,
    With,
    Xor,
};

struct Token {
    TokenKind kind = TokenKind::EndOfFile;
    // Identifier as written, or the value of a string literal.
    std::string text;
    // Value of a number literal.
    Variant number;
    int line = 1; // 1-based
    int column = 0; // 0-based byte offset in the line
    bool spaceBefore = false; // white space (or a line continuation) right before the token
};

} // namespace vortalux::script
