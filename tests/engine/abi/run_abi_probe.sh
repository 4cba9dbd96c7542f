#!/usr/bin/env bash
# Runs the C probe against libvortalux.so in a fresh program directory without a display, and
# checks what the engine handed over. Usage: run_abi_probe.sh PROBE LIBRARY RULES_DIR
set -euo pipefail
probe=$1 library=$2 rules=$3
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/Rules" "$home/Managers"
cp "$rules/Generic thumbnail suffix.vtl" "$home/Rules/"
printf '[Main]\r\nver=1\r\nDefault=1\r\n[SCRIPT]\r\n\r\nSub AddLink(r, u, n)\r\nEnd Sub\r\n' >"$home/Managers/Wget.vtm"
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM VORTALUX_HOME="$home" "$probe" "$library" "$1"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

version=$(run version)
[[ $version == $'0.1.4\nagain 0.1.4' ]] || fail "version: $version"

out=$(run url 2>/dev/null)
[[ $out == *$'AddLink\thttp://pics.example/\thttp://pics.example/a/cat.jpg\tcat.jpg'* ]] || fail "url: $out"

out=$(run list 2>"$home/err")
[[ $out == *$'AddList\thttp://pics.example/\t1\n\thttp://pics.example/a/cat.jpg\tcat.jpg'* ]] || fail "list: $out"
grep -q '^Terminé$' "$home/err" || fail "no progress on standard error"
echo "C interface: version, one link and a list handed over"
