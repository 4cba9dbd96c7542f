' The numeric subtypes: Byte, Integer, Long, Single, Double and Currency, their conversions,
' the subtypes arithmetic gives, the text of each and the random numbers.
Option Explicit
Dim a, b, i, hello, ho

' ---- Subtype names and numbers ----
a = Array(Empty, Null, CInt(1), CLng(1), CSng(1), CDbl(1), CCur(1), CStr(1), Nothing, True, _
    CByte(1), Array())
b = Array("Empty", "Null", "Integer", "Long", "Single", "Double", "Currency", "String", "Nothing", _
    "Boolean", "Byte", "Variant()")
For i = 0 To UBound(a)
    Test.Same TypeName(a(i)), b(i), "TypeName " & i
Next
b = Array(0, 1, 2, 3, 4, 5, 6, 8, 9, 11, 17, 8204)
For i = 0 To UBound(a)
    Test.Same VarType(a(i)), CInt(b(i)), "VarType " & i
Next
Test.Same VarType(a), CInt(vbArray + vbVariant), "an array of Variants"

' ---- Literals ----
Test.Same &HFFFF, CInt(-1), "&HFFFF is an Integer"
Test.Same &HFFFF&, CLng(65535), "a trailing & makes a Long"
Test.Same &H8000, CInt(-32768), "&H8000 is the smallest Integer"
Test.Same &H10000, CLng(65536), "beyond 16 bits a Long"
Test.Same &HFFFFFFFF, CLng(-1), "32 bits wrap to a negative Long"
Test.Same &O177777, CInt(-1), "octal as hexadecimal"
Test.Same &O7&, CLng(7), "octal Long"
Test.Same 32768, CLng(32768), "a decimal beyond Integer is a Long"
Test.Same 2147483648, 2147483648.0, "beyond Long a Double"
hello = "y"
ho = "z"
Test.Same "x" &hello, "xy", "& before a name starting with h joins text"
Test.Same "x" &ho & &HA, "xz10", "and one starting with o"

' ---- Byte ----
Test.Same CByte(2.5), CByte(2), "CByte rounds half to even"
Test.Same CByte("255"), CByte(255), "CByte of text"
Test.Equal Test.Run("x = CByte(256)"), 6, "CByte above 255"
Test.Equal Test.Run("x = CByte(-1)"), 6, "CByte below 0"
Test.Equal Test.Run("x = CByte(Null)"), 94, "CByte of Null"
Test.Same CByte(200) + CByte(55), CByte(255), "Byte + Byte stays a Byte"
Test.Same CByte(200) + CByte(100), CInt(300), "and overflows to Integer"
Test.Same CByte(1) - CByte(2), CInt(-1), "a negative difference is an Integer"
Test.Same CByte(2) * 3, CInt(6), "Byte * Integer is an Integer"
Test.Same CByte(200) \ CByte(3), CByte(66), "Byte \ Byte"
Test.Same CByte(7) Mod CByte(4), CByte(3), "Byte Mod Byte"
Test.Same CByte(12) And CByte(10), CByte(8), "Byte And Byte"
Test.Same Not CByte(0), CByte(255), "Not of a Byte"
Test.Same -CByte(5), CInt(-5), "a negated Byte is an Integer"
Test.Same CByte(4) / CByte(2), 2.0, "/ gives a Double"

' ---- Single ----
Test.Same CSng(1.5) * CSng(2), CSng(3), "Single * Single"
Test.Same CSng(1) + 1, CSng(2), "Single + Integer is a Single"
Test.Same CSng(1) + CLng(1), 2.0, "Single + Long is a Double"
Test.Same CSng(1.5) * 2.5, 3.75, "Single * Double is a Double"
Test.Same CSng(1) / 4, CSng(0.25), "Single / Integer is a Single"
Test.Same CStr(CSng(1) / 3), "0.3333333", "a Single shows 7 digits"
Test.Same CStr(CSng(12345678)), "1.234568E+07", "and an exponent beyond them"
Test.Same CStr(CSng(0.1) + 0.2), "0.300000001490116", "a Single widens with its binary error"
Test.Equal Test.Run("x = CSng(1E+39)"), 6, "CSng beyond its range"
Test.Same Int(CSng(2.7)), CSng(2), "Int keeps a Single"
Test.Same Abs(CSng(-1.5)), CSng(1.5), "Abs keeps a Single"
Test.Check CByte(5) < CSng(5.5), "Byte against Single"

