// The string built-ins. Positions are 1-based; strings are bytes, one character each.
#include "AsciiText.h"
#include "BuiltinFunctions.h"
#include "Coercion.h"
#include "Operators.h"
#include "ScriptArray.h"
#include "ScriptError.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace vortalux::script::builtins {

namespace {

bool IsMissing(const Args& args, size_t index) { return index >= args.size() || args[index].IsEmpty(); }

// A count or position argument: Null is "Invalid use of Null", negatives are checked by callers.
int64_t WholeArgument(const Variant& value) { return ToLong(value); }

// vbTextCompare (1) compares without regard to letter case.
bool TextCompare(const Args& args, size_t index)
{
    if (IsMissing(args, index))
        return false;
    const int32_t mode = ToLong(args[index]);
    if (mode < 0 || mode > 2)
        Raise(errc::InvalidProcedureCall);
    return mode == 1;
}

size_t Find(std::string_view text, std::string_view what, size_t from, bool ignoreCase)
{
    if (!ignoreCase)
        return text.find(what, from);
    const std::string lowerText = AsciiLowerCopy(text);
    return lowerText.find(AsciiLowerCopy(what), from);
}

size_t FindLast(std::string_view text, std::string_view what, size_t before, bool ignoreCase)
{
    if (!ignoreCase)
        return text.rfind(what, before);
    return AsciiLowerCopy(text).rfind(AsciiLowerCopy(what), before);
}

// VBScript's Trim, LTrim and RTrim remove spaces only: a tab or a line break stays.
Variant TrimWith(Args& args, bool left, bool right)
{
    if (args[0].IsNull())
        return Variant::Null();
    std::string text = ToString(args[0]);
    size_t begin = 0;
    size_t end = text.size();
    if (left)
        while (begin < end && text[begin] == ' ')
            ++begin;
    if (right)
        while (end > begin && text[end - 1] == ' ')
            --end;
    return Variant::FromString(text.substr(begin, end - begin));
}

std::string RepeatedChar(int64_t count, char c)
{
    if (count < 0)
        Raise(errc::InvalidProcedureCall);
    ops::CheckStringLength(static_cast<size_t>(count));
    return std::string(static_cast<size_t>(count), c);
}

bool KeptByEscape(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '@' || c == '*'
        || c == '_' || c == '+' || c == '-' || c == '.' || c == '/';
}

} // namespace

Variant Len(Interpreter&, Args& args)
{
    if (args[0].IsNull())
        return Variant::Null();
    return Variant::FromLong(static_cast<int32_t>(ToString(args[0]).size()));
}

Variant Left(Interpreter&, Args& args)
{
    if (args[0].IsNull())
        return Variant::Null();
    const int64_t count = WholeArgument(args[1]);
    if (count < 0)
        Raise(errc::InvalidProcedureCall);
    const std::string text = ToString(args[0]);
    return Variant::FromString(text.substr(0, static_cast<size_t>(count)));
}

Variant Right(Interpreter&, Args& args)
{
    if (args[0].IsNull())
        return Variant::Null();
    const int64_t count = WholeArgument(args[1]);
    if (count < 0)
        Raise(errc::InvalidProcedureCall);
    const std::string text = ToString(args[0]);
    const size_t keep = std::min(text.size(), static_cast<size_t>(count));
    return Variant::FromString(text.substr(text.size() - keep));
}

Variant Mid(Interpreter&, Args& args)
{
    if (args[0].IsNull())
        return Variant::Null();
    const int64_t start = WholeArgument(args[1]);
    if (start < 1)
        Raise(errc::InvalidProcedureCall);
    const std::string text = ToString(args[0]);
    if (static_cast<size_t>(start) > text.size())
        return Variant::FromString("");
    size_t length = std::string::npos;
    if (!IsMissing(args, 2)) {
        const int64_t wanted = WholeArgument(args[2]);
        if (wanted < 0)
            Raise(errc::InvalidProcedureCall);
        length = static_cast<size_t>(wanted);
    }
    return Variant::FromString(text.substr(static_cast<size_t>(start - 1), length));
}

