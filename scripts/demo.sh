#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program in ./demo (its working directory).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target corvane-control
mkdir -p demo
cd demo
exec ../build/src/corvane-control
