' FormatNumber, FormatCurrency and FormatPercent in the forms of English (United States).
Option Explicit
Dim a, b, i

a = Array(FormatNumber(1234.5678), FormatNumber(1234.5678, 0), FormatNumber(0.5, 2, vbFalse), _
    FormatNumber(-1234.5, 1, vbUseDefault, vbTrue), FormatNumber(1234567, 2, , , vbFalse), _
    FormatNumber(-0.001, 2), FormatNumber(2.345, 2), FormatNumber(0.125, 2), FormatNumber(999.999, 2), _
    FormatNumber("12.5"), FormatNumber(1E+20, 0), FormatNumber(123.456, -1), FormatNumber(-0.5, 0), _
    FormatNumber(0.05, 3, vbFalse, vbFalse, vbFalse), FormatNumber(CCur(5)), FormatNumber(1E-20, 2), _
    FormatNumber(123, 4))
b = Array("1,234.57", "1,235", ".50", "(1,234.5)", "1234567.00", "0.00", "2.35", "0.13", "1,000.00", _
    "12.50", "100,000,000,000,000,000,000", "123.46", "-1", ".050", "5.00", "0.00", "123.0000")
For i = 0 To UBound(a)
    Test.Same a(i), b(i), "FormatNumber " & i
Next

a = Array(FormatCurrency(1234.5), FormatCurrency(-5), FormatCurrency(-5, , , vbFalse), FormatCurrency(0.126, 2), _
    FormatCurrency(1000000, 0))
b = Array("$1,234.50", "($5.00)", "-$5.00", "$0.13", "$1,000,000")
For i = 0 To UBound(a)
    Test.Same a(i), b(i), "FormatCurrency " & i
Next

a = Array(FormatPercent(0.125), FormatPercent(-0.5, 0), FormatPercent(2 / 3, 1), FormatPercent(12.3456, 0), _
    FormatPercent(-0.5, 0, , vbTrue))
b = Array("12.50%", "-50%", "66.7%", "1,235%", "(50%)")
For i = 0 To UBound(a)
    Test.Same a(i), b(i), "FormatPercent " & i
Next

Test.Equal Test.Run("x = FormatNumber(Null)"), 94, "FormatNumber of Null"
Test.Equal Test.Run("x = FormatNumber(""abc"")"), 13, "FormatNumber of text"
Test.Equal Test.Run("x = FormatNumber(1, -2)"), 5, "a negative number of decimals"
Test.Equal Test.Run("x = FormatPercent(1E+307)"), 6, "a percentage past a Double"
