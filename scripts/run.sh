#!/usr/bin/env bash
# Installs what is missing, builds Vellacor and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh build

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVELLACOR_TESTS=OFF -DVELLACOR_BENCH=OFF
cmake --build build -j"$(nproc 2>/dev/null || echo 2)" --target vellacor
exec build/app/vellacor
