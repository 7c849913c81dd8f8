#!/usr/bin/env bash
# Replays the committed corpora through the fuzz harnesses (each input once,
# no new search): any sanitizer report or broken invariant fails.
# Usage: tests/fuzz/replay.sh (after tests/fuzz/build.sh)
set -uo pipefail
cd "$(dirname "$0")/../.."
failed=
for h in fuzz_keys fuzz_paste fuzz_settings fuzz_entry fuzz_format; do
  inputs=(tests/fuzz/corpus/"$h"/*)
  if build/fuzz/"$h" -timeout=30 "${inputs[@]}" >build/fuzz/"$h".replay.log 2>&1; then
    echo "$h: ${#inputs[@]} inputs replayed"
  else
    failed+=" $h"
    grep -E 'invariant broken|ERROR|SUMMARY|Running' build/fuzz/"$h".replay.log | tail -8
  fi
done
if [ -n "$failed" ]; then
  echo "fuzz corpora failed:$failed (logs in build/fuzz/*.replay.log)" >&2
  exit 1
fi
