#!/usr/bin/env bash
# Builds the program and makes the Debian package build/kbxt_<version>_amd64.deb.
# Install it with: sudo apt-get install ./build/kbxt_*_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
cd build
cpack -G DEB
