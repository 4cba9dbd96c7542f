// AscW, ChrW and the byte functions. Windows holds a script string as UTF-16 code units, two
// bytes each, low byte first; the byte functions count and cut those bytes. Our strings hold one
// byte per character in the ANSI code page, so each character here is one code unit there: the
// unit of its Windows-1252 character. LenB("ab") is 4 and AscW(Chr(128)) is 8364, as on Windows.
// A cut that leaves a lone byte (LeftB("ab", 3)) cannot be half a character here: the lone byte
// becomes the character of that byte, as Chr makes it.
#include "AnsiCodePage.h"
#include "AsciiText.h"
#include "BuiltinFunctions.h"
#include "Coercion.h"
#include "Operators.h"
#include "ScriptError.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace vortalux::script::builtins {

namespace {

bool IsMissing(const Args& args, size_t index) { return index >= args.size() || args[index].IsEmpty(); }

// Byte `index` of `text` as Windows holds it.
unsigned char ByteAt(std::string_view text, size_t index)
{
    const char16_t unit = UnitOfAnsi(static_cast<unsigned char>(text[index / 2]));
    return static_cast<unsigned char>(index % 2 == 0 ? unit & 0xFF : unit >> 8);
}

char CharacterOfUnit(char16_t unit)
{
    const int byte = AnsiOfUnit(unit);
    // A character Windows-1252 lacks becomes "?", as Windows writes it in that code page.
    return static_cast<char>(byte < 0 ? '?' : byte);
}

// The text the bytes [begin, end) of `text` make: each pair one character, a lone last byte the
// character of that byte.
std::string TextOfBytes(std::string_view text, size_t begin, size_t end)
{
    std::string result;
    result.reserve((end - begin + 1) / 2);
    size_t i = begin;
    for (; i + 1 < end; i += 2)
        result += CharacterOfUnit(static_cast<char16_t>(ByteAt(text, i) | ByteAt(text, i + 1) << 8));
    if (i < end)
        result += static_cast<char>(ByteAt(text, i));
    return result;
}

// A count or position of bytes; negative ones are 5.
size_t ByteCount(const Variant& value)
{
    const int32_t count = ToLong(value);
    if (count < 0)
        Raise(errc::InvalidProcedureCall);
    return static_cast<size_t>(count);
}

// The whole text as Windows holds it, for searching.
std::string WindowsBytes(std::string_view text, bool foldCase)
{
    std::string bytes;
    ops::CheckStringLength(text.size() * 2);
    bytes.reserve(text.size() * 2);
    for (const char c : text) {
        const char16_t unit = UnitOfAnsi(static_cast<unsigned char>(foldCase ? AsciiLower(c) : c));
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// The first character's code unit; Null is 94 and empty text 5, as Asc.
char16_t FirstUnit(const Variant& value)
{
    const std::string text = ToString(value);
    if (text.empty())
        Raise(errc::InvalidProcedureCall);
    return UnitOfAnsi(static_cast<unsigned char>(text[0]));
}

} // namespace

Variant AscW(Interpreter&, Args& args)
{
    // An Integer, as on Windows: units past 32767 read as negative numbers.
    return Variant::FromInteger(static_cast<int16_t>(FirstUnit(args[0])));
}

Variant AscB(Interpreter&, Args& args)
{
    return Variant::FromInteger(static_cast<int16_t>(FirstUnit(args[0]) & 0xFF));
}

Variant ChrW(Interpreter&, Args& args)
{
    const int32_t code = ToLong(args[0]);
    if (code < -32768 || code > 65535)
        Raise(errc::InvalidProcedureCall);
    return Variant::FromString(std::string(1, CharacterOfUnit(static_cast<char16_t>(code & 0xFFFF))));
}

Variant ChrB(Interpreter&, Args& args)
{
    const int32_t code = ToLong(args[0]);
    if (code < 0 || code > 255)
        Raise(errc::InvalidProcedureCall);
    return Variant::FromString(std::string(1, static_cast<char>(code)));
}

Variant LenB(Interpreter&, Args& args)
{
    if (args[0].IsNull())
        return Variant::Null();
    return Variant::FromLong(static_cast<int32_t>(ToString(args[0]).size() * 2));
}

Variant LeftB(Interpreter&, Args& args)
{
    if (args[0].IsNull())
        return Variant::Null();
    const size_t count = ByteCount(args[1]);
    const std::string text = ToString(args[0]);
    return Variant::FromString(TextOfBytes(text, 0, std::min(count, text.size() * 2)));
}

Variant RightB(Interpreter&, Args& args)
{
    if (args[0].IsNull())
        return Variant::Null();
    const size_t count = ByteCount(args[1]);
    const std::string text = ToString(args[0]);
    const size_t length = text.size() * 2;
    return Variant::FromString(TextOfBytes(text, length - std::min(count, length), length));
}

Variant MidB(Interpreter&, Args& args)
{
    if (args[0].IsNull())
        return Variant::Null();
    const size_t start = ByteCount(args[1]);
    if (start < 1)
        Raise(errc::InvalidProcedureCall);
    const size_t count = IsMissing(args, 2) ? std::string::npos : ByteCount(args[2]);
    const std::string text = ToString(args[0]);
    const size_t length = text.size() * 2;
    if (start > length)
        return Variant::FromString("");
    return Variant::FromString(
        TextOfBytes(text, start - 1, start - 1 + std::min(count, length - (start - 1))));
}

Variant InStrB(Interpreter&, Args& args)
{
    // InStrB([start, ]string1, string2[, compare]): the byte position, as InStr the character's.
    const bool hasStart = args.size() >= 3;
    size_t start = 1;
    if (hasStart) {
        if (args[0].IsNull())
            Raise(errc::InvalidUseOfNull);
        start = ByteCount(args[0]);
        if (start < 1)
            Raise(errc::InvalidProcedureCall);
    }
    bool foldCase = false;
    if (hasStart && !IsMissing(args, 3)) {
        const int32_t mode = ToLong(args[3]);
        if (mode < 0 || mode > 2)
            Raise(errc::InvalidProcedureCall);
        foldCase = mode == 1;
    }
    const Variant& haystack = args[hasStart ? 1 : 0];
    const Variant& needle = args[hasStart ? 2 : 1];
    if (haystack.IsNull() || needle.IsNull())
        return Variant::Null();
    const std::string text = WindowsBytes(ToString(haystack), foldCase);
    const std::string what = WindowsBytes(ToString(needle), foldCase);
    if (start > text.size())
        return Variant::FromLong(0);
    if (what.empty())
        return Variant::FromLong(static_cast<int32_t>(start));
    const size_t found = text.find(what, start - 1);
    return Variant::FromLong(found == std::string::npos ? 0 : static_cast<int32_t>(found + 1));
}

} // namespace vortalux::script::builtins
