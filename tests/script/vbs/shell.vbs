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
