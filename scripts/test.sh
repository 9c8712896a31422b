#!/usr/bin/env bash
# The test command: installs what the build needs, then configures, builds and
# runs every test twice, in the normal build and in the sanitizer build
# (AddressSanitizer + UndefinedBehaviorSanitizer), and the tests labelled
# "threaded" a third time under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1

echo "== normal build"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release -j "$jobs"
ctest --test-dir build/release -j "$jobs" --timeout 300

echo "== sanitizer build"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMENVARO_SANITIZE=ON -DMENVARO_BENCH=OFF
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/asan -j "$jobs" --timeout 600

echo "== thread sanitizer build (threaded tests only)"
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMENVARO_TSAN=ON -DMENVARO_BENCH=OFF
cmake --build build/tsan -j "$jobs" --target menvaro_threaded_tests
TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan.supp" \
  ctest --test-dir build/tsan -L threaded -j "$jobs" --timeout 600

echo "== all tests passed"
