#!/usr/bin/env bash
# An installed copy works from its own folder: `cmake --install` into a staging folder, then the
# installed programs run from there; vtl without its engine ends with a message naming the file.
set -euo pipefail
build_dir=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$stage/root" cmake --install "$build_dir" --prefix /opt/vortalux >/dev/null
program_dir="$stage/root/opt/vortalux"
for file in vtl vtlupd vortalux vortalux-native-host libvortalux.so Rules Managers; do
  [ -e "$program_dir/$file" ] || fail "$file is not installed"
done
entry="$stage/root/usr/share/applications/vortalux-vtl.desktop"
grep -qx 'Exec="/opt/vortalux/vtl"' "$entry" || fail "the menu entry does not start /opt/vortalux/vtl"
[ -f "$stage/root/usr/share/icons/hicolor/scalable/apps/vortalux.svg" ] || fail "no icon"

export QT_QPA_PLATFORM=offscreen VORTALUX_HOME=
"$program_dir/vortalux" version | grep -q . || fail "the installed vortalux does not run"
# {"cmd":"version"} behind its length, 17, in the machine's (little-endian) byte order.
reply=$(printf '\x11\x00\x00\x00{"cmd":"version"}' | "$program_dir/vortalux-native-host" | tail -c +5)
[[ "$reply" == '{"ok":true,"version":"'* ]] || fail "the installed host answered: $reply"
VORTALUX_QUIT_AFTER_FIRST_PAINT=1 timeout 60 "$program_dir/vtl" 2>"$stage/vtl.err" \
  || fail "the installed vtl did not start: $(cat "$stage/vtl.err")"

mkdir "$stage/alone"
cp "$program_dir/vtl" "$stage/alone/"
status=0
timeout 60 "$stage/alone/vtl" 2>"$stage/alone.err" || status=$?
[ "$status" -eq 1 ] || fail "vtl without its engine exited with $status"
grep -q "The engine could not be loaded" "$stage/alone.err" || fail "no message: $(cat "$stage/alone.err")"
grep -q "$stage/alone/libvortalux.so" "$stage/alone.err" || fail "the message does not name the file"
echo "install: ok"
