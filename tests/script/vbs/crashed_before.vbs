' Inputs that once crashed the interpreter or the host, kept so they never do again.
Dim nl
nl = vbCrLf

' A global array too large to allocate failed outside the host's error handling.
Test.Equal Test.Run("Dim a(3000000, 3000)"), 7, "huge global array"

' Indexing where there is nothing to index.
Test.Equal Test.Run("x = Array()(0)"), 9, "element of an empty array"
Test.Equal Test.Run("Dim a()" & nl & "a(0) = 1"), 9, "element of an unsized array"
Test.Equal Test.Run("ReDim a(2)" & nl & "ReDim Preserve a(1, 1)"), 9, "Preserve with another number of dimensions"
Test.Equal Test.Run("x = 5" & nl & "x(0) = 1"), 13, "element of a number"
Test.Equal Test.Run("Dim a(1)" & nl & "a(0)(1) = 2"), 501, "element of an element that is no array"

' Objects that are not there.
Test.Equal Test.Run("With Nothing" & nl & "End With"), 0, "With Nothing and no member used"
Test.Equal Test.Run("With Nothing" & nl & "  x = 1" & nl & "  .Name = 2" & nl & "End With"), 91, "a member of With Nothing"
Test.Equal Test.Line, 3, "on the line that uses the member"
Test.Equal Test.Run("x = Nothing"), 91, "Nothing without Set"
Test.Equal Test.Run("For Each x In Nothing" & nl & "Next"), 91, "For Each over Nothing"

' Source text that ends in the middle of something.
Test.Equal Test.Run("x = 1 _"), 1032, "a continuation at the end of the text"
Test.Equal Test.Run("x = """), 1033, "a quote at the end of the text"
Test.Equal Test.Run("x = &H"), 1002, "hex prefix without digits"
Test.Equal Test.Run("x = &HFFFFFFFFF"), 1031, "hex literal too long"
Test.Equal Test.Run("Sub"), 1010, "Sub without a name"
Test.Equal Test.Run("If"), 1023, "If without a condition"
Test.Equal Test.Run(Chr(0)), 1032, "a NUL byte"
Test.Equal Test.Run(""), 0, "no text at all"

' Recursion through a procedure called on one line with its definition.
Test.Equal Test.Run("Sub S() : S : End Sub" & nl & "S"), 28, "recursion on one line"
' Arrays holding themselves are copies, not cycles.
Test.Equal Test.Run("a = Array(1)" & nl & "a(0) = a" & nl & "a(0) = a" & nl & "If UBound(a(0)(0)) <> 0 Then Err.Raise 1"), 0, "an array stored in itself"
