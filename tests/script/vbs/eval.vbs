' Eval, Execute, ExecuteGlobal and GetRef: code compiled while the script runs, the scope it
' runs in, its errors and the limits that hold inside it.
Dim nl, x, y, f, log, total
nl = vbCrLf

' ---- Eval: an expression, `=` compares ----
x = 5
Test.Same Eval("x * 2 + 1"), 11, "Eval reads globals"
Test.Same Eval("x = 5"), True, "in Eval = is a comparison"
Test.Same x, 5, "and assigns nothing"
Test.Same Eval("""a"" & UCase(""b"")"), "aB", "built-in functions in Eval"
Test.Same VarType(Eval("2.5")), 5, "the subtype Eval gives"
Test.Same Eval("  x  " & nl), 5, "white space and a line end around the expression"

' ---- Execute: statements in the current scope, `=` assigns ----
Execute "x = 7"
Test.Same x, 7, "Execute assigns"
Execute "y = x + 1 : x = y * 2"
Test.Same x, 16, "several statements"
Execute "If x > 10 Then" & nl & "  log = ""big""" & nl & "End If"
Test.Same log, "big", "blocks over several lines"

Function LocalScope(n)
    Dim inner
    inner = n
    Execute "inner = inner * 3 : n = n + 1"
    LocalScope = Eval("inner + n")
End Function
y = 2
Test.Same LocalScope(y), 9, "Execute and Eval see the procedure's locals and parameters"
Test.Same y, 3, "a ByRef parameter changed by Execute"

Function SetsResult()
    Execute "SetsResult = ""from Execute"""
End Function
Test.Same SetsResult(), "from Execute", "the function's result through Execute"

Class Holder
    Private m_value
    Public Function Run(code)
        Execute code
        Run = m_value
    End Function
End Class
Dim h
Set h = New Holder
Test.Same h.Run("m_value = ""field"""), "field", "Execute in a method sees the instance's fields"

' ---- ExecuteGlobal: the global scope, definitions ----
Sub Shadowing()
    Dim total
    total = "local"
    ExecuteGlobal "total = ""global"""
    log = total
End Sub
total = ""
Shadowing
Test.Same total, "global", "ExecuteGlobal assigns the global"
Test.Same log, "local", "not the local of the same name"

ExecuteGlobal "Function Added(a, b)" & nl & "  Added = a + b" & nl & "End Function"
Test.Same Added(2, 3), 5, "a function defined by ExecuteGlobal"
ExecuteGlobal "Function Added(a, b)" & nl & "  Added = a * b" & nl & "End Function"
Test.Same Added(2, 3), 6, "defined again, the last definition wins"
ExecuteGlobal "Class Dynamic" & nl & "  Public Value" & nl & "End Class"
Set h = New Dynamic
h.Value = 4
Test.Same TypeName(h), "Dynamic", "a class defined by ExecuteGlobal"
ExecuteGlobal "Dim declared" & nl & "declared = 12"
Test.Same declared, 12, "a global declared by ExecuteGlobal"

' ---- Errors inside them ----
Sub ExpectError(code, number, description, source, line)
    Test.Equal Test.Run(code), number, "number for: " & code
    Test.Equal Test.Description, description, "text for: " & code
    Test.Equal Test.Source, source, "source for: " & code
    Test.Equal Test.Line, line, "line for: " & code
End Sub
ExpectError "x = 1" & nl & "Execute ""x = """, 1023, "Expected expression", "Microsoft VBScript compilation error", 2
ExpectError "x = 1" & nl & "y = Eval(""x = = 1"")", 1023, "Expected expression", "Microsoft VBScript compilation error", 2
ExpectError "x = Eval(""1 2"")", 1025, "Expected end of statement", "Microsoft VBScript compilation error", 1
ExpectError "x = Eval(""x = 1 : y = 2"")", 1025, "Expected end of statement", "Microsoft VBScript compilation error", 1
ExpectError "x = 1" & nl & nl & "Execute ""y = 1"" & vbCrLf & ""y = 1 / 0""", 11, "Division by zero", "Microsoft VBScript runtime error", 3
ExpectError "ExecuteGlobal ""Sub S()"" & vbCrLf & ""End Function""", 1016, "Expected 'Sub'", "Microsoft VBScript compilation error", 1
ExpectError "Sub S()" & nl & "Execute ""Exit Sub""" & nl & "End Sub" & nl & "S", 1039, "Invalid 'exit' statement", "Microsoft VBScript compilation error", 2

On Error Resume Next
Execute "x = 1 / 0"
Test.Equal Err.Number, 11, "an error in Execute reaches the caller's On Error Resume Next"
Err.Clear
x = Eval("(")
Test.Equal Err.Number, 1023, "a compilation error in Eval too"
Test.Equal Err.Source, "Microsoft VBScript compilation error", "with the compiler's source"
Err.Clear
Execute "x = 1 / 0 : log = ""went on"""
Test.Same log, "local", "the statements after the error in Execute do not run"
On Error GoTo 0

' ---- Limits inside them ----
ExpectError "s = ""Execute s""" & nl & "Execute s", 28, "Out of stack space", "Microsoft VBScript runtime error", 2
ExpectError "Sub R()" & nl & "Execute ""R""" & nl & "End Sub" & nl & "R", 28, "Out of stack space", "Microsoft VBScript runtime error", 2
ExpectError "s = ""x = Eval(s)""" & nl & "x = Eval(s)", 28, "Out of stack space", "Microsoft VBScript runtime error", 2
ExpectError "s = String(300, ""("") & ""1"" & String(300, "")"")" & nl & "x = Eval(s)", 28, "Out of stack space", "Microsoft VBScript compilation error", 2
Test.TimeLimit = 200
Test.Equal Test.Run("Execute ""Do"" & vbCrLf & ""Loop"""), 9000, "the time limit holds inside Execute"
Test.Equal Test.Run("On Error Resume Next" & nl & "Execute ""Do"" & vbCrLf & ""Loop""" & nl & "x = 1"), 9000, "and On Error Resume Next does not catch it"
Test.TimeLimit = 2000

' ---- GetRef ----
Function Square(n)
    Square = n * n
End Function
Sub Record(text)
    log = log & text & ";"
End Sub
Set f = GetRef("Square")
Test.Same f(7), 49, "a function reference called with an argument"
Test.Same TypeName(f), "Object", "TypeName of a reference"
Test.Same VarType(f), 9, "VarType of a reference"
log = ""
Set f = GetRef("record")
f "one"
Call f("two")
Test.Same log, "one;two;", "a Sub reference called as a statement, any letter case"
Test.Equal Test.Run("Set f = GetRef(""Missing"")"), 5, "GetRef of an unknown name"
Test.Equal Test.Run("Sub S(a)" & nl & "End Sub" & nl & "Set f = GetRef(""S"")" & nl & "f 1, 2"), 450, "a reference called with too many arguments"
Test.Equal Test.Run("Set f = GetRef(""Len"")"), 5, "built-in functions have no reference"
Test.Equal Test.Run("Function F()" & nl & "F = 1" & nl & "End Function" & nl & "Set r = GetRef(""F"")" & nl & "x = r.Value"), 438, "a reference has no members"
