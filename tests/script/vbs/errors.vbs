' Error numbers, texts and places: compilation errors with line and column, run-time errors
' with the line of the failing statement.
Option Explicit
Dim nl
nl = vbCrLf

Sub ExpectCompile(code, number, description, line, column)
    Test.Equal Test.Run(code), number, "number for: " & code
    Test.Equal Test.Description, description, "text for: " & code
    Test.Equal Test.Line, line, "line for: " & code
    Test.Equal Test.Column, column, "column for: " & code
    Test.Equal Test.Source, "Microsoft VBScript compilation error", "source for: " & code
End Sub

Sub ExpectRuntime(code, number, description, line)
    Test.Equal Test.Run(code), number, "number for: " & code
    Test.Equal Test.Description, description, "text for: " & code
    Test.Equal Test.Line, line, "line for: " & code
    Test.Equal Test.Column, 0, "column for: " & code
    Test.Equal Test.Source, "Microsoft VBScript runtime error", "source for: " & code
End Sub

' ---- Compilation ----
ExpectCompile "x = 1" & nl & "On Error GoTo 1", 1002, "Syntax error", 2, 14
ExpectCompile "x = 1" & nl & "  )", 1024, "Expected statement", 2, 2
ExpectCompile "x = 1 2", 1025, "Expected end of statement", 1, 6
ExpectCompile "x = 1" & nl & "y = ""abc", 1033, "Unterminated string constant", 2, 8
ExpectCompile "MsgBox(""a"", 1)", 1044, "Cannot use parentheses when calling a Sub", 1, 14
ExpectCompile "Dim 5", 1010, "Expected identifier", 1, 4
ExpectCompile "Const x 5", 1011, "Expected '='", 1, 8
ExpectCompile "If x Then" & nl & "y = 1" & nl & "End Sub", 1012, "Expected 'If'", 3, 4
ExpectCompile "For i = 1 5" & nl & "Next", 1013, "Expected 'To'", 1, 10
ExpectCompile "If x Then" & nl & "y = 1", 1014, "Expected 'End'", 2, 5
ExpectCompile "Function F()" & nl & "End Sub", 1015, "Expected 'Function'", 2, 4
ExpectCompile "Sub S()" & nl & "End Function", 1016, "Expected 'Sub'", 2, 4
ExpectCompile "If x y = 1", 1017, "Expected 'Then'", 1, 5
ExpectCompile "While x" & nl & "y = 1" & nl, 1018, "Expected 'Wend'", 3, 0
ExpectCompile "Do" & nl & "y = 1", 1019, "Expected 'Loop'", 2, 5
ExpectCompile "For i = 1 To 2" & nl & "y = 1", 1020, "Expected 'Next'", 2, 5
ExpectCompile "Dim a, b, a", 1041, "Name redefined", 1, 10
ExpectCompile "Dim A" & nl & "Sub a()" & nl & "End Sub", 1041, "Name redefined", 2, 4
ExpectCompile "Sub A(x, x)" & nl & "End Sub", 1041, "Name redefined", 1, 9
ExpectCompile "Exit Sub", 1039, "Invalid 'exit' statement", 1, 5
ExpectCompile "Sub S()" & nl & "Exit For" & nl & "End Sub", 1039, "Invalid 'exit' statement", 2, 5
ExpectCompile "Const a = b", 1045, "Expected literal constant", 1, 10
ExpectCompile "Dim a(n)", 1026, "Expected integer constant", 1, 6
ExpectCompile "x = 1 # 2", 1032, "Invalid character", 1, 6
ExpectCompile "x = (1 + 2", 1006, "Expected ')'", 1, 10
ExpectCompile "x = ", 1023, "Expected expression", 1, 4
ExpectCompile "Select Case x" & nl & "y = 1" & nl & "End Select", 1021, "Expected 'Case'", 2, 0
ExpectCompile "For Each x 5" & nl & "Next", 1046, "Expected 'In'", 1, 11
ExpectCompile "Loop", 1038, "'loop' without 'do'", 1, 0
ExpectCompile "Next", 1055, "Unexpected 'Next'", 1, 0
ExpectCompile "x = 1" & nl & "Sub S()" & nl & "  Sub T()" & nl & "  End Sub" & nl & "End Sub", 1024, "Expected statement", 3, 2
ExpectCompile "x = 1 _ 2", 1032, "Invalid character", 1, 6
ExpectCompile "x = 12abc", 1025, "Expected end of statement", 1, 6

