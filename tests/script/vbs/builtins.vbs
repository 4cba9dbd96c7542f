' The built-in functions and constants.
Option Explicit
Dim a, b, s, e, i

' ---- Text ----
Test.Same Len("hello"), CLng(5), "Len"
Test.Same Len(12345), CLng(5), "Len of a number"
Test.Check IsNull(Len(Null)), "Len of Null"
Test.Same Left("hello", 2), "he", "Left"
Test.Same Left("hi", 10), "hi", "Left beyond the end"
Test.Same Right("hello", 3), "llo", "Right"
Test.Same Mid("hello", 2, 3), "ell", "Mid"
Test.Same Mid("hello", 4), "lo", "Mid to the end"
Test.Same Mid("hello", 9), "", "Mid past the end"
Test.Equal Test.Run("x = Mid(""abc"", 0)"), 5, "Mid from 0"
Test.Equal Test.Run("x = Left(""abc"", -1)"), 5, "Left of a negative count"
Test.Same InStr("hello", "l"), CLng(3), "InStr"
Test.Same InStr(4, "hello", "l"), CLng(4), "InStr from a start"
Test.Same InStr("hello", "z"), CLng(0), "InStr not found"
Test.Same InStr("hello", ""), CLng(1), "InStr of empty text"
Test.Same InStr(1, "HELLO", "ll", vbTextCompare), CLng(3), "InStr ignoring case"
Test.Same InStr(1, "HELLO", "ll", vbBinaryCompare), CLng(0), "InStr binary"
Test.Same InStr(10, "hello", "l"), CLng(0), "InStr starting past the end"
Test.Check IsNull(InStr(Null, "a")), "InStr of Null"
Test.Same InStrRev("a/b/c", "/"), CLng(4), "InStrRev"
Test.Same InStrRev("a/b/c", "/", 3), CLng(2), "InStrRev from a start"
Test.Same InStrRev("abc", "z"), CLng(0), "InStrRev not found"
Test.Same Replace("a-b-c", "-", "+"), "a+b+c", "Replace"
Test.Same Replace("a-b-c", "-", "", 1, 1), "ab-c", "Replace with a count"
Test.Same Replace("a-b-c", "-", "+", 3), "b+c", "Replace from a start keeps only the rest"
Test.Same Replace("ABC", "b", "x", 1, -1, vbTextCompare), "AxC", "Replace ignoring case"
Test.Same Replace("abc", "", "x"), "abc", "Replace of empty text"
a = Split("a,b,,c", ",")
Test.Same UBound(a), CLng(3), "Split"
Test.Same a(2), "", "Split keeps empty parts"
Test.Same UBound(Split("")), CLng(-1), "Split of empty text is an empty array"
Test.Same UBound(Split("a b c")), CLng(2), "Split on blanks by default"
Test.Same UBound(Split("a,b,c", ",", 2)), CLng(1), "Split with a count"
Test.Same Split("a,b,c", ",", 2)(1), "b,c", "the last part keeps the rest"
Test.Same Join(Array("a", "b", "c"), "-"), "a-b-c", "Join"
Test.Same Join(Array(1, 2)), "1 2", "Join with a blank by default"
Test.Same Join(Array()), "", "Join of an empty array"
Test.Same LCase("AbC"), "abc", "LCase"
Test.Same UCase("AbC"), "ABC", "UCase"
Test.Same Trim("  a b  "), "a b", "Trim"
Test.Same LTrim("  a "), "a ", "LTrim"
Test.Same RTrim("  a "), "  a", "RTrim"
Test.Same Space(3), "   ", "Space"
Test.Same String(3, "xy"), "xxx", "String with text"
Test.Same String(2, 65), "AA", "String with a code"
Test.Same StrComp("a", "b"), CInt(-1), "StrComp less"
Test.Same StrComp("b", "a"), CInt(1), "StrComp greater"
Test.Same StrComp("A", "a", vbTextCompare), CInt(0), "StrComp ignoring case"
Test.Same Chr(65), "A", "Chr"
Test.Same Asc("A"), CInt(65), "Asc"
Test.Same Asc(Chr(200)), CInt(200), "bytes above 127"
Test.Equal Test.Run("x = Chr(256)"), 5, "Chr out of range"
Test.Equal Test.Run("x = Asc("""")"), 5, "Asc of empty text"
Test.Same Escape("a b&c/d.e"), "a%20b%26c/d.e", "Escape"
Test.Same Unescape("a%20b%26c%u0041%zz"), "a b&cA%zz", "Unescape"
Test.Same StrReverse("abc"), "cba", "StrReverse"

' ---- Numbers ----
Test.Same Int(2.7), CDbl(2), "Int"
Test.Same Int(-2.5), CDbl(-3), "Int rounds down"
Test.Same Fix(-2.5), CDbl(-2), "Fix truncates"
Test.Same Int(7), CInt(7), "Int keeps Integer"
Test.Same Abs(-3), CInt(3), "Abs"
Test.Same Abs(-2.5), CDbl(2.5), "Abs of Double"
Test.Same Round(2.5), CDbl(2), "Round half to even"
Test.Same Round(3.5), CDbl(4), "Round 3.5"
Test.Same Round(1.2345, 2), CDbl(1.23), "Round to places"
Test.Same Round(2.675, 2), CDbl(2.68), "Round by the digits shown"
Test.Same Hex(255), "FF", "Hex"
Test.Same Hex(-1), "FFFF", "Hex of an Integer"
Test.Same Hex(CLng(-1)), "FFFFFFFF", "Hex of a Long"
Test.Same Hex(65536), "10000", "Hex of a larger number"
Test.Same Sgn(-5), CInt(-1), "Sgn"

' ---- Arrays and types ----
a = Array()
Test.Same UBound(a), CLng(-1), "empty Array"
Test.Same LBound(Array(1, 2)), CLng(0), "LBound"
Test.Equal Test.Run("Dim d()" & vbCrLf & "x = UBound(d)"), 9, "UBound of an unsized array"
Test.Equal Test.Run("x = UBound(Array(1), 2)"), 9, "UBound of a missing dimension"
Test.Equal Test.Run("x = UBound(5)"), 13, "UBound of no array"
Test.Check IsArray(Array(1)), "IsArray"
Test.Check Not IsArray("a"), "IsArray of text"
Test.Check IsEmpty(e), "IsEmpty"
Test.Check Not IsEmpty(""), "empty text is not Empty"
Test.Check IsNull(Null), "IsNull"
Test.Check IsObject(Nothing), "IsObject of Nothing"
Test.Check Not IsObject(1), "IsObject of a number"
Test.Check IsNumeric("1.5"), "IsNumeric of numeric text"
Test.Check IsNumeric(" -3 "), "IsNumeric with sign and blanks"
Test.Check Not IsNumeric("1a"), "IsNumeric of mixed text"
Test.Check Not IsNumeric(""), "IsNumeric of empty text"
Test.Check IsNumeric(e), "IsNumeric of Empty"
Test.Check Not IsNumeric(Null), "IsNumeric of Null"
Test.Same TypeName(e), "Empty", "TypeName Empty"
Test.Same TypeName(Null), "Null", "TypeName Null"
Test.Same TypeName(True), "Boolean", "TypeName Boolean"
Test.Same TypeName(CLng(1)), "Long", "TypeName Long"
Test.Same TypeName(Nothing), "Nothing", "TypeName Nothing"
Test.Same TypeName(Array()), "Variant()", "TypeName of an array"
Test.Same TypeName(Now), "Date", "TypeName of Now"
Test.Same VarType("a"), vbString, "VarType String"
Test.Same VarType(Array()), vbArray + vbVariant, "VarType of an array"
Test.Same VarType(Nothing), vbObject, "VarType Nothing"
Test.Same VarType(1.5), vbDouble, "VarType Double"

' ---- Constants ----
Test.Same vbCrLf, Chr(13) & Chr(10), "vbCrLf"
Test.Same vbTab, Chr(9), "vbTab"
Test.Same vbNullString, "", "vbNullString"
Test.Same vbTrue, CInt(-1), "vbTrue"
Test.Same vbOK + vbCancel + vbYes + vbNo, CInt(16), "answers"
Test.Same vbOKOnly + vbOKCancel + vbYesNo, CInt(5), "buttons"
Test.Same vbCritical + vbQuestion + vbExclamation + vbInformation, CInt(160), "icons"
Test.Same vbLong + vbInteger + vbBoolean + vbEmpty + vbNull, CInt(17), "type codes"

' ---- Time ----
Test.Check Timer >= 0 And Timer < 86400, "Timer counts seconds since midnight"
Test.Check Now > 40000, "Now is a date after 2009"
Test.Check Len(CStr(Now)) > 8, "Now as text"

' ---- Random numbers ----
Randomize 7
Test.Check Rnd <> Rnd, "successive numbers differ"
Test.Same ChrW(66), "B", "ChrW"
Test.Same AscW("B"), CInt(66), "AscW"

' ---- Mathematics ----
Test.Same CStr(4 * Atn(1)), "3.14159265358979", "Atn"
Test.Same Cos(0), 1.0, "Cos"
Test.Same Sin(0), 0.0, "Sin"
Test.Same Tan(0), 0.0, "Tan"
Test.Same CStr(Exp(1)), "2.71828182845905", "Exp"
Test.Same Log(Exp(2)), 2.0, "Log"
Test.Same VarType(Cos(CSng(0))), vbDouble, "the functions give Doubles"
Test.Check IsNull(Sin(Null)) And IsNull(Log(Null)), "Null gives Null"
Test.Equal Test.Run("x = Log(0)"), 5, "Log of 0"
Test.Equal Test.Run("x = Log(-1)"), 5, "Log of a negative number"
Test.Equal Test.Run("x = Exp(710)"), 6, "Exp overflows"

' ---- RGB and Filter ----
Test.Same RGB(255, 0, 0), vbRed, "RGB red"
Test.Same RGB(0, 0, 255), CLng(16711680), "RGB blue"
Test.Same RGB(300, 128, 0), CLng(33023), "parts above 255 count as 255"
Test.Equal Test.Run("x = RGB(-1, 0, 0)"), 5, "a negative part"
a = Array("Sunday", "Monday", "Tuesday")
Test.Same Join(Filter(a, "Mon"), ","), "Monday", "Filter (reference)"
Test.Same Join(Filter(a, "Mon", False), ","), "Sunday,Tuesday", "Filter excluding"
Test.Same UBound(Filter(a, "x")), CLng(-1), "nothing kept is an empty array"
Test.Same Join(Filter(Array("ABC", "abc", 5), "b", True, vbTextCompare), ","), "ABC,abc", "ignoring case"
Test.Same Join(Filter(Array("ABC", "abc"), "b"), ","), "abc", "binary compare by default"
Test.Equal Test.Run("x = Filter(5, ""a"")"), 13, "Filter of a non-array"
Test.Equal Test.Run("x = Filter(Null, ""a"")"), 94, "Filter of Null"

' ---- Engine and locale ----
Test.Same ScriptEngine, "VBScript", "ScriptEngine"
Test.Same ScriptEngineMajorVersion & "." & ScriptEngineMinorVersion, "5.8", "the version"
Test.Check ScriptEngineBuildVersion > 0, "a build number"
Test.Same GetLocale, CLng(1033), "English (United States)"
Test.Same SetLocale(1031), CLng(1033), "SetLocale answers the locale in force"
Test.Same GetLocale, CLng(1033), "which stays"
Stop
Test.Check True, "Stop does nothing"

' ---- Constants ----
a = Array(vbSunday, vbMonday, vbSaturday, vbUseSystemDayOfWeek, vbFirstJan1, vbFirstFourDays, _
    vbFirstFullWeek, vbGeneralDate, vbLongDate, vbShortTime, vbBinaryCompare, vbTextCompare, _
    vbDatabaseCompare, vbBlack, vbGreen, vbYellow, vbMagenta, vbCyan, vbWhite, vbOKCancel, vbYesNo, _
    vbCritical, vbInformation, vbDefaultButton2, vbYes, vbNo, vbByte, vbCurrency, vbDate, vbArray)
b = Array(1, 2, 7, 0, 1, 2, 3, 0, 1, 4, 0, 1, 2, 0, 65280, 65535, 16711935, 16776960, 16777215, 1, 4, _
    16, 64, 256, 6, 7, 17, 6, 7, 8192)
For i = 0 To UBound(a)
    Test.Equal a(i), b(i), "constant " & i
Next
Test.Same vbCrLf, Chr(13) & Chr(10), "vbCrLf"

' ---- Null arguments ----
' Where the reference says a function gives Null for a Null argument, it does; where Null cannot
' stand for the value (a count, a character code, a conversion) it is 94 "Invalid use of Null".
Dim code
For Each code In Array("Len(Null)", "Left(Null, 1)", "Right(Null, 1)", "Mid(Null, 1)", "LCase(Null)", _
    "UCase(Null)", "Trim(Null)", "LTrim(Null)", "String(Null, ""a"")", "String(2, Null)", "Hex(Null)", _
    "Oct(Null)", "Int(Null)", "Fix(Null)", "Abs(Null)", "Year(Null)", "Hour(Null)", "TimeValue(Null)", _
    "InStr(Null, ""a"")", "InStrRev(""a"", Null)", "Replace(Null, ""a"", ""b"")", "StrComp(""a"", Null)")
    Test.Same Eval(code), Null, code
Next
For Each code In Array("Left(""abc"", Null)", "Mid(""abc"", 1, Null)", "Chr(Null)", "ChrW(Null)", _
    "Asc(Null)", "AscW(Null)", "Space(Null)", "CInt(Null)", "CLng(Null)", "CStr(Null)", "CBool(Null)", _
    "CDbl(Null)", "CByte(Null)", "CDate(Null)", "CSng(Null)", "CCur(Null)", "StrReverse(Null)", _
    "Split(Null)", "InStr(Null, ""a"", ""b"")", "MonthName(Null)")
    Test.Equal Test.Run("x = " & code), 94, code
    Test.Same Test.Description, "Invalid use of Null", code & " text"
Next

' ---- GetObject and LoadPicture ----
' Only a new object of a class can be had; running instances and files cannot (429). No picture
' is ever loaded (481).
Dim made
Set made = GetObject("", "Test.Recorder")
Test.Same TypeName(made), "Recorder", "GetObject("""", class) makes a new object"
Test.Check Not (made Is GetObject("", "Test.Recorder")), "a new one each time"
For Each code In Array("GetObject(, ""Test.Recorder"")", "GetObject(""C:\report.doc"")", _
    "GetObject(""C:\report.doc"", ""Test.Recorder"")", "GetObject(""winmgmts:\\.\root\cimv2"")", _
    "GetObject("""", ""No.Such"")", "GetObject()", "GetObject("""")")
    Test.Same Test.Run("Set x = " & code) & " " & Test.Description, "429 ActiveX component can't create object", code
Next
For Each code In Array("LoadPicture(""picture.bmp"")", "LoadPicture("""")", "LoadPicture(5)")
    Test.Same Test.Run("Set x = " & code) & " " & Test.Description, "481 Invalid picture", code
Next
Test.Equal Test.Run("Set x = LoadPicture()"), 450, "LoadPicture needs its file"
