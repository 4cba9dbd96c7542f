' Whole-number operators at the edges of their subtypes, the order in which operands and
' subscripts are worked out and what they may change, and procedures called again and again.
Option Explicit
Dim a, b, i, n, calls, total, grid(2, 2)

' ---- Integer and Long results and where they widen ----
a = Array(CInt(32767) + CInt(1), CInt(-32768) - CInt(1), CInt(200) * CInt(200), _
    CLng(2147483647) + 1, CLng(-2147483647) - 2, CLng(65536) * CLng(65536), _
    CInt(7) Mod CInt(3), CInt(-7) Mod CInt(3), CLng(-7) Mod 2, CInt(-32768) Mod CInt(-1), _
    CInt(-7) \ CInt(2), CInt(-32768) \ CInt(-1), CLng(-2147483647) \ -1, CLng(9) \ CInt(-1), _
    CInt(3) = CLng(3), CInt(2) < CLng(3), CLng(-1) >= CInt(0), CInt(1) <> CInt(1))
b = Array(CLng(32768), CLng(-32769), CLng(40000), _
    2147483648.0, -2147483649.0, 4294967296.0, _
    CInt(1), CInt(-1), CLng(-1), CInt(0), _
    CInt(-3), CLng(32768), CLng(2147483647), CLng(-9), _
    True, True, False, False)
For i = 0 To UBound(a)
    Test.Same a(i), b(i), "whole operator " & i
Next
Test.Equal Test.Run("x = CLng(-2147483647 - 1) \ -1"), 6, "the smallest Long divided by -1 overflows"
Test.Equal Test.Run("x = 5 Mod 0"), 11, "Mod by zero"
Test.Equal Test.Run("x = CInt(5) \ CInt(0)"), 11, "\ by zero"
n = 0
For i = 32766 To 32768
    n = n + 1
Next
Test.Same i, CLng(32769), "a For counter past the Integers becomes a Long"
Test.Same n, CInt(3), "and runs each value once"
For i = 2147483646 To 2147483647
Next
Test.Same i, 2147483648.0, "and past the Longs a Double"

' ---- Operands are read in order: the right one may change the left ----
Function Bump(ByRef value)
    value = value + 10
    Bump = 1
End Function
Function AfterBump()
    Dim x
    x = 1
    AfterBump = x + Bump(x)
End Function
Test.Same AfterBump(), CInt(2), "the left operand is read before the right one runs"
Dim g
g = 5
Test.Same g * Bump(g), CInt(5), "a global too"
Test.Same g, CInt(15), "which the call changed"

' ---- Subscripts that change the array they index ----
Dim arr
Function Grow()
    ReDim arr(5)
    arr(5) = "new"
    Grow = 5
End Function
ReDim arr(1)
arr(0) = "old"
Test.Same arr(Grow()), "new", "a subscript that replaces the array reads the new one"
ReDim arr(1)
arr(Grow()) = "set"
Test.Same arr(5), "set", "and writes into it"
Class Counter
    Public Default Property Get Value()
        calls = calls + 1
        Value = 1
    End Property
End Class
Dim c
Set c = New Counter
calls = 0
arr = Array(10, 20, 30)
Test.Same arr(c + c), CInt(30), "an object subscript runs its default member"
Test.Same calls, CInt(2), "once for each use"
grid(2, 1) = "x"
i = 2
Test.Same grid(i, i - 1), "x", "two subscripts"
Test.Equal Test.Run("Dim z(2): x = z(3)"), 9, "a subscript past the end"
Test.Equal Test.Run("Dim z(2): x = z(""a"")"), 13, "a subscript that is no number"

' ---- Each call starts with fresh locals ----
Function Fresh(depth)
    Dim local, list(2)
    Fresh = IsEmpty(local) And IsEmpty(list(1))
    local = depth
    list(1) = depth
    If depth > 0 Then Fresh = Fresh And Fresh(depth - 1) And local = depth And list(1) = depth
End Function
total = True
For i = 1 To 50
    total = total And Fresh(i Mod 7)
Next
Test.Same total, True, "locals and local arrays are new on every call, however deep"
Function Many(p1, p2, p3, p4, p5, p6, p7, p8, p9, p10)
    Dim l1, l2, l3, l4, l5, l6, l7, l8, l9, l10
    l10 = p10
    Many = p1 + p10 + l10 + IsEmpty(l9)
End Function
Test.Same Many(1, 2, 3, 4, 5, 6, 7, 8, 9, 10), CInt(20), "many parameters and locals"
Test.Same Fresh(0), True, "a small frame after a large one"

' ---- An operand whose default member lets go of it ----
Class SelfDropper
    Public Default Property Get Value()
        Set dropper = Nothing
        Value = 5
    End Property
End Class
Dim dropper
total = 0
For i = 1 To 3
    Set dropper = New SelfDropper
    total = total + (dropper + 1)
    Test.Check dropper Is Nothing, "the default member ran on pass " & i
Next
Test.Same total, CInt(18), "and its value was used each time"
