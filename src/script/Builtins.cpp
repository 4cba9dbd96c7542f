#include "Builtins.h"

#include "BuiltinFunctions.h"
#include "Coercion.h"
#include "Interpreter.h"
#include "ScriptArray.h"
#include "ScriptError.h"
#include "ScriptObject.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <string>
#include <unordered_map>

namespace vortalux::script {

namespace {

constexpr int Any = 1 << 30;

// Sorted by name for the binary search in FindBuiltin.
constexpr std::array Builtins = {
    BuiltinFunction {"abs", 1, 1, builtins::Abs},
    BuiltinFunction {"array", 0, Any, builtins::Array},
    BuiltinFunction {"asc", 1, 1, builtins::Asc},
    BuiltinFunction {"ascb", 1, 1, builtins::AscB},
    BuiltinFunction {"ascw", 1, 1, builtins::AscW},
    BuiltinFunction {"atn", 1, 1, builtins::Atn},
    BuiltinFunction {"cbool", 1, 1, builtins::CBool},
    BuiltinFunction {"cbyte", 1, 1, builtins::CByte},
    BuiltinFunction {"ccur", 1, 1, builtins::CCur},
    BuiltinFunction {"cdate", 1, 1, builtins::CDate},
    BuiltinFunction {"cdbl", 1, 1, builtins::CDbl},
    BuiltinFunction {"chr", 1, 1, builtins::Chr},
    BuiltinFunction {"chrb", 1, 1, builtins::ChrB},
    BuiltinFunction {"chrw", 1, 1, builtins::ChrW},
    BuiltinFunction {"cint", 1, 1, builtins::CInt},
    BuiltinFunction {"clng", 1, 1, builtins::CLng},
    BuiltinFunction {"cos", 1, 1, builtins::Cos},
    BuiltinFunction {"createobject", 1, 2, builtins::CreateObject},
    BuiltinFunction {"csng", 1, 1, builtins::CSng},
    BuiltinFunction {"cstr", 1, 1, builtins::CStr},
    BuiltinFunction {"date", 0, 0, builtins::Date},
    BuiltinFunction {"dateadd", 3, 3, builtins::DateAdd},
    BuiltinFunction {"datediff", 3, 5, builtins::DateDiff},
    BuiltinFunction {"datepart", 2, 4, builtins::DatePart},
    BuiltinFunction {"dateserial", 3, 3, builtins::DateSerial},
    BuiltinFunction {"datevalue", 1, 1, builtins::DateValue},
    BuiltinFunction {"day", 1, 1, builtins::Day},
    BuiltinFunction {"escape", 1, 1, builtins::Escape},
    BuiltinFunction {"eval", 1, 1, builtins::Eval},
    BuiltinFunction {"execute", 1, 1, builtins::Execute},
    BuiltinFunction {"executeglobal", 1, 1, builtins::ExecuteGlobal},
    BuiltinFunction {"exp", 1, 1, builtins::Exp},
    BuiltinFunction {"filter", 2, 4, builtins::Filter},
    BuiltinFunction {"fix", 1, 1, builtins::Fix},
    BuiltinFunction {"formatcurrency", 1, 5, builtins::FormatCurrency},
    BuiltinFunction {"formatdatetime", 1, 2, builtins::FormatDateTime},
    BuiltinFunction {"formatnumber", 1, 5, builtins::FormatNumber},
    BuiltinFunction {"formatpercent", 1, 5, builtins::FormatPercent},
    BuiltinFunction {"getlocale", 0, 0, builtins::GetLocale},
    BuiltinFunction {"getobject", 0, 2, builtins::GetObject},
    BuiltinFunction {"getref", 1, 1, builtins::GetRef},
    BuiltinFunction {"hex", 1, 1, builtins::Hex},
    BuiltinFunction {"hour", 1, 1, builtins::Hour},
    BuiltinFunction {"inputbox", 1, 7, builtins::InputBox},
    BuiltinFunction {"instr", 2, 4, builtins::InStr},
    BuiltinFunction {"instrb", 2, 4, builtins::InStrB},
    BuiltinFunction {"instrrev", 2, 4, builtins::InStrRev},
    BuiltinFunction {"int", 1, 1, builtins::Int},
    BuiltinFunction {"isarray", 1, 1, builtins::IsArray},
    BuiltinFunction {"isdate", 1, 1, builtins::IsDate},
    BuiltinFunction {"isempty", 1, 1, builtins::IsEmpty},
    BuiltinFunction {"isnull", 1, 1, builtins::IsNull},
    BuiltinFunction {"isnumeric", 1, 1, builtins::IsNumeric},
    BuiltinFunction {"isobject", 1, 1, builtins::IsObject},
    BuiltinFunction {"join", 1, 2, builtins::Join},
    BuiltinFunction {"lbound", 1, 2, builtins::LBound},
    BuiltinFunction {"lcase", 1, 1, builtins::LCase},
    BuiltinFunction {"left", 2, 2, builtins::Left},
    BuiltinFunction {"leftb", 2, 2, builtins::LeftB},
    BuiltinFunction {"len", 1, 1, builtins::Len},
    BuiltinFunction {"lenb", 1, 1, builtins::LenB},
    BuiltinFunction {"loadpicture", 1, 1, builtins::LoadPicture},
    BuiltinFunction {"log", 1, 1, builtins::Log},
    BuiltinFunction {"ltrim", 1, 1, builtins::LTrim},
    BuiltinFunction {"mid", 2, 3, builtins::Mid},
    BuiltinFunction {"midb", 2, 3, builtins::MidB},
    BuiltinFunction {"minute", 1, 1, builtins::Minute},
    BuiltinFunction {"month", 1, 1, builtins::Month},
    BuiltinFunction {"monthname", 1, 2, builtins::MonthName},
    BuiltinFunction {"msgbox", 1, 5, builtins::MsgBox},
    BuiltinFunction {"now", 0, 0, builtins::Now},
    BuiltinFunction {"oct", 1, 1, builtins::Oct},
    BuiltinFunction {"randomize", 0, 1, builtins::Randomize},
    BuiltinFunction {"replace", 3, 6, builtins::Replace},
    BuiltinFunction {"rgb", 3, 3, builtins::Rgb},
    BuiltinFunction {"right", 2, 2, builtins::Right},
    BuiltinFunction {"rightb", 2, 2, builtins::RightB},
    BuiltinFunction {"rnd", 0, 1, builtins::Rnd},
    BuiltinFunction {"round", 1, 2, builtins::Round},
    BuiltinFunction {"rtrim", 1, 1, builtins::RTrim},
    BuiltinFunction {"scriptengine", 0, 0, builtins::ScriptEngine},
    BuiltinFunction {"scriptenginebuildversion", 0, 0, builtins::ScriptEngineBuildVersion},
    BuiltinFunction {"scriptenginemajorversion", 0, 0, builtins::ScriptEngineMajorVersion},
    BuiltinFunction {"scriptengineminorversion", 0, 0, builtins::ScriptEngineMinorVersion},
    BuiltinFunction {"second", 1, 1, builtins::Second},
    BuiltinFunction {"setlocale", 0, 1, builtins::SetLocale},
    BuiltinFunction {"sgn", 1, 1, builtins::Sgn},
    BuiltinFunction {"sin", 1, 1, builtins::Sin},
    BuiltinFunction {"space", 1, 1, builtins::Space},
    BuiltinFunction {"split", 1, 4, builtins::Split},
    BuiltinFunction {"sqr", 1, 1, builtins::Sqr},
    BuiltinFunction {"stop", 0, 0, builtins::Stop},
    BuiltinFunction {"strcomp", 2, 3, builtins::StrComp},
    BuiltinFunction {"string", 2, 2, builtins::String},
    BuiltinFunction {"strreverse", 1, 1, builtins::StrReverse},
    BuiltinFunction {"tan", 1, 1, builtins::Tan},
    BuiltinFunction {"time", 0, 0, builtins::Time},
    BuiltinFunction {"timer", 0, 0, builtins::Timer},
    BuiltinFunction {"timeserial", 3, 3, builtins::TimeSerial},
    BuiltinFunction {"timevalue", 1, 1, builtins::TimeValue},
    BuiltinFunction {"trim", 1, 1, builtins::Trim},
    BuiltinFunction {"typename", 1, 1, builtins::TypeName},
    BuiltinFunction {"ubound", 1, 2, builtins::UBound},
    BuiltinFunction {"ucase", 1, 1, builtins::UCase},
    BuiltinFunction {"unescape", 1, 1, builtins::Unescape},
    BuiltinFunction {"vartype", 1, 1, builtins::VarType},
    BuiltinFunction {"weekday", 1, 2, builtins::Weekday},
    BuiltinFunction {"weekdayname", 1, 3, builtins::WeekdayName},
    BuiltinFunction {"year", 1, 1, builtins::Year},
};

static_assert(std::is_sorted(Builtins.begin(), Builtins.end(),
    [](const BuiltinFunction& a, const BuiltinFunction& b) { return a.name < b.name; }));

const std::unordered_map<std::string, Variant>& Constants()
{
    static const std::unordered_map<std::string, Variant> constants = [] {
        std::unordered_map<std::string, Variant> table;
        const auto text = [&](const char* name, std::string value) {
            table.emplace(name, Variant::FromString(std::move(value)));
        };
        const auto integer = [&](const char* name, int value) {
            table.emplace(name, Variant::FromInteger(static_cast<int16_t>(value)));
        };
        text("vbcrlf", "\r\n");
        text("vbnewline", "\r\n");
        text("vbcr", "\r");
        text("vblf", "\n");
        text("vbtab", "\t");
        text("vbformfeed", "\f");
        text("vbverticaltab", "\v");
        text("vbnullstring", "");
        text("vbnullchar", std::string(1, '\0'));
        integer("vbtrue", -1);
        integer("vbfalse", 0);
        integer("vbusedefault", -2);
        integer("vbbinarycompare", 0);
        integer("vbtextcompare", 1);
        integer("vbokonly", 0);
        integer("vbokcancel", 1);
        integer("vbabortretryignore", 2);
        integer("vbyesnocancel", 3);
        integer("vbyesno", 4);
        integer("vbretrycancel", 5);
        integer("vbcritical", 16);
        integer("vbquestion", 32);
        integer("vbexclamation", 48);
        integer("vbinformation", 64);
        integer("vbdefaultbutton1", 0);
        integer("vbdefaultbutton2", 256);
        integer("vbdefaultbutton3", 512);
        integer("vbdefaultbutton4", 768);
        integer("vbapplicationmodal", 0);
        integer("vbsystemmodal", 4096);
        integer("vbok", 1);
        integer("vbcancel", 2);
        integer("vbabort", 3);
        integer("vbretry", 4);
        integer("vbignore", 5);
        integer("vbyes", 6);
        integer("vbno", 7);
        integer("vbempty", 0);
        integer("vbnull", 1);
        integer("vbinteger", 2);
        integer("vblong", 3);
        integer("vbsingle", 4);
        integer("vbdouble", 5);
        integer("vbcurrency", 6);
        integer("vbdate", 7);
        integer("vbstring", 8);
        integer("vbobject", 9);
        integer("vberror", 10);
        integer("vbboolean", 11);
        integer("vbvariant", 12);
        integer("vbdataobject", 13);
        integer("vbbyte", 17);
        integer("vbarray", 8192);
        integer("vbusesystemdayofweek", 0);
        integer("vbsunday", 1);
        integer("vbmonday", 2);
        integer("vbtuesday", 3);
        integer("vbwednesday", 4);
        integer("vbthursday", 5);
        integer("vbfriday", 6);
        integer("vbsaturday", 7);
        integer("vbusesystem", 0);
        integer("vbfirstjan1", 1);
        integer("vbfirstfourdays", 2);
        integer("vbfirstfullweek", 3);
        integer("vbgeneraldate", 0);
        integer("vblongdate", 1);
        integer("vbshortdate", 2);
        integer("vblongtime", 3);
        integer("vbshorttime", 4);
        integer("vbdatabasecompare", 2);
        integer("vbmsgboxhelpbutton", 16384);
        integer("vbmsgboxsetforeground", 65536);
        integer("vbmsgboxright", 524288);
        integer("vbmsgboxrtlreading", 1048576);
        const auto colour
            = [&](const char* name, int32_t value) { table.emplace(name, Variant::FromLong(value)); };
        colour("vbblack", 0x000000);
        colour("vbred", 0x0000FF);
        colour("vbgreen", 0x00FF00);
        colour("vbyellow", 0x00FFFF);
        colour("vbblue", 0xFF0000);
        colour("vbmagenta", 0xFF00FF);
        colour("vbcyan", 0xFFFF00);
        colour("vbwhite", 0xFFFFFF);
        table.emplace("vbobjecterror", Variant::FromLong(-2147221504));
        return table;
    }();
    return constants;
}

const ScriptArray& ArrayArgument(const Variant& value)
{
    if (!value.IsArray())
        Raise(errc::TypeMismatch);
    return *value.AsArray();
}

Variant Bound(Args& args, bool upper)
{
    const ScriptArray& array = ArrayArgument(args[0]);
    const int32_t dimension = args.size() > 1 && !args[1].IsEmpty() ? ToLong(args[1]) : 1;
    if (array.DimensionCount() == 0 || dimension < 1
        || static_cast<size_t>(dimension) > array.DimensionCount())
        Raise(errc::SubscriptOutOfRange);
    return Variant::FromLong(upper ? array.UpperBound(static_cast<size_t>(dimension - 1)) : 0);
}

MessageButtons ButtonsOf(int32_t style)
{
    switch (style & 7) {
    case 1:
        return MessageButtons::OkCancel;
    case 2:
        return MessageButtons::AbortRetryIgnore;
    case 3:
        return MessageButtons::YesNoCancel;
    case 4:
        return MessageButtons::YesNo;
    case 5:
        return MessageButtons::RetryCancel;
    default:
        return MessageButtons::Ok;
    }
}

MessageIcon IconOf(int32_t style)
{
    switch (style & 0x70) {
    case 16:
        return MessageIcon::Critical;
    case 32:
        return MessageIcon::Question;
    case 48:
        return MessageIcon::Exclamation;
    case 64:
        return MessageIcon::Information;
    default:
        return MessageIcon::None;
    }
}

} // namespace

int FindBuiltin(std::string_view key)
{
    const auto it = std::lower_bound(Builtins.begin(), Builtins.end(), key,
        [](const BuiltinFunction& entry, std::string_view k) { return entry.name < k; });
    if (it != Builtins.end() && it->name == key)
        return static_cast<int>(it - Builtins.begin());
    return -1;
}

const BuiltinFunction& BuiltinAt(int index) { return Builtins[static_cast<size_t>(index)]; }

const Variant* FindBuiltinConstant(std::string_view key)
{
    const auto& constants = Constants();
    const auto it = constants.find(std::string(key));
    return it == constants.end() ? nullptr : &it->second;
}

namespace builtins {

Variant UBound(Interpreter&, Args& args) { return Bound(args, true); }

Variant LBound(Interpreter&, Args& args) { return Bound(args, false); }

Variant IsArray(Interpreter&, Args& args) { return Variant::FromBool(args[0].IsArray()); }

Variant IsEmpty(Interpreter&, Args& args) { return Variant::FromBool(args[0].IsEmpty()); }

Variant IsNull(Interpreter&, Args& args) { return Variant::FromBool(args[0].IsNull()); }

Variant IsObject(Interpreter&, Args& args) { return Variant::FromBool(args[0].IsObject()); }

Variant IsNumeric(Interpreter&, Args& args)
{
    const Variant& value = args[0];
    switch (value.Type()) {
    case VarType::Empty:
    case VarType::Boolean:
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency:
        return Variant::FromBool(true);
    case VarType::String:
        return Variant::FromBool(ParseNumber(value.AsString()).has_value());
    default:
        return Variant::FromBool(false);
    }
}

Variant Array(Interpreter&, Args& args)
{
    return Variant::FromArray(ScriptArray::FromElements(std::move(args)));
}

Variant TypeName(Interpreter&, Args& args)
{
    const Variant& value = args[0];
    switch (value.Type()) {
    case VarType::Empty:
        return Variant::FromString("Empty");
    case VarType::Null:
        return Variant::FromString("Null");
    case VarType::Integer:
        return Variant::FromString("Integer");
    case VarType::Long:
        return Variant::FromString("Long");
    case VarType::Byte:
        return Variant::FromString("Byte");
    case VarType::Single:
        return Variant::FromString("Single");
    case VarType::Currency:
        return Variant::FromString("Currency");
    case VarType::Double:
        return Variant::FromString("Double");
    case VarType::Date:
        return Variant::FromString("Date");
    case VarType::String:
        return Variant::FromString("String");
    case VarType::Boolean:
        return Variant::FromString("Boolean");
    case VarType::Object:
        return Variant::FromString(value.AsObject() ? value.AsObject()->TypeName() : "Nothing");
    case VarType::Array:
        return Variant::FromString("Variant()");
    default:
        return Variant::FromString("Unknown");
    }
}

Variant VarType(Interpreter&, Args& args)
{
    const script::VarType type = args[0].Type();
    const int32_t code = type == script::VarType::Array ? 8204 : static_cast<int32_t>(type);
    return Variant::FromInteger(static_cast<int16_t>(code));
}

Variant Timer(Interpreter&, Args&)
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local {};
    localtime_r(&seconds, &local);
    const auto sinceEpoch
        = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    const double fraction = static_cast<double>(sinceEpoch % 1000) / 1000.0;
    return Variant::FromSingle(
        static_cast<float>(local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction));
}

Variant MsgBox(Interpreter& interpreter, Args& args)
{
    MessageRequest request;
    request.text = ToString(args[0]);
    const int32_t style = args.size() > 1 && !args[1].IsEmpty() ? ToLong(args[1]) : 0;
    request.buttons = ButtonsOf(style);
    request.icon = IconOf(style);
    request.defaultButton = (style >> 8) & 3;
    // The Script Control's own caption for boxes a script shows.
    request.caption = args.size() > 2 && !args[2].IsEmpty() ? ToString(args[2]) : "VBScript";
    return Variant::FromInteger(static_cast<int16_t>(interpreter.ShowMessageBox(request)));
}

// InputBox(prompt[, title][, default][, xpos][, ypos][, helpfile, context]): the positions are
// twips, 15 to a pixel at the usual 96 dots an inch. There is no help to show: helpfile and
// context are left unused.
Variant InputBox(Interpreter& interpreter, Args& args)
{
    const auto given = [&](size_t index) { return args.size() > index && !args[index].IsEmpty(); };
    TextRequest request;
    request.prompt = ToString(args[0]);
    request.caption = given(1) ? ToString(args[1]) : "VBScript";
    request.defaultText = given(2) ? ToString(args[2]) : std::string();
    constexpr int32_t TwipsPerPixel = 15;
    if (given(3))
        request.left = ToLong(args[3]) / TwipsPerPixel;
    if (given(4))
        request.top = ToLong(args[4]) / TwipsPerPixel;
    std::optional<std::string> answer = interpreter.AskText(request);
    // Cancel answers Empty, which equals "": scripts tell it from an empty answer with IsEmpty.
    if (!answer)
        return {};
    return Variant::FromString(std::move(*answer));
}

Variant CreateObject(Interpreter& interpreter, Args& args)
{
    return Variant::FromObject(interpreter.CreateObject(ToString(args[0])));
}

// GetObject([pathname][, class]): of what Windows can answer, only a new object of a class
// (`GetObject("", class)`, as CreateObject makes it) exists here. There are no running instances
// to find (the pathname left out) and no objects kept in files or reached by monikers: 429.
Variant GetObject(Interpreter& interpreter, Args& args)
{
    const bool newObject
        = args.size() == 2 && args[0].IsString() && args[0].AsString().empty() && !args[1].IsEmpty();
    if (!newObject)
        Raise(errc::CannotCreateObject);
    return Variant::FromObject(interpreter.CreateObject(ToString(args[1])));
}

// Pictures are never loaded: every file reads as one that is not a picture.
Variant LoadPicture(Interpreter&, Args&) { Raise(errc::InvalidPicture); }

Variant Rnd(Interpreter& interpreter, Args& args)
{
    RandomSequence& random = interpreter.Random();
    if (args.empty() || args[0].IsEmpty())
        return Variant::FromSingle(random.Next());
    if (args[0].IsNull())
        Raise(errc::InvalidUseOfNull);
    const float number = ToSingle(args[0]);
    if (number < 0)
        return Variant::FromSingle(random.Restart(number));
    return Variant::FromSingle(number == 0 ? random.Last() : random.Next());
}

Variant Randomize(Interpreter& interpreter, Args& args)
{
    // Without a number the seed comes from the clock, as Timer reads it.
    Args none;
    const Variant seed = args.empty() || args[0].IsEmpty() ? Timer(interpreter, none) : args[0];
    interpreter.Random().Mix(ToDouble(seed));
    return {};
}

Variant Rgb(Interpreter&, Args& args)
{
    int32_t colour = 0;
    for (size_t i = 0; i < 3; ++i) {
        const int32_t part = ToLong(args[i]);
        if (part < 0)
            Raise(errc::InvalidProcedureCall);
        // Parts above 255 count as 255.
        colour |= std::min(part, 255) << (8 * i);
    }
    return Variant::FromLong(colour);
}

Variant ScriptEngine(Interpreter&, Args&) { return Variant::FromString("VBScript"); }

Variant ScriptEngineMajorVersion(Interpreter&, Args&) { return Variant::FromLong(5); }

Variant ScriptEngineMinorVersion(Interpreter&, Args&) { return Variant::FromLong(8); }

// The build of the 5.8 engine that Windows 7 shipped.
Variant ScriptEngineBuildVersion(Interpreter&, Args&) { return Variant::FromLong(16384); }

// Scripts always run under English (United States), whatever locale they ask for.
constexpr int32_t EnglishUnitedStates = 1033;

Variant GetLocale(Interpreter&, Args&) { return Variant::FromLong(EnglishUnitedStates); }

Variant SetLocale(Interpreter&, Args&) { return Variant::FromLong(EnglishUnitedStates); }

// Stops nowhere: there is no debugger to hand the script to.
Variant Stop(Interpreter&, Args&) { return {}; }

} // namespace builtins
} // namespace vortalux::script
