' Statements, procedures, scopes and control flow.
Option Explicit

Dim calls, total, i, j, s, a, b, r
Const Greeting = "hello", Answer = 42, Negative = -7

' ---- Procedures: callable before their definition, ByRef by default, ByVal copies ----
Sub Increment(n)
    n = n + 1
End Sub

Sub IncrementByVal(ByVal n)
    n = n + 1
End Sub

Function Square(x)
    Square = x * x
End Function

Function Accumulate(x)
    Accumulate = "<"
    Accumulate = Accumulate & x & ">"
End Function

i = 1
Increment i
Test.Equal i, 2, "ByRef is the default"
IncrementByVal i
Test.Equal i, 2, "ByVal works on a copy"
Increment (i)
Test.Equal i, 2, "one parenthesised argument is passed by value"
Call Increment(i)
Test.Equal i, 3, "Call passes by reference"
Test.Equal Square(7), 49, "function result"
Test.Equal Accumulate("x"), "<x>", "the function name reads back its result"
Test.Equal Square((3)), 9, "parentheses around an argument"
Test.Equal LaterDefined(), "later", "a function defined further down"

Function LaterDefined()
    LaterDefined = "later"
End Function

Sub TwoArgs(x, y)
    calls = calls & x & "+" & y & ";"
End Sub
calls = ""
TwoArgs 1, 2
TwoArgs (3), 4
TwoArgs (5) + 1, 7
Call TwoArgs(8, 9)
Test.Equal calls, "1+2;3+4;6+7;8+9;", "call forms"

' Recursion
Function Factorial(n)
    If n <= 1 Then
        Factorial = 1
    Else
        Factorial = n * Factorial(n - 1)
    End If
End Function
Test.Equal Factorial(10), 3628800, "recursion with promotion to Long"

' ---- Exit ----
Function FirstOver(limit)
    Dim k
    For k = 1 To 100
        If k * k > limit Then
            FirstOver = k
            Exit Function
        End If
    Next
    FirstOver = -1
End Function
Test.Equal FirstOver(50), 8, "Exit Function"

Sub SetAndLeave(x)
    x = "set"
    Exit Sub
    x = "not reached"
End Sub
s = ""
SetAndLeave s
Test.Equal s, "set", "Exit Sub"

' ---- If ----
r = ""
If 1 = 1 Then r = r & "a" Else r = r & "b"
If 1 = 2 Then r = r & "c" Else r = r & "d" : r = r & "e"
If 1 = 2 Then r = r & "f"
If True Then If False Then r = r & "g" Else r = r & "h"
Test.Equal r, "adeh", "one-line If"
For i = 1 To 4
    If i = 1 Then
        r = "one"
    ElseIf i = 2 Then
        r = r & ",two"
    ElseIf i = 3 Then
        r = r & ",three"
    Else
        r = r & ",other"
    End If
Next
Test.Equal r, "one,two,three,other", "block If with ElseIf"
If Null Then r = "null is true" Else r = "null is false"
Test.Equal r, "null is false", "Null condition"

' ---- Loops ----
total = 0
For i = 10 To 1 Step -3
    total = total + i
Next
Test.Equal total, 22, "For with negative Step"
Test.Equal i, -2, "the counter after the loop"
total = 0
For i = 0.5 To 2 Step 0.5
    total = total + i
Next
Test.Equal total, CDbl(5), "fractional steps"
total = 0
For i = 1 To 0
    total = total + 1
Next
Test.Equal total, 0, "a For that does not run"
total = 0
For i = 1 To 10
    For j = 1 To 10
        If j > i Then Exit For
        total = total + 1
    Next
Next
Test.Equal total, 55, "Exit For leaves the inner loop"

i = 0
Do While i < 5
    i = i + 1
Loop
Test.Equal i, 5, "Do While"
Do Until i = 0
    i = i - 1
Loop
Test.Equal i, 0, "Do Until"
Do
    i = i + 1
Loop While i < 3
Test.Equal i, 3, "Do Loop While"
Do
    i = i + 1
Loop Until True
Test.Equal i, 4, "Do Loop Until runs once"
Do
    i = i + 1
    If i = 10 Then Exit Do
Loop
Test.Equal i, 10, "Exit Do"
While i > 0
    i = i - 2
Wend
Test.Equal i, 0, "While Wend"

a = Array(1, "two", 3.5)
r = ""
For Each b In a
    r = r & TypeName(b) & ";"
Next
Test.Equal r, "Integer;String;Double;", "For Each over an array"
r = ""
For Each b In a
    a = Array()
    r = r & b
Next
Test.Equal r, "1two3.5", "For Each walks the array it started with"