Variant InStr(Interpreter&, Args& args)
{
    // InStr([start, ]string1, string2[, compare])
    const bool hasStart = args.size() >= 3;
    int64_t start = 1;
    if (hasStart) {
        if (args[0].IsNull())
            Raise(errc::InvalidUseOfNull);
        start = WholeArgument(args[0]);
        if (start < 1)
            Raise(errc::InvalidProcedureCall);
    }
    const Variant& haystack = args[hasStart ? 1 : 0];
    const Variant& needle = args[hasStart ? 2 : 1];
    const bool ignoreCase = hasStart && TextCompare(args, 3);
    if (haystack.IsNull() || needle.IsNull())
        return Variant::Null();
    const std::string text = ToString(haystack);
    const std::string what = ToString(needle);
    if (static_cast<size_t>(start) > text.size())
        return Variant::FromLong(0);
    if (what.empty())
        return Variant::FromLong(static_cast<int32_t>(start));
    const size_t found = Find(text, what, static_cast<size_t>(start - 1), ignoreCase);
    return Variant::FromLong(found == std::string::npos ? 0 : static_cast<int32_t>(found + 1));
}

Variant InStrRev(Interpreter&, Args& args)
{
    // InStrRev(string1, string2[, start[, compare]])
    if (args[0].IsNull() || args[1].IsNull())
        return Variant::Null();
    const std::string text = ToString(args[0]);
    const std::string what = ToString(args[1]);
    int64_t start = IsMissing(args, 2) ? -1 : WholeArgument(args[2]);
    if (start == 0 || start < -1)
        Raise(errc::InvalidProcedureCall);
    const bool ignoreCase = TextCompare(args, 3);
    if (start == -1)
        start = static_cast<int64_t>(text.size());
    if (static_cast<size_t>(start) > text.size())
        return Variant::FromLong(0);
    if (what.empty())
        return Variant::FromLong(static_cast<int32_t>(start));
    if (what.size() > static_cast<size_t>(start))
        return Variant::FromLong(0);
    const size_t found = FindLast(text, what, static_cast<size_t>(start) - what.size(), ignoreCase);
    return Variant::FromLong(found == std::string::npos ? 0 : static_cast<int32_t>(found + 1));
}

Variant Replace(Interpreter&, Args& args)
{
    // Replace(expression, find, replacewith[, start[, count[, compare]]]): the result starts
    // at `start`, as VBScript's does.
    if (args[0].IsNull() || args[1].IsNull() || args[2].IsNull())
        return Variant::Null();
    const std::string text = ToString(args[0]);
    const std::string what = ToString(args[1]);
    const std::string with = ToString(args[2]);
    const int64_t start = IsMissing(args, 3) ? 1 : WholeArgument(args[3]);
    const int64_t count = IsMissing(args, 4) ? -1 : WholeArgument(args[4]);
    if (start < 1 || count < -1)
        Raise(errc::InvalidProcedureCall);
    const bool ignoreCase = TextCompare(args, 5);
    if (static_cast<size_t>(start) > text.size())
        return Variant::FromString("");
    const std::string_view rest = std::string_view(text).substr(static_cast<size_t>(start - 1));
    if (what.empty() || count == 0)
        return Variant::FromString(std::string(rest));
    const std::string lowerRest = ignoreCase ? AsciiLowerCopy(rest) : std::string();
    const std::string lowerWhat = ignoreCase ? AsciiLowerCopy(what) : std::string();
    const std::string_view searchIn = ignoreCase ? std::string_view(lowerRest) : rest;
    const std::string_view searchFor = ignoreCase ? std::string_view(lowerWhat) : std::string_view(what);
    std::string result;
    size_t position = 0;
    int64_t done = 0;
    while (count < 0 || done < count) {
        const size_t found = searchIn.find(searchFor, position);
        if (found == std::string::npos)
            break;
        result.append(rest.substr(position, found - position));
        result += with;
        ops::CheckStringLength(result.size());
        position = found + what.size();
        ++done;
    }
    result.append(rest.substr(position));
    ops::CheckStringLength(result.size());
    return Variant::FromString(std::move(result));
}

