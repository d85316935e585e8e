#!/usr/bin/env bash
# Configures and builds into build/ at the repository root. Arguments are passed
# to CMake's configure step (CI gives -DKBXT_WERROR=ON).
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
# ccache, where present, makes rebuilds of other checkouts and CI reruns cheap.
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
cmake --build build --parallel "$(nproc)"
