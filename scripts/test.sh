#!/usr/bin/env bash
# Installs what is missing, builds Vellacor twice (optimised, and with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test in both builds, and runs each fuzz target
# briefly from its seeds.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh test

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVELLACOR_SANITIZE=ON -DVELLACOR_TESTS=ON
cmake --build build-sanitize -j"$jobs"
cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++-14
cmake --build build-fuzz -j"$jobs"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVELLACOR_TESTS=ON -DVELLACOR_BENCH=ON
cmake --build build -j"$jobs"

echo "== Tests, sanitizer build"
(cd build-sanitize && ctest --output-on-failure)
echo "== Fuzzing from the seed corpus"
(cd build-fuzz && ctest --output-on-failure)
echo "== Tests"
(cd build && ctest --output-on-failure)
