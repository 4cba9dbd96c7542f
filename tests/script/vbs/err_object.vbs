' The Err object and On Error, scoped per procedure.
Dim x, log, nl
nl = vbCrLf

On Error Resume Next
x = 1 / 0
Test.Equal Err.Number, 11, "Resume Next keeps the error in Err"
Test.Equal Err.Description, "Division by zero", "Err.Description"
Test.Equal Err.Source, "Microsoft VBScript runtime error", "Err.Source"
x = Err
Test.Equal x, 11, "Number is Err's default property"
Err.Clear
Test.Equal Err.Number, 0, "Err.Clear"
Test.Equal Err.Description, "", "Err.Clear empties the text"

Err.Raise 1000, "MySource", "My description"
Test.Equal Err.Number, 1000, "Err.Raise number"
Test.Equal Err.Source, "MySource", "Err.Raise source"
Test.Equal Err.Description, "My description", "Err.Raise description"
Err.Clear
Err.Raise 5
Test.Equal Err.Description, "Invalid procedure call or argument", "a known number takes its text"
Err.Clear
Err.Raise 12345
Test.Equal Err.Description, "Unknown runtime error", "an unknown number"
Err.Raise vbObjectError + 7, "App"
Test.Equal Err.Number, vbObjectError + 7, "vbObjectError numbers"
Err.Number = 42
Test.Equal Err.Number, 42, "Err.Number is writable"

' Err.Raise: what is left out keeps what Err holds until it is cleared; HRESULTs of VBScript's own
' facility read back as their number, other HRESULTs stay whole.
Err.Clear
Err.Raise 1001, "First source", "First text", "help.chm", 17
Err.Raise 1002
Test.Same Join(Array(Err.Number, Err.Source, Err.Description, Err.HelpFile, Err.HelpContext), "|"), _
    "1002|First source|First text|help.chm|17", "arguments left out keep the previous values"
Err.Raise 1003, , , , 18
Test.Same Join(Array(Err.Source, Err.Description, Err.HelpFile, Err.HelpContext), "|"), _
    "First source|First text|help.chm|18", "left out in the middle too"
Err.Clear
Test.Same Join(Array(Err.HelpFile, Err.HelpContext), "|"), "|0", "Err.Clear empties the help topic"
Err.Raise 1004
Test.Same Join(Array(Err.Source, Err.Description, Err.HelpFile), "|"), _
    "Microsoft VBScript runtime error|Unknown runtime error|", "after Clear the standard texts"
Err.HelpFile = "other.chm"
Err.HelpContext = 5
Test.Same Err.HelpFile & Err.HelpContext, "other.chm5", "HelpFile and HelpContext are writable"
Err.Clear
Err.Raise &H800A000D
Test.Same Join(Array(Err.Number, Err.Description), "|"), "13|Type mismatch", "a VBScript HRESULT reads as its number"
Err.Clear
Err.Raise vbObjectError + 1
Test.Same Err.Number, -2147221503, "vbObjectError + 1 stays whole"
Err.Clear
Err.Raise &H80070005
Test.Same Err.Number, -2147024891, "an HRESULT of another facility stays whole"
Err.Clear
Test.Equal Test.Run("Err.Raise &H800A0000"), 5, "the HRESULT of number 0"

' The numbers Err.Raise accepts: 1 to 65535 as given, past 65535 no error number (5 in its place,
' with the standard texts, whatever the call gave), negative numbers whole. Each row: the number
' raised, then Number, Description and Source as Err reads them.
Dim raised
For Each raised In Array( _
    Array(65535, 65535, "Unknown runtime error", "S"), _
    Array(65536, 5, "Invalid procedure call or argument", "Microsoft VBScript runtime error"), _
    Array(70000, 5, "Invalid procedure call or argument", "Microsoft VBScript runtime error"), _
    Array(2147483647, 5, "Invalid procedure call or argument", "Microsoft VBScript runtime error"), _
    Array(-5, -5, "Unknown runtime error", "S"), _
    Array(vbObjectError, -2147221504, "Unknown runtime error", "S"), _
    Array(&H800A01A8, 424, "Object required", "S"))
    Err.Clear
    Err.Raise raised(0), "S"
    Test.Same Join(Array(VarType(Err.Number), Err.Number, Err.Description, Err.Source), "|"), _
        "3|" & Join(Array(raised(1), raised(2), raised(3)), "|"), "Err.Raise " & raised(0)
Next
Err.Clear
Err.Raise 70000, "S", "mine"
Test.Same Err.Description & "|" & Err.Source, "Invalid procedure call or argument|Microsoft VBScript runtime error", _
    "an invalid number drops the texts given with it"
Test.Equal Test.Run("Err.Raise 4294967296"), 6, "a number past Long"
On Error Resume Next
Test.Equal Err.Number, 0, "On Error Resume Next clears Err"

' A callee without a handler stops at its error; the caller goes on after the call.
Sub Fails()
    log = log & "a"
    x = 1 / 0
    log = log & "b"
End Sub
log = ""
Fails
log = log & "c"
Test.Equal log, "ac", "the error leaves the callee and the caller resumes"
Test.Equal Err.Number, 11, "the caller sees the callee's error"

' A callee with its own handler goes on inside.
Sub Handles()
    On Error Resume Next
    log = log & "a"
    x = 1 / 0
    log = log & "b"
End Sub
log = ""
Err.Clear
Handles
Test.Equal log, "ab", "the callee resumes itself"
Test.Equal Err.Number, 11, "and its error stays visible"

' Errors inside nested blocks resume with the next statement of that block.
log = ""
For x = 1 To 3
    log = log & x
    If x = 2 Then Err.Raise 9
    log = log & "."
Next
Test.Equal log, "1.2.3.", "Resume Next in a loop body"

' A failing If condition enters the Then block, as VBScript does.
log = ""
If 1 / 0 = 5 Then
    log = "then"
Else
    log = "else"
End If
Test.Equal log, "then", "a failed condition runs the Then block"

' Method errors of host objects
Set o = CreateObject("Test.Recorder")
Err.Clear
o.Fail
Test.Equal Err.Number, 70, "a host object's error"
o.NoSuchThing
Test.Equal Err.Number, 438, "an unknown member"
On Error GoTo 0

' Errors without a handler stop the run; On Error GoTo 0 ends Resume Next.
Test.Equal Test.Run("On Error Resume Next" & nl & "On Error GoTo 0" & nl & "x = 1 / 0"), 11, "GoTo 0"
Test.Equal Test.Line, 3, "line after GoTo 0"
Test.Equal Test.Run("Sub S()" & nl & "  On Error Resume Next" & nl & "End Sub" & nl & "S" & nl & "x = 1 / 0"), 11, "Resume Next belongs to the procedure that said it"
Test.Equal Test.Run("Err.Raise 1000, ""Src"", ""Text""" & nl), 1000, "a raised error reaches the host"
Test.Equal Test.Source, "Src", "with its source"
Test.Equal Test.Description, "Text", "and its text"
Test.Equal Test.Run("Err.Raise 0"), 5, "Err.Raise 0"
Test.Equal Test.Run("Err.Raise"), 450, "Err.Raise without a number"
Test.Equal Test.Run("Sub Inner()" & nl & "  Err.Raise 7" & nl & "End Sub" & nl & "Sub Outer()" & nl & "  Inner" & nl & "End Sub" & nl & "Outer"), 7, "an error crosses every procedure without a handler"
Test.Equal Test.Line, 2, "at the line it was raised on"
