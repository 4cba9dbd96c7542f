#pragma once

#include "Variant.h"

#include <vector>

// The built-in functions, grouped by the file that implements them. Each takes the evaluated
// arguments (a left-out one is Empty) after the host checked their number.
namespace vortalux::script {

class Interpreter;
using Args = std::vector<Variant>;

namespace builtins {

// StringFunctions.cpp
Variant Len(Interpreter&, Args& args);
Variant Left(Interpreter&, Args& args);
Variant Right(Interpreter&, Args& args);
Variant Mid(Interpreter&, Args& args);
Variant InStr(Interpreter&, Args& args);
Variant InStrRev(Interpreter&, Args& args);
Variant Replace(Interpreter&, Args& args);
Variant Split(Interpreter&, Args& args);
Variant Join(Interpreter&, Args& args);
Variant LCase(Interpreter&, Args& args);
Variant UCase(Interpreter&, Args& args);
Variant Trim(Interpreter&, Args& args);
Variant LTrim(Interpreter&, Args& args);
Variant RTrim(Interpreter&, Args& args);
Variant Space(Interpreter&, Args& args);
Variant String(Interpreter&, Args& args);
Variant StrComp(Interpreter&, Args& args);
Variant StrReverse(Interpreter&, Args& args);
Variant Chr(Interpreter&, Args& args);
Variant Asc(Interpreter&, Args& args);
Variant Escape(Interpreter&, Args& args);
Variant Filter(Interpreter&, Args& args);
Variant Unescape(Interpreter&, Args& args);

// ByteFunctions.cpp
Variant AscW(Interpreter&, Args& args);
Variant AscB(Interpreter&, Args& args);
Variant ChrW(Interpreter&, Args& args);
Variant ChrB(Interpreter&, Args& args);
Variant LenB(Interpreter&, Args& args);
Variant LeftB(Interpreter&, Args& args);
Variant RightB(Interpreter&, Args& args);
Variant MidB(Interpreter&, Args& args);
Variant InStrB(Interpreter&, Args& args);

// NumericFunctions.cpp
Variant CStr(Interpreter&, Args& args);
Variant CInt(Interpreter&, Args& args);
Variant CLng(Interpreter&, Args& args);
Variant CDbl(Interpreter&, Args& args);
Variant CByte(Interpreter&, Args& args);
Variant CSng(Interpreter&, Args& args);
Variant CCur(Interpreter&, Args& args);
Variant CBool(Interpreter&, Args& args);
Variant Int(Interpreter&, Args& args);
Variant Fix(Interpreter&, Args& args);
Variant Abs(Interpreter&, Args& args);
Variant Sgn(Interpreter&, Args& args);
Variant Sqr(Interpreter&, Args& args);
Variant Round(Interpreter&, Args& args);
Variant Hex(Interpreter&, Args& args);
Variant Oct(Interpreter&, Args& args);
Variant Atn(Interpreter&, Args& args);
Variant Cos(Interpreter&, Args& args);
Variant Sin(Interpreter&, Args& args);
Variant Tan(Interpreter&, Args& args);
Variant Exp(Interpreter&, Args& args);
Variant Log(Interpreter&, Args& args);

// FormatFunctions.cpp
Variant FormatNumber(Interpreter&, Args& args);
Variant FormatCurrency(Interpreter&, Args& args);
Variant FormatPercent(Interpreter&, Args& args);

// DateFunctions.cpp
Variant Now(Interpreter&, Args& args);
Variant Date(Interpreter&, Args& args);
Variant Time(Interpreter&, Args& args);
Variant CDate(Interpreter&, Args& args);
Variant IsDate(Interpreter&, Args& args);
Variant DateSerial(Interpreter&, Args& args);
Variant TimeSerial(Interpreter&, Args& args);
Variant DateValue(Interpreter&, Args& args);
Variant TimeValue(Interpreter&, Args& args);
Variant Year(Interpreter&, Args& args);
Variant Month(Interpreter&, Args& args);
Variant Day(Interpreter&, Args& args);
Variant Hour(Interpreter&, Args& args);
Variant Minute(Interpreter&, Args& args);
Variant Second(Interpreter&, Args& args);
Variant Weekday(Interpreter&, Args& args);
Variant WeekdayName(Interpreter&, Args& args);
Variant MonthName(Interpreter&, Args& args);
Variant FormatDateTime(Interpreter&, Args& args);
Variant DateAdd(Interpreter&, Args& args);
Variant DateDiff(Interpreter&, Args& args);
Variant DatePart(Interpreter&, Args& args);

// Builtins.cpp
Variant UBound(Interpreter&, Args& args);
Variant LBound(Interpreter&, Args& args);
Variant IsArray(Interpreter&, Args& args);
Variant IsEmpty(Interpreter&, Args& args);
Variant IsNull(Interpreter&, Args& args);
Variant IsObject(Interpreter&, Args& args);
Variant IsNumeric(Interpreter&, Args& args);
Variant Array(Interpreter&, Args& args);
Variant TypeName(Interpreter&, Args& args);
Variant VarType(Interpreter&, Args& args);
Variant Timer(Interpreter&, Args& args);
Variant MsgBox(Interpreter&, Args& args);
Variant InputBox(Interpreter&, Args& args);
Variant GetObject(Interpreter&, Args& args);
Variant LoadPicture(Interpreter&, Args& args);
Variant CreateObject(Interpreter&, Args& args);
Variant Rnd(Interpreter&, Args& args);
Variant Randomize(Interpreter&, Args& args);
Variant Rgb(Interpreter&, Args& args);
Variant ScriptEngine(Interpreter&, Args& args);
Variant ScriptEngineMajorVersion(Interpreter&, Args& args);
Variant ScriptEngineMinorVersion(Interpreter&, Args& args);
Variant ScriptEngineBuildVersion(Interpreter&, Args& args);
Variant GetLocale(Interpreter&, Args& args);
Variant SetLocale(Interpreter&, Args& args);
Variant Stop(Interpreter&, Args& args);

// CodeFunctions.cpp
Variant Eval(Interpreter&, Args& args);
Variant Execute(Interpreter&, Args& args);
Variant ExecuteGlobal(Interpreter&, Args& args);
Variant GetRef(Interpreter&, Args& args);

} // namespace builtins
} // namespace vortalux::script