' ---- Select Case ----
Function Classify(v)
    Select Case v
        Case 1, 2, 3
            Classify = "small"
        Case "x"
            Classify = "letter"
        Case Answer
            Classify = "answer"
        Case Else
            Classify = "other"
    End Select
End Function
Test.Equal Classify(2), "small", "Case list"
Test.Equal Classify("x"), "letter", "Case string"
Test.Equal Classify(42), "answer", "Case constant"
Test.Equal Classify(Null), "other", "Null matches no Case"
Test.Equal Classify("2"), "small", "a literal Case converts the text"
Select Case "none"
    Case "a"
        r = "a"
End Select
Test.Equal r, "1two3.5", "Select without a match does nothing"

' ---- Constants ----
Test.Equal Greeting, "hello", "string constant"
Test.Equal Negative, -7, "negative constant"
Function UsesLocalConst()
    Const Inner = 3
    UsesLocalConst = Inner * Answer
End Function
Test.Equal UsesLocalConst(), 126, "local and global constants"

' ---- Arrays ----
Dim fixed(2), grid(1, 2), dynamic()
fixed(0) = "a" : fixed(2) = "c"
Test.Equal UBound(fixed), 2, "fixed bounds"
Test.Equal fixed(0) & fixed(1) & fixed(2), "ac", "elements start Empty"
grid(1, 2) = 12
grid(0, 1) = 1
Test.Equal grid(1, 2) + grid(0, 1), 13, "two dimensions"
Test.Equal UBound(grid, 2), 2, "second dimension"
ReDim dynamic(3)
dynamic(3) = "last"
ReDim Preserve dynamic(5)
Test.Equal dynamic(3), "last", "ReDim Preserve keeps elements"
Test.Equal UBound(dynamic), 5, "ReDim Preserve grows"
ReDim dynamic(1)
Test.Check IsEmpty(dynamic(0)), "ReDim without Preserve clears"
a = Array(1, 2, 3)
b = a
b(0) = 100
Test.Equal a(0), 1, "arrays are copied on assignment"
Test.Equal b(0), 100, "the copy changes alone"
Sub Fill(arr)
    arr(1) = "filled"
End Sub
Fill a
Test.Equal a(1), "filled", "arrays pass by reference"
Erase fixed
Test.Check IsEmpty(fixed(2)), "Erase empties a fixed array"
Test.Equal UBound(fixed), 2, "and keeps its size"
a = Array(Array(1, 2), Array(3, 4))
Test.Equal a(1)(0), 3, "array of arrays"
ReDim m(2, 3)
m(2, 3) = "corner"
ReDim Preserve m(2, 5)
Test.Equal m(2, 3), "corner", "Preserve on the last dimension"

' ---- Objects: Set, Nothing, Is, With ----
Dim o, p
Set o = CreateObject("Test.Recorder")
Set p = o
Test.Check o Is p, "Is compares references"
o.Value = "v"
Test.Equal p.Value, "v", "both names see one object"
With o
    .Value = "with"
    .Add "x", 2
    r = .Value & .Log
End With
Test.Equal r, "withset;set;add x 2;", "With block"
Test.Equal o(5), "item 5", "default member with arguments"
o.Add 1, , 3
Test.Check InStr(o.Log, "add 1 <missing> 3;") > 0, "a left-out argument"
r = ""
For Each b In o
    r = r & b
Next
Test.Equal r, "abc", "For Each over a collection object"
Set p = Nothing
Test.Check p Is Nothing, "Nothing"
Test.Check Not (o Is Nothing), "Not Is Nothing"
Test.Equal TypeName(o), "Recorder", "TypeName of a host object"

' ---- Line continuation, separators, comments, case ----
r = "a" & _
    "b" & _
    "c"
Test.Equal r, "abc", "line continuation"
i = 1 : i = i + 1 : i = i * 10 ' comment after statements
Test.Equal i, 20, "colon separators"
Rem a Rem comment
DIM upperCase : UPPERCASE = 5 : Test.Equal uppercase, 5, "names ignore case"
Test.Equal "say ""hi""", "say " & Chr(34) & "hi" & Chr(34), "doubled quotes in strings"
Test.Equal &H1F, 31, "hex literal"
Test.Equal &O17, 15, "octal literal"
Test.Equal &HFFFF, -1, "&HFFFF is Integer -1"
Test.Equal &HFFFF&, 65535, "a trailing & makes a Long"
Test.Same 32767, CInt(32767), "small literals are Integer"
Test.Equal TypeName(32767), "Integer", "small literals are Integer"
Test.Equal TypeName(32768), "Long", "larger literals are Long"
Test.Equal TypeName(2147483648), "Double", "beyond Long, Double"
Test.Equal TypeName(1.5), "Double", "decimals are Double"
Test.Equal .5 + 1, 1.5, "leading decimal point"
Test.Equal 1E3, CDbl(1000), "exponent"

