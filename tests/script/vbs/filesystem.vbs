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

' ---- Path texts ----
Dim paths, expected, f, d, shell, names, item, i
paths = Array("/a/b.txt", "/a/b.tar.gz/", "b", "/", "", "a/.bashrc", "a/b.", "/a//b")
expected = Array( _
    "b.txt|b|txt|/a", _
    "b.tar.gz|b.tar|gz|/a", _
    "b|b||", _
    "|||", _
    "|||", _
    ".bashrc||bashrc|a", _
    "b.|b||a", _
    "b|b||/a")
For i = 0 To UBound(paths)
    Test.Equal fso.GetFileName(paths(i)) & "|" & fso.GetBaseName(paths(i)) & "|" & fso.GetExtensionName(paths(i)) & "|" & fso.GetParentFolderName(paths(i)), expected(i), "path texts of """ & paths(i) & """"
Next
Test.Equal fso.GetParentFolderName("/a"), "/", "the parent of a top folder is the root"
Test.Equal fso.GetAbsolutePathName("/a/b/../c/./d/"), "/a/c/d", "dots resolved, no trailing separator"
Test.Equal fso.GetAbsolutePathName("/"), "/", "the root"
Test.Equal fso.GetAbsolutePathName("x/y"), fso.BuildPath(fso.GetAbsolutePathName(""), "x/y"), "relative to the current directory"
Test.Check Left(fso.GetAbsolutePathName(""), 1) = "/", "the current directory is absolute"
Dim temp1, temp2
temp1 = fso.GetTempName
temp2 = fso.GetTempName
Test.Check Len(temp1) = 12 And Left(temp1, 3) = "rad" And Right(temp1, 4) = ".tmp", "GetTempName's form: " & temp1
Test.Check temp1 <> temp2 Or fso.GetTempName <> temp1, "GetTempName varies"

' ---- GetFile and GetFolder ----
Set shell = CreateObject("WScript.Shell")
fso.CreateFolder folder & "/tree"
fso.CreateFolder folder & "/tree/inner"
Fixture.WriteFile folder & "/tree/one.txt", "12345"
Fixture.WriteFile folder & "/tree/two.log", "123"
Fixture.WriteFile folder & "/tree/inner/deep.txt", "1234567"
Test.Equal shell.Run("touch -d '2020-05-17 13:45:30' '" & folder & "/tree/one.txt'", 0, True), 0, "set a modification time"
Set f = fso.GetFile(folder & "/tree/one.txt")
Test.Equal TypeName(f), "File", "TypeName of a file"
Test.Equal f.Name, "one.txt", "Name"
Test.Equal f.Path, folder & "/tree/one.txt", "Path"
Test.Equal "" & f, f.Path, "Path is the default member"
Test.Same f.Size, CLng(5), "Size is a Long"
Test.Equal VarType(f.DateLastModified), 7, "DateLastModified is a Date"
Test.Equal CDbl(f.DateLastModified), 43968.573263888891, "in local time: 2020-05-17 13:45:30"
Test.Equal f.ParentFolder.Path, folder & "/tree", "ParentFolder"
Test.Equal TypeName(f.ParentFolder), "Folder", "is a Folder"
Set d = fso.GetFolder(folder & "/tree/")
Test.Equal TypeName(d), "Folder", "TypeName of a folder"
Test.Equal d.Name, "tree", "its Name"
Test.Equal d.Path, folder & "/tree", "its Path, without the trailing separator"
Test.Same d.IsRootFolder, False, "not the root"
Test.Same fso.GetFolder("/").IsRootFolder, True, "the root"
Test.Same fso.GetFolder("/").ParentFolder Is Nothing, True, "the root has no parent"
Test.Same d.Size, CLng(15), "a folder's size is all it holds"
Test.Equal TypeName(d.Files), "Files", "Files"
Test.Same d.Files.Count, CLng(2), "two files"
Test.Same d.SubFolders.Count, CLng(1), "one sub-folder"
Test.Equal TypeName(d.SubFolders), "Folders", "SubFolders"
names = ""
For Each item In d.Files
    names = names & item.Name & ":" & item.Size & " "
Next
Test.Equal names, "one.txt:5 two.log:3 ", "For Each over the files"
For Each item In d.SubFolders
    Test.Equal item.Files("deep.txt").Size, 7, "a sub-folder's file by name"
Next
Test.Equal d.Files.Item("two.log").Name, "two.log", "Item by name"
On Error Resume Next
Set f = fso.GetFile(folder & "/tree/none.txt")
Test.Equal Err.Number, 53, "GetFile of a missing file"
Err.Clear
Set f = fso.GetFile(folder & "/tree")
Test.Equal Err.Number, 53, "GetFile of a folder"
Err.Clear
Set d = fso.GetFolder(folder & "/none")
Test.Equal Err.Number, 76, "GetFolder of a missing folder"
Test.Equal Err.Description, "Path not found", "its text"
Err.Clear
Set f = fso.GetFolder(folder & "/tree").Files("none")
Test.Equal Err.Number, 53, "Files item that is not there"
Err.Clear
On Error GoTo 0

' ---- CopyFile, MoveFile, DeleteFile, DeleteFolder ----
fso.CopyFile folder & "/tree/one.txt", folder & "/copy.txt"
Test.Equal Fixture.ReadFile(folder & "/copy.txt"), "12345", "CopyFile to a new name"
Test.Equal CDbl(fso.GetFile(folder & "/copy.txt").DateLastModified), 43968.573263888891, "keeps the modification time"
Fixture.WriteFile folder & "/copy.txt", "old"
fso.CopyFile folder & "/tree/one.txt", folder & "/copy.txt"
Test.Equal Fixture.ReadFile(folder & "/copy.txt"), "12345", "overwrites by default"
fso.CreateFolder folder & "/dest"
fso.CopyFile folder & "/tree/*.txt", folder & "/dest"
Test.Same fso.FileExists(folder & "/dest/one.txt"), True, "wildcards copy into the folder"
Test.Same fso.FileExists(folder & "/dest/two.log"), False, "only what matches"
fso.CopyFile folder & "/tree/two.log", folder & "/dest/"
Test.Same fso.FileExists(folder & "/dest/two.log"), True, "a trailing separator names a folder"
Test.Equal fso.GetFolder(folder & "/dest").Files.Count, 2, "no temporary file is left"
On Error Resume Next
fso.CopyFile folder & "/tree/one.txt", folder & "/copy.txt", False
Test.Equal Err.Number, 58, "CopyFile without overwrite onto a file"
Err.Clear
fso.CopyFile folder & "/tree/none.txt", folder & "/x.txt"
Test.Equal Err.Number, 53, "CopyFile of a missing file"
Err.Clear
fso.CopyFile folder & "/tree/*.none", folder & "/dest"
Test.Equal Err.Number, 53, "wildcards that match nothing"
Err.Clear
fso.CopyFile folder & "/tree/one.txt", folder & "/missing/"
Test.Equal Err.Number, 76, "into a missing folder"
Err.Clear
fso.CopyFile folder & "/tree/one.txt", folder & "/dest"
Test.Equal Err.Number, 70, "onto a folder named without a trailing separator"
Err.Clear
fso.MoveFile folder & "/copy.txt", folder & "/dest/one.txt"
Test.Equal Err.Number, 58, "MoveFile onto an existing file"
Err.Clear
fso.MoveFile folder & "/none.txt", folder & "/dest/x.txt"
Test.Equal Err.Number, 53, "MoveFile of a missing file"
Err.Clear
fso.DeleteFile folder & "/none.txt"
Test.Equal Err.Number, 53, "DeleteFile of a missing file"
Err.Clear
fso.DeleteFile folder & "/tree"
Test.Equal Err.Number, 53, "DeleteFile of a folder"
Err.Clear
fso.DeleteFolder folder & "/none"
Test.Equal Err.Number, 76, "DeleteFolder of a missing folder"
Err.Clear
fso.DeleteFolder folder & "/copy.txt"
Test.Equal Err.Number, 76, "DeleteFolder of a file"
Err.Clear
fso.DeleteFile ""
Test.Equal Err.Number, 5, "an empty path"
Err.Clear
On Error GoTo 0
fso.MoveFile folder & "/copy.txt", folder & "/moved.txt"
Test.Same fso.FileExists(folder & "/copy.txt"), False, "MoveFile takes the file away"
Test.Equal Fixture.ReadFile(folder & "/moved.txt"), "12345", "and puts it there"
fso.MoveFile folder & "/dest/*", folder & "/tree/inner"
Test.Equal fso.GetFolder(folder & "/tree/inner").Files.Count, 3, "MoveFile with wildcards"
Test.Equal fso.GetFolder(folder & "/dest").Files.Count, 0, "leaves nothing behind"
Test.Equal shell.Run("chmod a-w '" & folder & "/moved.txt'", 0, True), 0, "make a file read-only"
On Error Resume Next
fso.DeleteFile folder & "/moved.txt"
Test.Equal Err.Number, 70, "a read-only file needs force"
Err.Clear
On Error GoTo 0
fso.DeleteFile folder & "/moved.txt", True
Test.Same fso.FileExists(folder & "/moved.txt"), False, "deleted with force"
fso.DeleteFile folder & "/tree/inner/*.txt"
Test.Equal fso.GetFolder(folder & "/tree/inner").Files.Count, 1, "DeleteFile with wildcards: two.log is left"
fso.GetFile(folder & "/tree/inner/two.log").Delete
Test.Equal fso.GetFolder(folder & "/tree/inner").Files.Count, 0, "File.Delete"
fso.CreateFolder folder & "/tree2"
fso.DeleteFolder folder & "/tree*"
Test.Same fso.FolderExists(folder & "/tree"), False, "DeleteFolder with wildcards, with all it holds"
Test.Same fso.FolderExists(folder & "/tree2"), False, "every match"
Test.Same fso.FolderExists(folder & "/dest"), True, "only what matches"
Fixture.WriteFile folder & "/dest/noext", "1"
Fixture.WriteFile folder & "/dest/a1.txt", "2"
Fixture.WriteFile folder & "/dest/a22.txt", "3"
fso.DeleteFile folder & "/dest/a?.txt"
Test.Equal fso.GetFolder(folder & "/dest").Files.Count, 2, "? stands for one character"
fso.DeleteFile folder & "/dest/*.*"
Test.Equal fso.GetFolder(folder & "/dest").Files.Count, 0, "*.* matches names without an extension too"