' ---- Currency ----
Test.Same CStr(CCur(1.23456)), "1.2346", "Currency keeps four decimals"
Test.Same CStr(CCur(0.00015)), "0.0002", "rounded half to even on the decimals shown"
Test.Same CStr(CCur(0.00025)), "0.0002", "half to even downwards"
Test.Same CStr(CCur(-12.5)), "-12.5", "negative Currency"
Test.Same CStr(CCur(123456789012.3456)), "123456789012.3456", "all 16 digits of a large amount"
Test.Same Round(1234567890123.4567, 3), 1234567890123.457, "Round keeps the digits of a large number"
Test.Same CStr(CCur(100)), "100", "no decimals when whole"
Test.Same CStr(CCur("922337203685477.5807")), "922337203685477.5807", "the largest Currency"
Test.Equal Test.Run("x = CCur(922337203685478)"), 6, "CCur beyond its range"
Test.Equal Test.Run("x = CCur(""922337203685477"") * 100"), 6, "Currency arithmetic overflows"
Test.Same CCur(1) + 1, CCur(2), "Currency + Integer is Currency"
Test.Same CCur(1.5) + 2.25, CCur(3.75), "Currency + Double is Currency"
Test.Same CCur(1.5) * 2, CCur(3), "Currency * Integer is Currency"
Test.Same CCur(1.5) * 2.5, 3.75, "Currency * Double is a Double"
Test.Same CCur(3) / 2, 1.5, "Currency / Integer is a Double"
Test.Same CCur(7) \ 2, CLng(3), "\ gives a Long"
Test.Same -CCur(2.5), CCur(-2.5), "negated Currency"
Test.Same Fix(CCur(-2.7)), CCur(-2), "Fix keeps Currency"
Test.Same Abs(CCur(-1.5)), CCur(1.5), "Abs keeps Currency"
Test.Same CLng(CCur(2.5)), CLng(2), "CLng of Currency rounds half to even"
Test.Same CLng(CCur(3.5)), CLng(4), "up as well"
Test.Check CCur(1.5) = 1.5, "Currency equals the Double"
Test.Check CCur("922337203685477.5807") > CCur("922337203685477.5806"), "Currency compares exactly"

' ---- Double text ----
a = Array(1E+20, 0.00001, 123456789012345, 1234567890123456, -0.5, 0.1 + 0.2, 0 * -1.5, 1.5E-10, 1E+15)
b = Array("1E+20", "1E-05", "123456789012345", "1.23456789012346E+15", "-0.5", "0.3", "0", _
    "1.5E-10", "1E+15")
For i = 0 To UBound(a)
    Test.Same CStr(a(i)), b(i), "CStr of " & b(i)
Next
Test.Same CDbl(CStr(0.5)), 0.5, "a number survives its text"
Test.Same CDbl("1D2"), 100.0, "the old D exponent"

' ---- Round ----
Test.Same Round(2.5), 2.0, "Round half to even down"
Test.Same Round(3.5), 4.0, "and up"
Test.Same Round(-2.5), -2.0, "negative half"
Test.Same Round(2.675, 2), 2.68, "decided on the decimal digits"
Test.Same Round(CSng(2.5)), CSng(2), "Round keeps a Single"
Test.Same Round(CCur(2.345), 2), CCur(2.34), "and Currency"
Test.Same Round(CByte(7)), CByte(7), "and a Byte"
Test.Same Round("2.5"), 2.0, "text rounds as a Double"
Test.Equal Test.Run("x = Round(1.5, -1)"), 5, "negative places"

' ---- Timer and Rnd ----
Test.Same VarType(Timer), vbSingle, "Timer is a Single"
a = Rnd
Test.Check Abs(a - 0.7055475) < 0.0000001, "the first number of a fresh script: " & a
Test.Same VarType(a), vbSingle, "Rnd gives a Single"
a = Rnd(-1)
Test.Check Abs(a - 0.224007) < 0.0000001, "Rnd of a negative number restarts from it: " & a
Test.Same Rnd(-1), a, "and repeats its value"
Test.Same Rnd(0), a, "Rnd 0 repeats the last number"
Test.Check Rnd <> a, "then the sequence goes on"
Rnd -1
Randomize 10
a = Rnd
Rnd -1
Randomize 10
Test.Same Rnd, a, "Rnd -1 then Randomize repeats a sequence"
Test.Check a >= 0 And a < 1, "Rnd lies in [0, 1)"
Test.Equal Test.Run("x = CCur(""1844674407370955.16159"")"), 6, "text beyond 64 bits"
Test.Same CCur(" -0.00005 "), CCur(0), "text rounds half to even too"
