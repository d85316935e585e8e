#!/usr/bin/env bash
# Sets up, builds and runs every test. Arguments are passed to CMake's configure
# step, as in scripts/build.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh "$@"
cd build
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
