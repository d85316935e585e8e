#!/usr/bin/env bash
# usage: check_screenshots.sh KBXT_SCREENSHOTS
set -uo pipefail
tool=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

if ! "$tool" "$out" >"$out/list" 2>"$out/err"; then
    cat "$out/err"
    fail "the tool failed"
fi
# Every picture it reports is a PNG of its own.
while IFS= read -r f; do
    p=$f
    [ "${p#/}" = "$p" ] && p=$PWD/$p
    head -c 8 "$p" 2>/dev/null | grep -q PNG || fail "$f is not a PNG"
done <"$out/list"
main=$out/docs/screenshots/main.png
[ -f "$out/resources/使用手册/images/frmMain.png" ] || fail "frmMain.png missing"
# A main window without its background picture compresses to a few KB.
[ -f "$main" ] && [ "$(stat -c %s "$main")" -gt 100000 ] ||
    fail "main.png missing or without the background picture"

"$tool" "$out" frmNoSuchWindow >/dev/null 2>&1
[ $? -eq 2 ] || fail "an unknown window name is not refused"

[ $failures -eq 0 ] && echo "screenshots OK"
[ $failures -eq 0 ]
