#!/usr/bin/env bash
# Remakes resources/HomePage.jpg and the icon files under packaging/icons/.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cmake -S "$root/tools/art" -B "$work" -G Ninja >/dev/null
cmake --build "$work" >/dev/null
QT_QPA_PLATFORM=offscreen "$work/drawart" "$root"
