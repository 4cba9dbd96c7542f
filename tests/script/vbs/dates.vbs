' The Date subtype and the date functions, in the forms of English (United States). The
' reference's own examples are marked "(reference)".
Option Explicit
Dim d, a, b, i

' ---- Literals, text and arithmetic ----
d = #1/5/2020 1:05:09 PM#
Test.Same VarType(d), vbDate, "a date literal is a Date"
Test.Same TypeName(d), "Date", "TypeName of a date"
Test.Same CStr(d), "1/5/2020 1:05:09 PM", "date and time"
Test.Same CStr(#1/5/2020#), "1/5/2020", "midnight shows the date alone"
Test.Same CStr(#13:05#), "1:05:00 PM", "day zero shows the time alone"
Test.Same CStr(CDate(0)), "12:00:00 AM", "day zero at midnight"
Test.Same CStr(CDate(-1.25)), "12/29/1899 6:00:00 AM", "before day zero the time runs forward"
Test.Same CStr(#2020-01-05#), "1/5/2020", "year first"
Test.Same CDbl(#1/1/2000#), 36526.0, "days since 12/30/1899"
Test.Same #1/31/2020# + 1, #2/1/2020#, "a date plus days is a date"
Test.Same #1/1/2020# - 1, #12/31/2019#, "a date minus days is a date"
Test.Same #3/1/2020# - #2/1/2020#, 29.0, "the difference of two dates is a Double"
Test.Same #1/1/2020# + 0.5, #1/1/2020 12:00 PM#, "a fraction is a time"
Test.Check #1/1/2020# < #1/2/2020#, "dates compare"
Test.Check #1/1/2020# = CDate("January 1, 2020"), "a literal equals the same date read from text"
Test.Equal Test.Run("x = #2/30/2020#"), 1002, "an impossible date literal"
Test.Equal Test.Run("Const c = #1/1/2020#" & vbCrLf & "If c + 1 <> #1/2/2020# Then Err.Raise 1"), 0, "a date constant"
Test.Equal Test.Run("Dim x(#1/1/2020#)"), 1026, "a date is no array bound"
Test.Equal Test.Run("x = #12/31/9999# + 1"), 6, "past the last date"

' ---- Before day zero and at the ends of the range ----
' Arithmetic works on the number: -1 (12/29/1899) + 0.25 is -0.75, 6 PM of day zero.
a = Array(CStr(CDate(-1.5)), CStr(DateAdd("h", -30, #12/31/1899#)), CStr(CDbl(#12/29/1899 6:00 PM#)), _
    Hour(CDate(-1.75)), DateDiff("d", #12/29/1899#, #12/31/1899#), CStr(CDate(0.99999999)), _
    CStr(#1/1/100#), CStr(#12/31/9999 11:59:59 PM#), Weekday(#1/1/100#), CStr(DateSerial(1899, 12, 29) + 0.25))
b = Array("12/29/1899 12:00:00 PM", "12/29/1899 6:00:00 PM", "-1.75", 18, 2, "12/31/1899", _
    "1/1/100", "12/31/9999 11:59:59 PM", 6, "6:00:00 PM")
For i = 0 To UBound(a)
    Test.Equal a(i), b(i), "edge " & i
Next
Test.Equal Test.Run("x = #1/1/99# - 1"), 0, "a two-digit year in a literal is 1999"
Test.Equal Test.Run("x = CDate(-657435)"), 6, "before 1 January 100"

' ---- Reading dates ----
Test.Same CDate("Jan 2020"), #1/1/2020#, "a month and a year"
Test.Same CDate("2020/1/5"), #1/5/2020#, "year first with slashes"
Test.Same CDate("12:00 PM"), #12:00:00 PM#, "12 PM is noon"
Test.Same Year(CDate("5 January")), Year(Date), "a day and a month are in this year"
Test.Check Not IsDate("1/5/2020 13:05 PM"), "an hour past 12 with PM"
Test.Check Not IsDate("1/2/3/4"), "four numbers"
Test.Same IsDate("2/29"), Day(DateSerial(Year(Date), 3, 0)) = 29, "February 29 without a year: in leap years only"
a = Array("October 19, 1962", "19-Oct-1962", "10/19/1962", "10-19-62", "1962-10-19", "19/10/1962", _
    "Friday, October 19, 1962", "oct 19 1962")
For i = 0 To UBound(a)
    Test.Same CDate(a(i)), #10/19/1962#, "CDate of " & a(i)
Next
Test.Same CDate("4:35:47 PM"), #4:35:47 PM#, "CDate of a time (reference)"
Test.Same CDate("1/5/2020 16:35"), #1/5/2020 4:35:00 PM#, "a 24-hour time"
Test.Same CDate("1 PM"), #13:00#, "an hour with PM"
Test.Same CDate("12:30 AM"), #0:30#, "12 AM is midnight"
Test.Same Year(CDate("1/1/29")), CInt(2029), "two-digit years up to 29 are 20xx"
Test.Same Year(CDate("1/1/30")), CInt(1930), "and from 30 19xx"
Test.Same CDate(36526), #1/1/2000#, "CDate of a number"
a = Array("2/30/2020", "hello", "25:00", "1/1/2020 10:61", "13/13/2020", "1.5", "")
For i = 0 To UBound(a)
    Test.Check Not IsDate(a(i)), "not a date: " & a(i)
Next
Test.Check IsDate("1/1/2020") And IsDate(#1/1/2020#) And IsDate("10:30 PM"), "IsDate of dates"
Test.Check Not IsDate(5) And Not IsDate(Null), "IsDate of a number or Null"
Test.Equal Test.Run("x = CDate(""hello"")"), 13, "CDate of text that is no date"
Test.Equal Test.Run("x = CDate(Null)"), 94, "CDate of Null"
Test.Equal Test.Run("x = CDate(1E+10)"), 6, "CDate beyond the dates"

' ---- Parts ----
d = #10/19/1962 4:35:17 PM#
Test.Same Weekday(d), CInt(6), "a Friday (reference)"
a = Array(Year(d), Month(d), Day(d), Hour(d), Minute(d), Second(d))
b = Array(1962, 10, 19, 16, 35, 17)
For i = 0 To UBound(a)
    Test.Same a(i), CInt(b(i)), "part " & i
Next
Test.Same Weekday(d, vbMonday), CInt(5), "Friday counted from Monday"
Test.Check IsNull(Year(Null)) And IsNull(Weekday(Null)), "parts of Null"
Test.Same Year("October 19, 1962"), CInt(1962), "parts of date text"
Test.Same DateValue("September 11, 1963"), #9/11/1963#, "DateValue (reference)"
Test.Same TimeValue("4:35:17 PM"), #4:35:17 PM#, "TimeValue (reference)"
Test.Same DateValue(d), #10/19/1962#, "DateValue drops the time"
Test.Same TimeValue(d), #4:35:17 PM#, "TimeValue drops the date"
Test.Same MonthName(10), "October", "MonthName"
Test.Same MonthName(10, True), "Oct", "abbreviated"
Test.Same WeekdayName(6), "Friday", "WeekdayName"
Test.Same WeekdayName(6, True), "Fri", "abbreviated"
Test.Same WeekdayName(1, False, vbMonday), "Monday", "counted from Monday"
Test.Equal Test.Run("x = MonthName(13)"), 5, "MonthName out of range"
Test.Equal Test.Run("x = WeekdayName(0)"), 5, "WeekdayName out of range"
Test.Equal Test.Run("x = Weekday(Now, 8)"), 5, "a first day past Saturday"

' ---- DateSerial and TimeSerial ----
Test.Same DateSerial(1970, 1, 1), #1/1/1970#, "DateSerial (reference)"
Test.Same DateSerial(1990 - 10, 8 - 2, 1 - 1), #5/31/1980#, "a day 0 rolls back (reference)"
Test.Same DateSerial(2020, 13, 1), #1/1/2021#, "month 13 rolls into the next year"
Test.Same DateSerial(2020, 3, 0), #2/29/2020#, "the last day of February in a leap year"
Test.Same DateSerial(2020, 1, -1), #12/30/2019#, "negative days"
Test.Same DateSerial(99, 1, 1), #1/1/1999#, "years 0 to 99 are 1900 to 1999 (reference)"
Test.Equal Test.Run("x = DateSerial(10000, 1, 1)"), 5, "a year past 9999"
Test.Same TimeSerial(12 - 6, -15, 0), #5:45:00 AM#, "minutes roll back (reference)"
Test.Same TimeSerial(0, 90, 30), #1:30:30 AM#, "minutes roll into hours"
Test.Same VarType(TimeSerial(1, 0, 0)), vbDate, "TimeSerial gives a Date"

' ---- DateAdd ----
Test.Same DateAdd("m", 1, "31-Jan-95"), #2/28/1995#, "to the end of a shorter month (reference)"
a = Array(DateAdd("yyyy", 1, #2/29/2020#), DateAdd("q", 1, #1/15/2020#), DateAdd("d", -1, #1/1/2020#), _
    DateAdd("ww", 2, #1/1/2020#), DateAdd("h", 25, #1/1/2020#), DateAdd("n", -1, #1/1/2020#), _
    DateAdd("s", 86400, #1/1/2020 6:00#), DateAdd("y", 1, #12/31/2019#), DateAdd("w", 3, #1/1/2020#))
b = Array(#2/28/2021#, #4/15/2020#, #12/31/2019#, #1/15/2020#, #1/2/2020 1:00#, #12/31/2019 11:59 PM#, _
    #1/2/2020 6:00#, #1/1/2020#, #1/4/2020#)
For i = 0 To UBound(a)
    Test.Same a(i), b(i), "DateAdd " & i
Next
Test.Check IsNull(DateAdd("d", 1, Null)), "DateAdd to Null"
Test.Equal Test.Run("x = DateAdd(""x"", 1, Now)"), 5, "an unknown interval"
Test.Equal Test.Run("x = DateAdd(""yyyy"", 8000, Now)"), 5, "past the last date"

' ---- DateDiff ----
a = Array(DateDiff("d", #1/1/2020#, #3/1/2020#), DateDiff("yyyy", #12/31/2019#, #1/1/2020#), _
    DateDiff("m", #1/31/2020#, #2/1/2020#), DateDiff("q", #3/31/2020#, #4/1/2020#), _
    DateDiff("ww", #1/4/2020#, #1/5/2020#), DateDiff("w", #1/4/2020#, #1/10/2020#), _
    DateDiff("w", #1/4/2020#, #1/11/2020#), DateDiff("h", #1/1/2020 11:59:59 PM#, #1/2/2020#), _
    DateDiff("n", #1/1/2020 10:00#, #1/1/2020 9:00#), DateDiff("s", #1/1/2020#, #1/1/2020 0:01:05#), _
    DateDiff("d", #1/2/2020#, #1/1/2020 11:00 PM#), DateDiff("ww", #1/5/2020#, #1/6/2020#, vbMonday))
b = Array(60, 1, 1, 1, 1, 0, 1, 1, -60, 65, -1, 1)
For i = 0 To UBound(a)
    Test.Same a(i), CLng(b(i)), "DateDiff " & i
Next
Test.Check IsNull(DateDiff("d", Null, Now)), "DateDiff with Null"

' ---- DatePart ----
a = Array(DatePart("q", #10/19/1962#), DatePart("y", #2/1/2020#), DatePart("w", #1/5/2020#), _
    DatePart("ww", #1/1/2021#), DatePart("ww", #1/3/2021#), _
    DatePart("ww", #1/1/2021#, vbMonday, vbFirstFourDays), DatePart("ww", #1/4/2021#, vbMonday, vbFirstFourDays), _
    DatePart("ww", #1/2/2021#, vbSunday, vbFirstFullWeek), DatePart("ww", #1/3/2021#, vbSunday, vbFirstFullWeek), _
    DatePart("h", #1:05:09 PM#), DatePart("yyyy", "1/1/2020"))
b = Array(4, 32, 1, 1, 2, 53, 1, 52, 1, 13, 2020)
For i = 0 To UBound(a)
    Test.Same a(i), CInt(b(i)), "DatePart " & i
Next
Test.Equal Test.Run("x = DatePart(""ww"", Now, 1, 4)"), 5, "an unknown first-week rule"

' ---- FormatDateTime ----
d = #1/5/2020 1:05:09 PM#
a = Array(FormatDateTime(d), FormatDateTime(d, vbLongDate), FormatDateTime(d, vbShortDate), _
    FormatDateTime(d, vbLongTime), FormatDateTime(d, vbShortTime), FormatDateTime("7/4/1999"))
b = Array("1/5/2020 1:05:09 PM", "Sunday, January 5, 2020", "1/5/2020", "1:05:09 PM", "13:05", "7/4/1999")
For i = 0 To UBound(a)
    Test.Same a(i), b(i), "FormatDateTime " & i
Next
Test.Equal Test.Run("x = FormatDateTime(Now, 5)"), 5, "an unknown format"

' ---- Now, Date and Time ----
Test.Check VarType(Now) = vbDate And VarType(Date) = vbDate And VarType(Time) = vbDate, "clock subtypes"
Test.Check Date = Fix(Date) And Time < 1 And Time >= 0, "Date has no time, Time no date"
Test.Check Year(Now) >= 2024, "the clock is read"