' ---- Run time ----
ExpectRuntime "x = 1" & nl & "x = Mid(""a"", 0)", 5, "Invalid procedure call or argument", 2
ExpectRuntime "x = CInt(40000)", 6, "Overflow", 1
ExpectRuntime "Dim a(2)" & nl & "a(3) = 1", 9, "Subscript out of range", 2
ExpectRuntime "Dim a(2)" & nl & "x = a(1, 1)", 9, "Subscript out of range", 2
ExpectRuntime "Dim a(2)" & nl & "ReDim a(5)", 10, "This array is fixed or temporarily locked", 2
ExpectRuntime "x = 1" & nl & nl & "x = x / 0", 11, "Division by zero", 3
ExpectRuntime "x = ""a"" * 2", 13, "Type mismatch", 1
ExpectRuntime "NoSuchProcedure 1", 13, "Type mismatch", 1
ExpectRuntime "x = 1" & nl & "Call CInt(1)", 458, "Variable uses an Automation type not supported in VBScript", 2
ExpectRuntime "Call CStr(x)", 458, "Variable uses an Automation type not supported in VBScript", 1
Test.Equal Test.Run("Call Execute(""x = 1"")" & nl & "x = CInt(1)"), 0, "Execute with Call, CInt without"
ExpectRuntime "Set o = Nothing" & nl & "o.Go", 91, "Object variable not set", 2
ExpectRuntime "x = CStr(Null)", 94, "Invalid use of Null", 1
ExpectRuntime "x = 5" & nl & "x.Go", 424, "Object required", 2
ExpectRuntime "Set x = 5", 424, "Object required", 1
ExpectRuntime "Set o = CreateObject(""No.Such"")", 429, "ActiveX component can't create object", 1
ExpectRuntime "Set o = CreateObject(""Test.Recorder"")" & nl & "o.NoSuchMember", 438, "Object doesn't support this property or method", 2
ExpectRuntime "Sub S(a, b)" & nl & "End Sub" & nl & "S , 1", 449, "Argument not optional", 3
ExpectRuntime "Sub S(a)" & nl & "End Sub" & nl & "S 1, 2", 450, "Wrong number of arguments or invalid property assignment", 3
ExpectRuntime "x = Len()", 450, "Wrong number of arguments or invalid property assignment", 1
ExpectRuntime "For Each x In 5" & nl & "Next", 451, "Object not a collection", 1
ExpectRuntime "Option Explicit" & nl & "Dim a" & nl & "a = b", 500, "Variable is undefined", 3
ExpectRuntime "Option Explicit" & nl & "Sub S()" & nl & "  y = 1" & nl & "End Sub" & nl & "S", 500, "Variable is undefined", 3
ExpectRuntime "Const c = 1" & nl & "c = 2", 501, "Illegal assignment", 2
ExpectRuntime "Sub S()" & nl & "End Sub" & nl & "S = 2", 501, "Illegal assignment", 3
ExpectRuntime "Set o = CreateObject(""Test.Recorder"")" & nl & "o.Fail", 70, "Permission denied", 2
' The line is the line of the statement inside the procedure that failed.
ExpectRuntime "Sub Inner()" & nl & "  x = 1" & nl & "  x = x / 0" & nl & "End Sub" & nl & "Inner", 11, "Division by zero", 3
' After a call returns, an error in the same statement is on the caller's line.
ExpectRuntime "Function F()" & nl & "  F = ""a""" & nl & "End Function" & nl & "x = F() * 2", 13, "Type mismatch", 4
ExpectCompile "x = 1" & nl & "Exit For", 1039, "Invalid 'exit' statement", 2, 5
ExpectCompile "While x" & nl & "  Exit Do" & nl & "Wend", 1039, "Invalid 'exit' statement", 2, 7
ExpectRuntime "x = 1" & nl & "Dim big(100000000)", 7, "Out of memory", 2
ExpectRuntime "x = 1" & nl & "Dim Err", 1041, "Name redefined", 2