Variant Split(Interpreter&, Args& args)
{
    // Split(expression[, delimiter[, count[, compare]]])
    if (args[0].IsNull())
        Raise(errc::InvalidUseOfNull);
    const std::string text = ToString(args[0]);
    const std::string delimiter = IsMissing(args, 1) ? std::string(" ") : ToString(args[1]);
    const int64_t limit = IsMissing(args, 2) ? -1 : WholeArgument(args[2]);
    if (limit < -1)
        Raise(errc::InvalidProcedureCall);
    const bool ignoreCase = TextCompare(args, 3);
    std::vector<Variant> parts;
    if (text.empty() || limit == 0)
        return Variant::FromArray(ScriptArray::FromElements(std::move(parts)));
    if (delimiter.empty()) {
        parts.push_back(Variant::FromString(text));
        return Variant::FromArray(ScriptArray::FromElements(std::move(parts)));
    }
    size_t position = 0;
    while (limit < 0 || static_cast<int64_t>(parts.size()) + 1 < limit) {
        const size_t found = Find(text, delimiter, position, ignoreCase);
        if (found == std::string::npos)
            break;
        parts.push_back(Variant::FromString(text.substr(position, found - position)));
        if (parts.size() >= ScriptArray::MaxElements)
            Raise(errc::OutOfMemory);
        position = found + delimiter.size();
    }
    parts.push_back(Variant::FromString(text.substr(position)));
    return Variant::FromArray(ScriptArray::FromElements(std::move(parts)));
}

Variant Join(Interpreter&, Args& args)
{
    if (!args[0].IsArray())
        Raise(errc::TypeMismatch);
    const ScriptArray& array = *args[0].AsArray();
    if (array.DimensionCount() > 1)
        Raise(errc::TypeMismatch);
    const std::string delimiter = IsMissing(args, 1) ? std::string(" ") : ToString(args[1]);
    std::string result;
    bool first = true;
    for (const Variant& element : array.Elements()) {
        if (!first)
            result += delimiter;
        first = false;
        if (!element.IsNull())
            result += ToString(element);
        ops::CheckStringLength(result.size());
    }
    return Variant::FromString(std::move(result));
}

Variant Filter(Interpreter&, Args& args)
{
    if (args[0].IsNull() || args[1].IsNull())
        Raise(errc::InvalidUseOfNull);
    if (!args[0].IsArray() || args[0].AsArray()->DimensionCount() > 1)
        Raise(errc::TypeMismatch);
    const std::string value = ToString(args[1]);
    const bool include = IsMissing(args, 2) || ToBool(args[2]);
    const bool ignoreCase = TextCompare(args, 3);
    std::vector<Variant> kept;
    for (const Variant& element : args[0].AsArray()->Elements()) {
        std::string text = element.IsNull() ? std::string() : ToString(element);
        if ((Find(text, value, 0, ignoreCase) != std::string::npos) == include)
            kept.push_back(Variant::FromString(std::move(text)));
    }
    return Variant::FromArray(ScriptArray::FromElements(std::move(kept)));
}

Variant LCase(Interpreter&, Args& args)
{
    if (args[0].IsNull())
        return Variant::Null();
    return Variant::FromString(AsciiLowerCopy(ToString(args[0])));
}

Variant UCase(Interpreter&, Args& args)
{
    if (args[0].IsNull())
        return Variant::Null();
    return Variant::FromString(AsciiUpperCopy(ToString(args[0])));
}

Variant Trim(Interpreter&, Args& args) { return TrimWith(args, true, true); }

