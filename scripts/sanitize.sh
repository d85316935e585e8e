#!/usr/bin/env bash
# Builds into build-asan/ with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test there: any memory fault, leak or undefined behaviour fails
# the test that caused it. Arguments are passed to CMake's configure step.
# Unoptimised: the suites still run in about a minute, and the build takes half
# the time of an optimised one on a 2-core machine.
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKBXT_SANITIZE=ON \
    "${launcher[@]}" "$@" >/dev/null
cmake --build build-asan --parallel "$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
cd build-asan
ctest --output-on-failure --parallel "$(nproc)" --timeout 900
