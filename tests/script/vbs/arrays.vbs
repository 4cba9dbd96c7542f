' Arrays declared without bounds, ReDim and its errors.
Dim a(), b, item, count, code

' `Dim a()` is an array with no element: every index is out of range, nothing is visited.
Test.Same Join(Array(IsArray(a), VarType(a), TypeName(a)), "|"), "True|8204|Variant()", "an unsized array"
For Each code In Array("x = UBound(a)", "x = LBound(a)", "x = UBound(a, 1)", "x = a(0)", "a(0) = 1", "x = a(0, 0)")
    Test.Equal Test.Run("Dim a()" & vbLf & code), 9, code
    Test.Same Test.Description, "Subscript out of range", code & " text"
Next
count = 0
For Each item In a
    count = count + 1
Next
Test.Same count, 0, "For Each visits nothing"
Test.Same Join(a, "-"), "", "Join of no element"
Test.Same UBound(Filter(a, "")), CLng(-1), "Filter keeps nothing"
b = a
Test.Same Join(Array(IsArray(b), UBound(Filter(b, ""))), "|"), "True|-1", "a copy has no element either"
ReDim Preserve a(1)
a(1) = "x"
Test.Same Join(Array(UBound(a), IsEmpty(a(0)), a(1)), "|"), "1|True|x", "ReDim Preserve sizes it"
Erase a
Test.Equal Test.Run("Dim a()" & vbLf & "ReDim a(2)" & vbLf & "Erase a" & vbLf & "x = UBound(a)"), 9, "Erase unsizes it again"

' The same inside a procedure and as a class member.
Function LocalCount()
    Dim local(), element
    LocalCount = 0
    For Each element In local
        LocalCount = LocalCount + 1
    Next
    LocalCount = LocalCount + UBound(Filter(local, "")) + 1
End Function
Test.Same LocalCount(), CLng(0), "a local unsized array"
Class Holder
    Public Items()
End Class
Set b = New Holder
Test.Same UBound(Filter(b.Items, "")), CLng(-1), "a member unsized array"
Test.Equal Test.Run("Class H" & vbLf & "Public Items()" & vbLf & "End Class" & vbLf & "Set h = New H" & vbLf & "x = UBound(h.Items)"), _
    9, "UBound of a member unsized array"

' ReDim of a fixed array, and bounds that cannot be.
For Each item In Array( _
    Array("Dim f(3)" & vbLf & "ReDim f(5)", 10, "This array is fixed or temporarily locked"), _
    Array("Dim f(3)" & vbLf & "ReDim Preserve f(5)", 10, "This array is fixed or temporarily locked"), _
    Array("ReDim d(-2)", 9, "Subscript out of range"), _
    Array("ReDim d(2, -3)", 9, "Subscript out of range"), _
    Array("ReDim d(1E10)", 6, "Overflow"), _
    Array("ReDim d(""x"")", 13, "Type mismatch"), _
    Array("ReDim d(Null)", 94, "Invalid use of Null"), _
    Array("ReDim d(5000000)", 7, "Out of memory"), _
    Array("ReDim d(2, 3)" & vbLf & "ReDim Preserve d(3, 3)", 9, "Subscript out of range"))
    Test.Same Test.Run(item(0)) & " " & Test.Description, item(1) & " " & item(2), item(0)
Next
ReDim b(-1)
Test.Same UBound(b), CLng(-1), "ReDim to -1 is an empty array"
Dim f(3)
f(2) = "kept"
Erase f
Test.Same UBound(f) & "|" & IsEmpty(f(2)), "3|True", "Erase of a fixed array keeps its bounds"
