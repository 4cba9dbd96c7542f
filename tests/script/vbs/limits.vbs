' The limits: running time, call depth, nesting at compile time, sizes of arrays and text.
Option Explicit
Dim nl, code, i
nl = vbCrLf

' ---- Time ----
Test.TimeLimit = 100
Test.Equal Test.Run("Do" & nl & "Loop"), 9000, "an endless loop stops"
Test.Equal Test.Description, "Script timed out", "its text"
Test.Equal Test.Run("On Error Resume Next" & nl & "Do" & nl & "  x = 1 / 0" & nl & "Loop"), 9000, "Resume Next cannot swallow the time limit"
Test.Equal Test.Run("Sub S()" & nl & "  While True" & nl & "  Wend" & nl & "End Sub" & nl & "On Error Resume Next" & nl & "S"), 9000, "nor can a caller's handler"
Test.Equal Test.Call("Sub Spin()" & nl & "  For i = 1 To 2" & nl & "    i = 1" & nl & "  Next" & nl & "End Sub", "Spin"), Empty, "a For loop that never ends"
Test.Equal Test.Number, 9000, "stops as well"
Test.TimeLimit = 2000

' ---- Call depth ----
code = "Function Depth(n)" & nl & "  If n > 0 Then Depth = 1 + Depth(n - 1) Else Depth = 0" & nl & "End Function" & nl
Test.MaxDepth = 10
Test.Equal Test.Call(code, "Depth", 9), 9, "ten nested calls are allowed"
Test.Equal Test.Number, 0, "without error"
Test.Equal Test.Call(code, "Depth", 10), Empty, "eleven are not"
Test.Equal Test.Number, 28, "Out of stack space"
Test.Equal Test.Description, "Out of stack space", "its text"
Test.Equal Test.Line, 2, "on the line of the call"
Test.Equal Test.Run(code & "On Error Resume Next" & nl & "x = Depth(50)" & nl & "If Err.Number <> 28 Then Err.Raise 1"), 0, "a handler catches it after the frames are gone"
Test.MaxDepth = 1000
Test.Equal Test.Call(code, "Depth", 500), 500, "the default depth allows deep recursion"
Test.Equal Test.Run("Sub R()" & nl & "  R" & nl & "End Sub" & nl & "R"), 28, "runaway recursion with the default depth"

' ---- Nesting at compile time ----
Test.Equal Test.Run("x = " & String(150, "(") & "1" & String(150, ")")), 0, "150 nested parentheses compile"
Test.Equal Test.Run("x = " & String(100000, "(") & "1" & String(100000, ")")), 28, "100000 nested parentheses do not"
Test.Equal Test.Source, "Microsoft VBScript compilation error", "a compilation error"
Test.Equal Test.Run("x = -" & String(100000, "-") & "1"), 28, "deeply nested unary minus"
code = "x = 1"
For i = 1 To 2000
    code = code & " + 1"
Next
Test.Equal Test.Run(code), 28, "an operator chain deeper than the evaluator allows"
code = ""
For i = 1 To 300
    code = code & "If True Then" & nl
Next
Test.Equal Test.Run(code), 28, "300 nested If blocks"
code = ""
For i = 1 To 50
    code = code & "If True Then" & nl
Next
code = code & "x = 1" & nl
For i = 1 To 50
    code = code & "End If" & nl
Next
Test.Equal Test.Run(code), 0, "50 nested If blocks are fine"
Test.Equal Test.Run("x = Array(" & String(50000, ",") & ")"), 0, "many left-out arguments"

' ---- Sizes ----
Test.Equal Test.Run("ReDim a(100000000)"), 7, "an array too large"
Test.Equal Test.Description, "Out of memory", "its text"
Test.Equal Test.Run("ReDim a(10000, 10000)"), 7, "two dimensions too large"
Test.Equal Test.Run("x = Space(100000000)"), 14, "text too long"
Test.Equal Test.Description, "Out of string space", "its text"
Test.Equal Test.Run("s = ""ab""" & nl & "Do" & nl & "  s = s & s" & nl & "Loop"), 14, "text doubling until it is too long"
Test.Equal Test.Run("s = ""ab""" & nl & "Do" & nl & "  s = s + s" & nl & "Loop"), 14, "doubling with +"
Test.Equal Test.Run("ReDim a(-2)"), 9, "a negative bound"
Test.Equal Test.Run("ReDim a(-1)" & nl & "If UBound(a) <> -1 Then Err.Raise 1"), 0, "an empty array"

' ---- Memory: what all strings and arrays hold together ----
Test.MemoryLimit = 16777216
code = "Dim keep(40)" & nl & "For i = 0 To 40" & nl & "  keep(i) = String(1000000, ""x"") & i" & nl & "Next"
Test.Equal Test.Run(code), 7, "41 strings of 1 MB kept alive pass 16 MiB"
Test.Equal Test.Description, "Out of memory", "its text"
Test.Equal Test.Line, 3, "on the line that made the string"
Test.Equal Test.Run("For i = 0 To 40" & nl & "  s = String(1000000, ""x"") & i" & nl & "Next"), 0, "one variable reused holds one at a time"
Test.Equal Test.Run("Dim keep(40)" & nl & "s = String(1000000, ""x"")" & nl & "For i = 0 To 40" & nl & "  keep(i) = s" & nl & "Next"), 7, "each copy of a string counts"
Test.Equal Test.Run("s = ""x""" & nl & "Do" & nl & "  s = s & Space(100000)" & nl & "Loop"), 7, "a string grown in place, long before 64 MB"
Test.Equal Test.Run("ReDim a(1000000)"), 7, "an array of a million elements"
Test.Equal Test.Run("Dim keep(40)" & nl & "For i = 0 To 40" & nl & "  ReDim b(20000)" & nl & "  keep(i) = b" & nl & "Next"), 7, "arrays kept alive count too"
Test.Equal Test.Run("For i = 0 To 40" & nl & "  ReDim b(20000)" & nl & "  ReDim Preserve b(10)" & nl & "Next"), 0, "an array made again or shrunk gives its storage back"
Test.Equal Test.Run("x = Split(Space(1000000))"), 7, "the parts of Split"
Test.Equal Test.Run("On Error Resume Next" & nl & "ReDim a(1000000)" & nl & "If Err.Number <> 7 Then Err.Raise 1" & nl & "Err.Clear" & nl & "ReDim a(10)" & nl & "s = String(1000000, ""x"")"), 0, "a handler catches it and the script goes on"
Test.MemoryLimit = 268435456
