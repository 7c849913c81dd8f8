#!/usr/bin/env bash
# Runs the fuzz harnesses of tests/fuzz, one process on one core at a time,
# each from its committed seed corpus and for a number of executions, and
# prints what each did: executions, key presses (fuzz_keys), coverage
# (cov: edges, ft: features), corpus size, findings and time. Findings (the
# inputs that broke something) are kept in build/fuzz/findings/<harness>/.
# Never fails: a finding is a figure to look at, not a broken run.
#
#   bench/fuzz/run-fuzz.sh [--only NAME] [--keys N] [--pastes N]
#                          [--images N] [--entries N] [--formats N] [--timeout SECONDS]
#
# Defaults: 10 million key presses, a million pastes, a million registry
# images, a million entry sequences, ten million formatted values. The corpus grown meanwhile stays in
# build/fuzz/corpus/<harness>/ (copy a minimised one into tests/fuzz/corpus
# with --merge by hand).
set -uo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD

ONLY=
KEYS=10000000 PASTES=1000000 IMAGES=1000000 ENTRIES=1000000 FORMATS=10000000
TIMEOUT=10
while [ $# -gt 0 ]; do
  case $1 in
    --only) ONLY=$2; shift 2 ;;
    --keys) KEYS=$2; shift 2 ;;
    --pastes) PASTES=$2; shift 2 ;;
    --images) IMAGES=$2; shift 2 ;;
    --entries) ENTRIES=$2; shift 2 ;;
    --formats) FORMATS=$2; shift 2 ;;
    --timeout) TIMEOUT=$2; shift 2 ;;
    *) echo "usage: $0 [--only NAME] [--keys N] [--pastes N] [--images N] [--entries N] [--formats N] [--timeout S]" >&2; exit 0 ;;
  esac
done

if ! tests/fuzz/build.sh >/dev/null; then
  echo "the fuzz harnesses didn't build (see tests/fuzz/build.sh)"
  exit 0
fi
B=build/fuzz

# run HARNESS RUNS MAXLEN LOG: one libFuzzer process from the grown corpus
# (seeded from the committed one), RUNS executions.
run() {
  local h=$1 runs=$2 maxlen=$3 log=$4
  mkdir -p "$B/corpus/$h" "$B/findings/$h"
  cp -n tests/fuzz/corpus/"$h"/* "$B/corpus/$h/" 2>/dev/null
  "$B/$h" "$B/corpus/$h" -runs="$runs" -max_len="$maxlen" -timeout="$TIMEOUT" -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$B/findings/$h/" -close_fd_mask=0 >>"$log" 2>&1
}

# The figures of a log: the last status line's cov, ft and corpus, the
# executions done, findings.
summary() {
  local h=$1 log=$2 seconds=$3 extra=$4
  local last cov ft corp execs found
  last=$(grep -E '^#[0-9]+' "$log" | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  corp=$(sed -n 's/.* corp: \([0-9]*\/[0-9a-zA-Z]*\).*/\1/p' <<<"$last")
  execs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{s += $2} END {print s + 0}')
  found=$(ls "$B/findings/$h" | wc -l)
  printf '%-14s %12s executions %s cov %-6s ft %-7s corpus %-12s findings %-3s %6ss\n' \
    "$h" "$execs" "$extra" "${cov:-?}" "${ft:-?}" "${corp:-?}" "$found" "$seconds"
  grep -E 'ERROR|invariant broken|SUMMARY' "$log" | sort | uniq -c | head -5
}

harness() {
  local h=$1 want=$2 maxlen=$3
  [ -n "$ONLY" ] && [ "$ONLY" != "$h" ] && return
  local log="$B/$h.log"
  : >"$log"
  local start=$SECONDS
  if [ "$h" = fuzz_keys ]; then
    # Rounds until enough key presses are done: each round's executions from
    # the key presses per execution of the round before.
    local presses=0 perRun=50 round
    while [ "$presses" -lt "$want" ]; do
      round=$(( (want - presses) / perRun + 1 ))
      [ "$round" -lt 1000 ] && round=1000
      run "$h" "$round" "$maxlen" "$log.round"
      local got
      got=$(sed -n 's/^fuzz_keys: \([0-9]*\) key presses$/\1/p' "$log.round" | tail -1)
      cat "$log.round" >>"$log"
      rm -f "$log.round"
      [ -z "$got" ] && break   # it stopped on a finding
      presses=$((presses + got))
      perRun=$(( got / round )); [ "$perRun" -lt 1 ] && perRun=1
    done
    summary "$h" "$log" $((SECONDS - start)) "$(printf '%11s key presses' "$presses")"
  else
    run "$h" "$want" "$maxlen" "$log"
    summary "$h" "$log" $((SECONDS - start)) "                        "
  fi
}

echo "fuzzing from $(git -C "$ROOT" rev-parse --short HEAD), one process at a time"
harness fuzz_keys "$KEYS" 1024
harness fuzz_paste "$PASTES" 256
harness fuzz_settings "$IMAGES" 1024
harness fuzz_entry "$ENTRIES" 256
harness fuzz_format "$FORMATS" 16
exit 0
