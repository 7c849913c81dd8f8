#!/usr/bin/env bash
# Fails when a function under src/ runs over 60 lines (pmccabe counts the
# lines of each function; tables are data, not functions, and don't count).
set -euo pipefail
cd "$(dirname "$0")/.."
LIMIT=${1:-60}
long=$(pmccabe -v $(find src -name '*.cpp' | sort) 2>/dev/null | awk -v limit="$LIMIT" '$5 + 0 > limit { print "  " $5 " lines: " $7 }')
if [ -n "$long" ]; then
  echo "functions over $LIMIT lines:" >&2
  echo "$long" >&2
  exit 1
fi
echo "functions: none over $LIMIT lines"
