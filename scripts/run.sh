#!/usr/bin/env bash
# Builds the calculator and starts it. The window isn't there yet: for now
# this starts nimbrel-cli, the whole calculator at the terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j2 --target nimbrel-cli >/dev/null
cat <<'TXT'
The calculator's window is not built yet; this is nimbrel-cli, the same
calculator at the terminal. For example: 2 enter 3 +   VK_F12 VK_NEXT (n!)
ctrl+VK_INSERT (copy). Ctrl+D ends.
TXT
exec build/native/nimbrel-cli "$@"
