' WScript.Shell: commands through /bin/sh, waiting or not, and environment strings.
Option Explicit
Dim shell, fso, folder, marker, started, finished, i, home

Set shell = CreateObject("WScript.Shell")
Set fso = CreateObject("Scripting.FileSystemObject")
folder = Fixture.Folder

' ---- Waiting: the exit code comes back ----
Test.Same shell.Run("exit 7", 0, True), CLng(7), "exit code"
Test.Same shell.Run("true", 1, True), CLng(0), "success"
Test.Same shell.Run("kill -TERM $$", 0, True), CLng(143), "ended by a signal: 128 + its number"
Test.Same shell.Run("read line", 0, True), CLng(1), "standard input is empty, not the caller's"
Test.Same shell.Run("printf '%s|' ""a b"" 'c'\''d' > '" & folder & "/out.txt'", 0, True), CLng(0), "the shell reads the line"
Test.Equal Fixture.ReadFile(folder & "/out.txt"), "a b|c'd|", "what the command wrote"
Test.Equal Fixture.Children, 0, "waited-for children are reaped"

' ---- Not waiting: 0 at once, the command runs on, and nothing is left to reap ----
marker = folder & "/late.txt"
started = Timer
Test.Same shell.Run("sleep 0.3; echo done > '" & marker & "'"), CLng(0), "no wait by default"
Test.Same shell.Run("exit 9", 0, False), CLng(0), "the exit code of a detached run is not known"
Test.Check Timer - started < 0.25, "returned before the command ended"
Test.Check Not fso.FileExists(marker), "the command is still running"
Test.Equal Fixture.Children, 0, "a detached command is no child of ours"
finished = False
For i = 1 To 100
    If fso.FileExists(marker) Then
        finished = True
        Exit For
    End If
    shell.Run "sleep 0.02", 0, True
Next
Test.Check finished, "the detached command ran to its end"

' ---- Environment strings ----
shell.Run "printf '%s' ""$HOME"" > '" & folder & "/home.txt'", 0, True
home = Fixture.ReadFile(folder & "/home.txt")
Test.Check home <> "", "HOME is set for the tests"
Test.Equal shell.ExpandEnvironmentStrings("%HOME%/x"), home & "/x", "a known name"
Test.Equal shell.ExpandEnvironmentStrings("%home%"), home, "names match in any case, as on Windows"
Test.Equal shell.ExpandEnvironmentStrings("%HOME%%HOME%"), home & home, "twice"
Test.Equal shell.ExpandEnvironmentStrings("%VORTALUX_SURELY_UNSET%"), "%VORTALUX_SURELY_UNSET%", "unknown names stay"
Test.Equal shell.ExpandEnvironmentStrings("a%UNSET_X%HOME%b"), "a%UNSET_X" & home & "b", "the closing % of an unknown name may open the next"
Test.Equal shell.ExpandEnvironmentStrings("50% off %"), "50% off %", "lone percent signs"
Test.Equal shell.ExpandEnvironmentStrings("%%"), "%%", "empty name"
Test.Equal shell.ExpandEnvironmentStrings(""), "", "empty text"

' ---- Wrong use ----
On Error Resume Next
shell.Run
Test.Equal Err.Number, 450, "Run needs a command"
Err.Clear
shell.Launch "true"
Test.Equal Err.Number, 438, "unknown method"
Err.Clear
On Error GoTo 0

' ---- Environment("PROCESS") ----
Dim env, exec, lines, before, item, count
Set env = shell.Environment("PROCESS")
Test.Equal TypeName(env), "IWshEnvironment", "TypeName"
Test.Equal env("HOME"), home, "Item is the default member"
Test.Equal env.Item("home"), home, "in any letter case"
Test.Same env("VORTALUX_SURELY_UNSET"), "", "an unset variable reads as empty"
env("VORTALUX_TEST_VAR") = "a b=c"
Test.Equal env("VORTALUX_TEST_VAR"), "a b=c", "written"
Test.Equal shell.Environment("Process").Item("VORTALUX_TEST_VAR"), "a b=c", "seen by another Environment object"
shell.Environment("PROCESS")("VORTALUX_TEST_VAR2") = "d"
Test.Equal env("VORTALUX_TEST_VAR2"), "d", "written through the result of Environment(...)"
env.Remove "VORTALUX_TEST_VAR2"
Test.Equal shell.ExpandEnvironmentStrings("%VORTALUX_TEST_VAR%"), "a b=c", "and by ExpandEnvironmentStrings"
shell.Run "printf '%s' ""$VORTALUX_TEST_VAR"" > '" & folder & "/var.txt'", 0, True
Test.Equal Fixture.ReadFile(folder & "/var.txt"), "a b=c", "and by the commands Run starts"
count = 0
For Each item In env
    If item = "VORTALUX_TEST_VAR=a b=c" Then count = count + 1