' ---- Implicit variables without Option Explicit (in a sandbox) ----
Test.Equal Test.Run("x = 5" & vbCrLf & "Sub S()" & vbCrLf & "y = 1" & vbCrLf & "End Sub" & vbCrLf & "S" & vbCrLf & "If x <> 5 Or Not IsEmpty(y) Then Err.Raise 1"), 0, "implicit globals and procedure locals"
Test.Equal Test.Call("Function F()" & vbCrLf & "F = Len(undeclared)" & vbCrLf & "End Function", "F"), 0, "an undeclared variable reads as Empty"
Test.Equal Test.Call("Dim g" & vbCrLf & "Function F(n)" & vbCrLf & "g = g + n" & vbCrLf & "F = g" & vbCrLf & "End Function", "F", 5), 5, "Run with an argument"

' ---- Scopes ----
Dim shadowed
shadowed = "global"
Function ReadShadowed()
    Dim shadowed
    shadowed = "local"
    ReadShadowed = shadowed
End Function
Test.Equal ReadShadowed(), "local", "a local hides the global"
Test.Equal shadowed, "global", "the global is untouched"
Function ReadLaterGlobal()
    ReadLaterGlobal = declaredLater
End Function
Dim declaredLater
declaredLater = "seen"
Test.Equal ReadLaterGlobal(), "seen", "a global declared below its user"
Public publicOne
Private privateOne
publicOne = 1 : privateOne = 2
Test.Equal publicOne + privateOne, 3, "Public and Private declare globals"
Private Function PrivateF()
    PrivateF = "private"
End Function
Public Sub PublicS(x)
    x = PrivateF()
End Sub
PublicS r
Test.Equal r, "private", "Public and Private procedures"
Let r = "let"
Test.Equal r, "let", "Let"

' ---- Objects through members ----
Dim holder, innerObject
Set holder = CreateObject("Test.Recorder")
Set innerObject = CreateObject("Test.Recorder")
Set holder.Value = innerObject
Test.Check holder.Value Is innerObject, "Set on a property"
holder.Value.Value = "deep"
Test.Equal innerObject.Value, "deep", "a property of a property"
Call holder.Add("a", "b")
Test.Equal holder.Log, "set;add a b;", "Call on a method"
holder(3) = "x"
Test.Equal holder.Log, "set;add a b;set 3;", "assignment through the default member"
Test.Equal holder.Add(1, 2, 3), 3, "a method's value in an expression"

' ---- Exit Do from inside a For ----
r = 0
Do
    For i = 1 To 5
        r = r + 1
        If i = 3 Then Exit Do
    Next
Loop
Test.Equal r, 3, "Exit Do leaves the For and the Do"
r = 0
Do
    While True
        r = r + 1
        If r = 4 Then Exit Do
    Wend
Loop
Test.Equal r, 4, "Exit Do leaves a While inside the Do"

' ---- ByRef chains ----
Sub Outer(v)
    Inner v
End Sub
Sub Inner(w)
    w = w & "!"
End Sub
r = "hey"
Outer r
Test.Equal r, "hey!", "ByRef through two calls"
Function ChangeAndReturn(v)
    v = 10
    ChangeAndReturn = v * 2
End Function
i = 1
Test.Equal ChangeAndReturn(i) + i, 30, "a ByRef change is visible later in the same expression"
a = Array("x", "y")
b = a
Inner a(0)
Test.Equal a(0), "x!", "an array element passes by reference"
Test.Equal b(0), "x", "into the array of that variable only"
Inner (a(1))
Test.Equal a(1), "y", "a parenthesised element passes by value"
Sub Twice(p, q)
    p = p & "1"
    q = q & "2"
End Sub
Twice a(1), a(1)
Test.Equal a(1), "y2", "the element is written back when the call returns, the last one last"
Dim m2(1, 1)
Twice m2(1, 0), m2(0, 1)
Test.Equal m2(1, 0) & m2(0, 1), "12", "elements of two dimensions"
Sub ChangeCopy(ByVal arr)
    arr(0) = "changed"
    ReDim Preserve arr(5)
End Sub
a = Array("kept")
ChangeCopy a
Test.Equal a(0), "kept", "a ByVal array is the callee's own copy"
Test.Equal UBound(a), 0, "even when the callee resizes it"
Function MakeList(n)
    Dim result()
    ReDim result(n - 1)
    For i = 0 To n - 1
        result(i) = i * i
    Next
    MakeList = result
End Function
a = MakeList(4)
Test.Equal Join(a, ","), "0,1,4,9", "a function returns an array"
ReDim Preserve a(5)
a(5) = 25
Test.Equal a(5), 25, "the returned array can be resized"
