#!/usr/bin/env bash
# usage: check_install.sh CMAKE SOURCE_DIR BUILD_DIR
set -uo pipefail
cmake_cmd=$1 src=$2 build=$3

work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

stage=$work/stage
if ! DESTDIR=$stage "$cmake_cmd" --install "$build" --prefix /usr >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi
root=$stage/usr

# The programs.
for exe in kbxt kbxt-cli kbxt-print; do
    [ -x "$root/bin/$exe" ] || fail "bin/$exe missing or not executable"
done

# Every delivered file of resources/ (schema.sql is built into kb.db instead).
while IFS= read -r -d '' f; do
    rel=${f#"$src/resources/"}
    [ "$rel" = schema.sql ] && continue
    [ -f "$root/share/kbxt/$rel" ] || fail "share/kbxt/$rel missing"
done < <(find "$src/resources" -type f -print0)
for rel in kb.db HomePage.jpg 使用手册/使用手册.html; do
    [ -f "$root/share/kbxt/$rel" ] || fail "share/kbxt/$rel missing"
done
head -c 15 "$root/share/kbxt/kb.db" 2>/dev/null | grep -q "SQLite format 3" ||
    fail "share/kbxt/kb.db is not an SQLite database"

# Menu entry and icon.
desktop=$root/share/applications/kbxt.desktop
if [ -f "$desktop" ]; then
    grep -qx 'Exec=kbxt' "$desktop" || fail "desktop entry does not run kbxt"
    grep -qx 'Icon=kbxt' "$desktop" || fail "desktop entry does not name the icon kbxt"
    grep -q '^Categories=.*Education;' "$desktop" || fail "desktop entry not in Education"
    # The menu shows the product name of the captions and the about window.
    grep -qx 'Name=塔沃林排课软件' "$desktop" || fail "desktop entry's Name is not the product name"
    grep -qx 'GenericName=排课软件' "$desktop" || fail "desktop entry's GenericName is not 排课软件"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$desktop" || fail "desktop-file-validate"
    else
        echo "desktop-file-validate not installed (desktop-file-utils): skipping"
        [ $failures -eq 0 ] && exit 77
    fi
else
    fail "share/applications/kbxt.desktop missing"
fi
[ -f "$root/share/icons/hicolor/scalable/apps/kbxt.svg" ] || fail "scalable icon missing"
for size in 16 32 48 64 128 256; do
    [ -f "$root/share/icons/hicolor/${size}x${size}/apps/kbxt.png" ] || fail "${size}px icon missing"
done

# The installed program, started on an empty application directory, copies the
# delivered kb.db there and opens it (the open database keeps a -wal file).
home=$work/home
mkdir -p "$home"
KBXT_HOME=$home "$root/bin/kbxt" >"$work/kbxt.log" 2>&1 &
pid=$!
for _ in $(seq 100); do
    [ -f "$home/kb.db-wal" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if [ -f "$home/kb.db-wal" ] && head -c 15 "$home/kb.db" | grep -q "SQLite format 3"; then
    sleep 0.3
    kill -0 "$pid" 2>/dev/null || fail "installed kbxt ended right after opening its database"
else
    cat "$work/kbxt.log"
    fail "installed kbxt did not start on the delivered database"
fi
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
pid=

[ $failures -eq 0 ] && echo "install layout OK"
[ $failures -eq 0 ]
