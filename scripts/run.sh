#!/usr/bin/env bash
# Builds the calculator and starts it. The window isn't there yet: for now
# this builds the core and runs its demonstration in the terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j2 --target nimbrel-demo >/dev/null
echo "The calculator's window is not built yet; running the core's demonstration instead."
exec build/native/nimbrel-demo
