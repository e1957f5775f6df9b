#!/usr/bin/env bash
# Builds and runs every test: a warning-free release build and its CTest,
# then the AddressSanitizer + UndefinedBehaviorSanitizer build and its CTest
# (with clang, which also builds and runs the libFuzzer targets).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_build_deps
ensure_python_deps
ensure_browser

jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1

echo "== release build (g++, -Wall -Wextra -Werror)"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++
cmake --build build/release -j "$jobs"
ctest --test-dir build/release -j "$jobs"

echo "== sanitizer build (AddressSanitizer + UBSan, clang, fuzz targets)"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DVEXA_SANITIZE=ON -DVEXA_FUZZ=ON -DVEXA_WERROR=OFF
cmake --build build/sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/sanitize -j "$jobs"