Next
Test.Equal count, 1, "For Each gives NAME=value"
before = env.Count
env.Remove "VORTALUX_TEST_VAR"
Test.Same env("VORTALUX_TEST_VAR"), "", "removed"
Test.Equal env.Count, before - 1, "one fewer"
shell.Run "printf '%s' ""${VORTALUX_TEST_VAR-unset}"" > '" & folder & "/var.txt'", 0, True
Test.Equal Fixture.ReadFile(folder & "/var.txt"), "unset", "nor do the commands see it"
On Error Resume Next
Set env = shell.Environment("SYSTEM")
Test.Equal Err.Number, 5, "only the process environment exists here"
Err.Clear
On Error GoTo 0

' ---- CurrentDirectory ----
before = shell.CurrentDirectory
Test.Equal before, fso.GetAbsolutePathName("."), "the process's to start with"
fso.CreateFolder folder & "/cwd"
shell.CurrentDirectory = folder & "/cwd/"
Test.Equal shell.CurrentDirectory, folder & "/cwd", "set, without the trailing separator"
Fixture.WriteFile folder & "/cwd/here.txt", "x"
Test.Same fso.FileExists("here.txt"), True, "relative paths of FileSystemObject follow it"
Test.Equal fso.GetAbsolutePathName("a"), folder & "/cwd/a", "GetAbsolutePathName too"
shell.Run "pwd > out.txt", 0, True
Test.Equal Fixture.ReadFile(folder & "/cwd/out.txt"), folder & "/cwd" & vbLf, "commands start there"
shell.CurrentDirectory = ".."
Test.Equal shell.CurrentDirectory, folder, "relative to itself"
On Error Resume Next
shell.CurrentDirectory = folder & "/none"
Test.Equal Err.Number, 76, "a missing folder"
Test.Equal shell.CurrentDirectory, folder, "stays as it was"
Err.Clear
On Error GoTo 0
shell.CurrentDirectory = before

' ---- Exec ----
Set exec = shell.Exec("echo out1; echo err1 >&2; echo out2; exit 3")
Test.Equal TypeName(exec), "IWshExec", "TypeName"
Test.Equal VarType(exec.ProcessID), 3, "ProcessID is a Long"
Test.Check exec.ProcessID > 0, "ProcessID"
Test.Equal exec.StdOut.ReadAll, "out1" & vbLf & "out2" & vbLf, "StdOut.ReadAll"
Test.Equal exec.StdErr.ReadAll, "err1" & vbLf, "StdErr.ReadAll"
Test.Same exec.StdOut.AtEndOfStream, True, "at the end"
Do While exec.Status = 0
    shell.Run "sleep 0.01", 0, True
Loop
Test.Same exec.Status, CLng(1), "Status 1 once done"
Test.Same exec.ExitCode, CLng(3), "ExitCode"
Test.Equal exec.StdOut.ReadAll, "", "ReadAll at the end"

Set exec = shell.Exec("printf 'a\r\nb\n\nlast'")
lines = ""
Do While Not exec.StdOut.AtEndOfStream
    lines = lines & "[" & exec.StdOut.ReadLine & "]"
Loop
Test.Equal lines, "[a][b][][last]", "ReadLine: CR LF, LF, an empty line, no line end"
On Error Resume Next
exec.StdOut.ReadLine
Test.Equal Err.Number, 62, "ReadLine past the end"
Err.Clear
exec.StdOut.Write "x"
Test.Equal Err.Number, 54, "StdOut is for reading"
Err.Clear
exec.StdIn.ReadAll
Test.Equal Err.Number, 54, "StdIn is for writing"
Err.Clear
On Error GoTo 0

Set exec = shell.Exec("read a; read b; echo ""$b-$a""")
exec.StdIn.WriteLine "first"
exec.StdIn.Write "second" & vbLf
Test.Equal exec.StdOut.ReadLine, "second-first", "StdIn reaches the command"
Set exec = shell.Exec("cat")
exec.StdIn.Write "to the end"
exec.StdIn.Close
Test.Equal exec.StdOut.ReadAll, "to the end", "closing StdIn ends its input"
Set exec = shell.Exec("wc -c")
exec.StdIn.Write String(200000, "z")
exec.StdIn.Close
Test.Equal exec.StdOut.ReadAll, "200000" & vbLf, "more than a pipe holds"
Set exec = shell.Exec("i=0; while [ $i -lt 3000 ]; do echo 0123456789012345678901234567890123456789 >&2; i=$((i+1)); done; echo done")
Test.Equal exec.StdOut.ReadAll, "done" & vbLf, "a command that fills StdErr first does not stall StdOut"
Test.Equal Len(exec.StdErr.ReadAll), 3000 * 41, "and StdErr keeps it all"

Set exec = shell.Exec("sleep 30")
Test.Same exec.Status, CLng(0), "Status 0 while running"
Test.Same exec.ExitCode, CLng(0), "ExitCode 0 while running"
exec.Terminate
Test.Same exec.Status, CLng(1), "Terminate ends it"
Test.Same exec.ExitCode, CLng(143), "by SIGTERM"
Set exec = Nothing
Set exec = shell.Exec("exit 0")
Test.Equal exec.StdOut.ReadAll, "", "no output"
Set exec = Nothing
Test.Equal Fixture.Children, 0, "every Exec child is reaped"