Variant LTrim(Interpreter&, Args& args) { return TrimWith(args, true, false); }

Variant RTrim(Interpreter&, Args& args) { return TrimWith(args, false, true); }

Variant Space(Interpreter&, Args& args)
{
    return Variant::FromString(RepeatedChar(WholeArgument(args[0]), ' '));
}

Variant String(Interpreter&, Args& args)
{
    if (args[0].IsNull() || args[1].IsNull())
        return Variant::Null();
    char c = 0;
    if (args[1].IsString()) {
        if (args[1].AsString().empty())
            Raise(errc::InvalidProcedureCall);
        c = args[1].AsString()[0];
    } else {
        c = static_cast<char>(static_cast<unsigned char>(ToLong(args[1]) & 0xFF));
    }
    return Variant::FromString(RepeatedChar(WholeArgument(args[0]), c));
}

Variant StrComp(Interpreter&, Args& args)
{
    if (args[0].IsNull() || args[1].IsNull())
        return Variant::Null();
    const bool ignoreCase = TextCompare(args, 2);
    std::string a = ToString(args[0]);
    std::string b = ToString(args[1]);
    if (ignoreCase) {
        a = AsciiLowerCopy(a);
        b = AsciiLowerCopy(b);
    }
    const int c = a.compare(b);
    return Variant::FromInteger(static_cast<int16_t>(c < 0 ? -1 : (c > 0 ? 1 : 0)));
}

Variant StrReverse(Interpreter&, Args& args)
{
    if (args[0].IsNull())
        Raise(errc::InvalidUseOfNull);
    std::string text = ToString(args[0]);
    std::reverse(text.begin(), text.end());
    return Variant::FromString(std::move(text));
}

Variant Chr(Interpreter&, Args& args)
{
    const int32_t code = ToLong(args[0]);
    if (code < 0 || code > 255)
        Raise(errc::InvalidProcedureCall);
    return Variant::FromString(std::string(1, static_cast<char>(static_cast<unsigned char>(code))));
}

Variant Asc(Interpreter&, Args& args)
{
    const std::string text = ToString(args[0]);
    if (text.empty())
        Raise(errc::InvalidProcedureCall);
    return Variant::FromInteger(static_cast<int16_t>(static_cast<unsigned char>(text[0])));
}

Variant Escape(Interpreter&, Args& args)
{
    if (args[0].IsNull())
        return Variant::Null();
    static const char hex[] = "0123456789ABCDEF";
    std::string result;
    for (const char c : ToString(args[0])) {
        const auto byte = static_cast<unsigned char>(c);
        if (KeptByEscape(byte)) {
            result += c;
        } else {
            result += '%';
            result += hex[byte >> 4];
            result += hex[byte & 15];
        }
    }
    ops::CheckStringLength(result.size());
    return Variant::FromString(std::move(result));
}

Variant Unescape(Interpreter&, Args& args)
{
    if (args[0].IsNull())
        return Variant::Null();
    const std::string text = ToString(args[0]);
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0
            && HexValue(text[i + 2]) >= 0) {
            result += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else if (text[i] == '%' && i + 5 < text.size() && (text[i + 1] == 'u' || text[i + 1] == 'U')
            && HexValue(text[i + 2]) >= 0 && HexValue(text[i + 3]) >= 0 && HexValue(text[i + 4]) >= 0
            && HexValue(text[i + 5]) >= 0) {
            const int code
                = ((HexValue(text[i + 2]) * 16 + HexValue(text[i + 3])) * 16 + HexValue(text[i + 4])) * 16
                + HexValue(text[i + 5]);
            // Byte strings hold characters up to 255; others become "?".
            result += code <= 0xFF ? static_cast<char>(code) : '?';
            i += 5;
        } else {
            result += text[i];
        }
    }
    return Variant::FromString(std::move(result));
}

} // namespace vortalux::script::builtins
