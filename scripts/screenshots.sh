#!/usr/bin/env bash
# Retakes the screenshots of the user manual (resources/使用手册/images/) and of
# the README (docs/screenshots/) from the real windows, offscreen, on a demo
# school. Optional arguments name the windows to take (frmMain, frmPrint ...).
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/build.ninja ] || [ -f build/Makefile ] || cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target kbxt-screenshots kbxt_share >/dev/null
QT_QPA_PLATFORM=offscreen build/bin/kbxt-screenshots . "$@"
