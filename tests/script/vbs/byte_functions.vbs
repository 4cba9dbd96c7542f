' AscW, ChrW and the byte functions see each character as the UTF-16 code unit Windows holds for
' it (two bytes, low byte first); our characters are Windows-1252 bytes.
Dim row, code

' Each row: an expression, its value. Values and subtypes as Windows gives them for such text.
For Each row In Array( _
    Array("LenB(""ab"")", CLng(4)), Array("LenB("""")", CLng(0)), Array("LenB(12)", CLng(4)), _
    Array("LenB(Null)", Null), _
    Array("AscW(""A"")", CInt(65)), Array("AscW(Chr(128))", CInt(8364)), Array("AscW(Chr(159))", CInt(376)), _
    Array("AscW(Chr(129))", CInt(129)), Array("AscW(Chr(233))", CInt(233)), _
    Array("AscB(""A"")", CInt(65)), Array("AscB(Chr(128))", CInt(172)), _
    Array("ChrW(65)", "A"), Array("ChrW(8364)", Chr(128)), Array("ChrW(376)", Chr(159)), _
    Array("ChrW(233)", Chr(233)), Array("ChrW(&H4E2D)", "?"), Array("ChrW(128)", "?"), Array("ChrW(-1)", "?"), _
    Array("ChrW(-32768)", "?"), Array("ChrB(65)", "A"), Array("ChrB(200)", Chr(200)), _
    Array("LeftB(""abc"", 2)", "a"), Array("LeftB(""abc"", 3)", "ab"), Array("LeftB(""abc"", 0)", ""), _
    Array("LeftB(""abc"", 100)", "abc"), Array("LeftB(Null, 1)", Null), _
    Array("RightB(""abc"", 2)", "c"), Array("RightB(""abc"", 3)", "?" & vbNullChar), _
    Array("RightB(""abc"", 9)", "abc"), Array("RightB(Null, 1)", Null), _
    Array("MidB(""abcd"", 3, 2)", "b"), Array("MidB(""abcd"", 3)", "bcd"), Array("MidB(""abcd"", 9)", ""), _
    Array("MidB(""abcd"", 2, 2)", "?"), Array("MidB(""abcd"", 7, 100)", "d"), Array("MidB(Null, 1)", Null), _
    Array("MidB(Chr(128), 2, 1)", Chr(&H20)), _
    Array("InStrB(""abcb"", ""b"")", CLng(3)), Array("InStrB(4, ""abcb"", ""b"")", CLng(7)), _
    Array("InStrB(""abc"", """")", CLng(1)), Array("InStrB(""abc"", ""x"")", CLng(0)), _
    Array("InStrB(9, ""abc"", ""a"")", CLng(0)), Array("InStrB(1, ""ABC"", ""b"", 1)", CLng(3)), _
    Array("InStrB(1, ""ABC"", ""b"", 0)", CLng(0)), Array("InStrB(Null, ""a"")", Null), _
    Array("InStrB(""a"", Null)", Null))
    Test.Same Eval(row(0)), row(1), row(0)
Next

' Each row: an expression, the error it raises.
For Each row In Array(Array("AscW("""")", 5), Array("AscB("""")", 5), Array("AscW(Null)", 94), _
    Array("AscB(Null)", 94), Array("ChrW(65536)", 5), Array("ChrW(-32769)", 5), Array("ChrB(256)", 5), _
    Array("ChrB(-1)", 5), Array("ChrB(Null)", 94), Array("LeftB(""a"", -1)", 5), Array("RightB(""a"", -1)", 5), _
    Array("MidB(""a"", 0)", 5), Array("MidB(""a"", 1, -1)", 5), Array("InStrB(0, ""a"", ""a"")", 5), _
    Array("InStrB(Null, ""a"", ""a"")", 94), Array("InStrB(1, ""a"", ""a"", 3)", 5))
    Test.Equal Test.Run("x = " & row(0)), row(1), row(0)
Next

' What scripts rely on: bytes are twice the characters, and whole characters cut back the same.
code = "Vortalux " & Chr(128) & Chr(233)
Test.Same LenB(code), 2 * Len(code), "LenB is twice Len"
Test.Same MidB(code, 3, 4) & LeftB(code, 2) & RightB(code, 2), Mid(code, 2, 2) & Left(code, 1) & Right(code, 1), _
    "whole characters"
Test.Same (InStrB(code, Chr(128)) + 1) / 2, CDbl(InStr(code, Chr(128))), "byte and character positions"
Dim lost
lost = ""
For code = 0 To 255
    If AscW(ChrW(AscW(Chr(code)))) <> AscW(Chr(code)) Or ChrW(AscW(Chr(code))) <> Chr(code) Then lost = lost & " " & code
Next
Test.Same lost, "", "every byte goes round through its code unit"
