#!/usr/bin/env bash
# Runs the C probe against libvortalux.so in a fresh program directory without a display, and
# checks what the engine handed over. Usage: run_abi_probe.sh PROBE LIBRARY RULES_DIR
set -euo pipefail
probe=$1 library=$2 rules=$3
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/Rules" "$home/Managers"
cp "$rules/Generic thumbnail suffix.vtl" "$home/Rules/"
# A definition that writes down what it is handed.
sed 's/$/\r/' >"$home/Managers/Recorder.vtm" <<'VBS'
[Main]
ver=1
Default=1
[SCRIPT]

Sub Record(text)
  Dim folder, file
  folder = CreateObject("WScript.Shell").ExpandEnvironmentStrings("%VORTALUX_HOME%")
  Set file = CreateObject("Scripting.FileSystemObject").OpenTextFile(folder & "/handed.txt", 8, True)
  file.Write text & vbLf
  file.Close
End Sub
Sub AddLink(r, u, n)
  Record "AddLink" & vbTab & r & vbTab & u & vbTab & n
End Sub
Sub AddList(r, l)
  Dim i, s
  s = "AddList" & vbTab & r & vbTab & ((UBound(l) + 1) \ 2)
  For i = 0 To UBound(l) Step 2
    s = s & vbLf & vbTab & l(i) & vbTab & l(i + 1)
  Next
  Record s
End Sub
VBS
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM VORTALUX_HOME="$home" "$probe" "$library" "$1"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

version=$(run version)
[[ $version == $'0.1.4\nagain 0.1.4' ]] || fail "version: $version"

handed() { cat "$home/handed.txt"; rm -f "$home/handed.txt"; }

run url 2>/dev/null >/dev/null
out=$(handed)
[[ $out == *$'AddLink\thttp://pics.example/\thttp://pics.example/a/cat.jpg\tcat.jpg'* ]] || fail "url: $out"

run list 2>"$home/err" >/dev/null
out=$(handed)
[[ $out == *$'AddList\thttp://pics.example/\t1\n\thttp://pics.example/a/cat.jpg\tcat.jpg'* ]] || fail "list: $out"
grep -q '^Terminé$' "$home/err" || fail "no progress on standard error"
echo "C interface: version, one link and a list handed over"
