' Scripting.FileSystemObject and its text streams, with VBScript's error numbers.
Option Explicit
Dim fso, folder, path, stream

Set fso = CreateObject("Scripting.FileSystemObject")
folder = Fixture.Folder

' ---- Paths and folders ----
Test.Equal fso.BuildPath("a", "b"), "a/b", "BuildPath adds one separator"
Test.Equal fso.BuildPath("a/", "b"), "a/b", "BuildPath keeps one"
Test.Equal fso.BuildPath("a/", "/b"), "a/b", "BuildPath drops the second"
Test.Equal fso.BuildPath("", "b"), "b", "BuildPath without a folder"
Test.Same fso.FolderExists(folder), True, "the fixture's folder"
Test.Same fso.FileExists(folder), False, "a folder is no file"
Test.Same fso.FileExists(folder & "/nothing"), False, "missing file"
Test.Same fso.FolderExists(folder & "/nothing"), False, "missing folder"
fso.CreateFolder fso.BuildPath(folder, "sub")
Test.Same fso.FolderExists(folder & "/sub"), True, "CreateFolder"

On Error Resume Next
fso.CreateFolder folder & "/sub"
Test.Equal Err.Number, 58, "CreateFolder of an existing folder"
Test.Equal Err.Description, "File already exists", "its text"
Err.Clear
fso.CreateFolder folder & "/missing/deeper"
Test.Equal Err.Number, 76, "CreateFolder below a missing folder"
Err.Clear
On Error GoTo 0

' ---- Writing ----
path = folder & "/text.txt"
Set stream = fso.CreateTextFile(path)
stream.Write "a"
stream.WriteLine "b"
stream.WriteLine
stream.WriteBlankLines 2
stream.Write Chr(0) & Chr(255) & "'"""
stream.Close
Test.Equal Fixture.ReadFile(path), "ab" & vbCrLf & vbCrLf & vbCrLf & vbCrLf & Chr(0) & Chr(255) & "'""", "CR LF line ends, bytes as they are"
Set stream = fso.OpenTextFile(path, 8)
stream.WriteLine "more"
stream.Close
Test.Equal Right(Fixture.ReadFile(path), 6), "more" & vbCrLf, "appending keeps what was there"
Set stream = fso.OpenTextFile(path, 2)
stream.Write "new"
stream.Close
Test.Equal Fixture.ReadFile(path), "new", "writing replaces"
Set stream = fso.CreateTextFile(path, True)
stream.Close
Test.Equal Fixture.ReadFile(path), "", "CreateTextFile overwrites"
Set stream = fso.OpenTextFile(folder & "/created.txt", 8, True)
stream.Write "x"
stream.Close
Test.Equal Fixture.ReadFile(folder & "/created.txt"), "x", "appending with create makes the file"

On Error Resume Next
Set stream = fso.CreateTextFile(path, False)
Test.Equal Err.Number, 58, "CreateTextFile without overwrite"
Err.Clear
Set stream = fso.OpenTextFile(folder & "/absent.txt")
Test.Equal Err.Number, 53, "reading a missing file"
Test.Equal Err.Description, "File not found", "its text"
Err.Clear
Set stream = fso.OpenTextFile(folder & "/absent.txt", 8)
Test.Equal Err.Number, 53, "appending to a missing file without create"
Err.Clear
Set stream = fso.OpenTextFile(folder & "/absent/file.txt", 2, True)
Test.Equal Err.Number, 76, "a file in a missing folder"
Test.Equal Err.Description, "Path not found", "its text"
Err.Clear
Set stream = fso.OpenTextFile(folder, 2)
Test.Equal Err.Number, 70, "a folder opened as a file"
Err.Clear
Set stream = fso.OpenTextFile(path, 3)
Test.Equal Err.Number, 5, "an unknown mode"
Err.Clear
Set stream = fso.OpenTextFile("")
Test.Equal Err.Number, 5, "an empty path"
Err.Clear
On Error GoTo 0

' ---- Reading ----
Fixture.WriteFile path, "one" & vbCrLf & "two" & vbLf & vbLf & "four" & vbCr & "five"
Set stream = fso.OpenTextFile(path)
Test.Equal stream.ReadLine, "one", "CR LF"
Test.Equal stream.Line, 2, "line number"
Test.Equal stream.ReadLine, "two", "LF"
Test.Same stream.AtEndOfLine, True, "at an empty line"
Test.Equal stream.ReadLine, "", "the empty line"
Test.Equal stream.Read(2), "fo", "Read takes bytes"
Test.Equal stream.ReadLine, "ur", "CR alone"
Test.Same stream.AtEndOfStream, False, "one line left"
Test.Equal stream.ReadLine, "five", "last line without a line end"
Test.Same stream.AtEndOfStream, True, "at the end"
On Error Resume Next
stream.ReadLine
Test.Equal Err.Number, 62, "ReadLine past the end"
Test.Equal Err.Description, "Input past end of file", "its text"
Err.Clear
stream.Write "x"
Test.Equal Err.Number, 54, "writing to a stream opened for reading"
Err.Clear
stream.Close
stream.ReadLine
Test.Equal Err.Number, 54, "reading a closed stream"
Err.Clear
On Error GoTo 0

Set stream = fso.OpenTextFile(path, 1)
Test.Equal stream.ReadAll, "one" & vbCrLf & "two" & vbLf & vbLf & "four" & vbCr & "five", "ReadAll"
stream.Close
Fixture.WriteFile path, ""
Set stream = fso.OpenTextFile(path)
Test.Same stream.AtEndOfStream, True, "an empty file"
On Error Resume Next
Test.Equal stream.ReadAll, "", "(no value)"
Test.Equal Err.Number, 62, "ReadAll of an empty file fails, as on Windows"
Err.Clear
Set stream = fso.OpenTextFile(path, 2)
Test.Equal stream.AtEndOfStream, "", "(no value)"
Test.Equal Err.Number, 54, "AtEndOfStream of a stream for writing"
Err.Clear
stream.Close
On Error GoTo 0
