#!/usr/bin/env bash
# Builds the fuzz harnesses in build/fuzz with clang's libFuzzer and the
# sanitizers; installs clang and its fuzzer runtime first when missing.
# Usage: tests/fuzz/build.sh [JOBS]
set -euo pipefail
cd "$(dirname "$0")/../.."
JOBS=${1:-${JOBS:-1}}
runtime() { ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; }
if ! command -v clang++ >/dev/null || ! runtime; then
  scripts/deps.sh
fi
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_FUZZ=ON \
  -DNIMBREL_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build build/fuzz -j"$JOBS" --target fuzz_keys fuzz_paste fuzz_settings fuzz_entry fuzz_format 2>&1 |
  { grep -E 'error|warning' || true; }
test -x build/fuzz/fuzz_keys && test -x build/fuzz/fuzz_paste && test -x build/fuzz/fuzz_settings &&
  test -x build/fuzz/fuzz_entry && test -x build/fuzz/fuzz_format
