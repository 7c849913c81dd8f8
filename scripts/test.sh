#!/usr/bin/env bash
# Builds everything and runs every test: the native build, then the Windows
# build under Wine. Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
scripts/deps.sh
JOBS=${JOBS:-2}
quiet() { "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; "$@"; exit 1; }; }
# A build (of the named targets, or of all) shows its compiler's complaints,
# and only those.
build() {
  local dir=$1
  shift
  cmake --build "$dir" -j"$JOBS" ${1:+--target "$@"} 2>&1 | { grep -E 'error|warning' || true; }
}

# Each stage's heading says how long the whole run has taken so far.
stage() { echo "== $* (at ${SECONDS}s)"; }
stage "the set-up's decisions (a fake apt-get), the layers' include direction, no Windows header in portable code, function lengths"
tests/scripts/deps_test.sh
python3 scripts/check-layers.py --self-test && python3 scripts/check-layers.py
scripts/check-functions.sh

stage "native build"
quiet cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo
build build/native
ctest --test-dir build/native --output-on-failure -j"$JOBS"

stage "native unit and CLI tests again under AddressSanitizer and UndefinedBehaviorSanitizer"
quiet cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBREL_SANITIZE=ON -DNIMBREL_BENCH=OFF
build build/asan unit_tests nimbrel-cli
# Any report ends the program with a failure (-fno-sanitize-recover), leaks included.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build/asan --output-on-failure -j"$JOBS" -E '^cli$'
tests/cli/cli_test.sh build/asan/nimbrel-cli

stage "the fuzz harnesses (clang, libFuzzer) on their committed corpora, no new search"
tests/fuzz/build.sh "$JOBS"
tests/fuzz/replay.sh
unset ASAN_OPTIONS UBSAN_OPTIONS

stage "Windows build (i686, the release target)"
quiet cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  build build/win32            # its tests run under wine32 below
else
  build build/win32 Nimbrel nimbrel-cli   # nothing of it can run here: the programs only
fi
# What a user downloads stays small: the stripped exe (art included) at most
# 3 MB, the zip at most 1.5 MB.
build build/win32 dist
while read -r file most; do
  size=$(stat -c %s "$file")
  echo "$file: $size bytes (at most $most)"
  [ "$size" -le "$most" ] || { echo "$file is over its size budget" >&2; exit 1; }
done <<'BUDGET'
build/win32/dist/Nimbrel.exe 3145728
build/win32/Nimbrel.zip 1572864
BUDGET

stage "the Windows build Wine runs here, and its prefix"
. scripts/wine-env.sh
nimbrel_wine_env "$ROOT" "$JOBS"
# The Windows tests make real windows: they get a virtual display of their own.
. scripts/xvfb.sh
start_xvfb "${NIMBREL_TEST_DISPLAY:-94}"
# Our own server, so that ctest doesn't wait on one that a test started.
wineserver -p60 2>/dev/null || true   # (already running is fine)
# Wine's own background processes start with the session's first program and
# inherit its output. Started here, they hold /dev/null; started by the first
# test, they would hold ctest's pipe and keep it waiting a minute.
"$WINE" cmd /c exit >/dev/null 2>&1 || true
trap 'wineserver -k 2>/dev/null || true; kill "$XVFB" 2>/dev/null || true' EXIT

stage "Windows tests under Wine ($ARCH)"
ctest --test-dir "$WINBUILD" --output-on-failure

stage "nimbrel-cli.exe under Wine"
tests/cli/cli_test.sh scripts/wine-run "$WINBUILD/nimbrel-cli.exe"

stage "Nimbrel.exe end to end under Wine (screenshots in build/screenshots)"
tests/e2e/e2e.sh "$WINBUILD/Nimbrel.exe" "$NIMBREL_WINEPREFIX" "$WINE" build/screenshots

# These report every scenario, and a failure in one doesn't hide the
# others': the run fails at its end.
scenarios_failed=
stage "Nimbrel.exe in Wine's desktop mode: frames, taskbar, tray, stored places"
tests/e2e/desktop.sh "$WINBUILD/Nimbrel.exe" "$NIMBREL_WINEPREFIX" "$WINE" build/screenshots || scenarios_failed+=" desktop"
stage "Nimbrel.exe at 100, 150 and 200 %"
tests/e2e/dpi.sh "$WINBUILD/Nimbrel.exe" "$NIMBREL_WINEPREFIX" "$WINE" build/screenshots || scenarios_failed+=" dpi"
stage "Nimbrel.exe typed on the US, German and French layouts"
tests/e2e/layouts.sh "$WINBUILD/Nimbrel.exe" "$NIMBREL_WINEPREFIX" "$WINE" build/screenshots || scenarios_failed+=" layouts"

stage "Nimbrel.exe soaked: a tenth of the soak benchmark (objects steady, 5.0000 and the face at the end)"
WINE=$WINE WINBUILD=$WINBUILD bench/soak/run-soak.sh --short || scenarios_failed+=" soak"

stage "native and Windows results compared bit for bit"
build/native/core_fingerprint > build/fingerprint-native.txt
scripts/wine-run "$WINBUILD/core_fingerprint.exe" | tr -d '\r' > build/fingerprint-windows.txt
if cmp -s build/fingerprint-native.txt build/fingerprint-windows.txt; then
  echo "identical: $(wc -l < build/fingerprint-native.txt) results"
else
  diff build/fingerprint-native.txt build/fingerprint-windows.txt | head -20
  echo "native and Windows results differ" >&2
  exit 1
fi
if [ -n "$scenarios_failed" ]; then
  echo "end-to-end scenarios failed:$scenarios_failed (see above; screenshots in build/screenshots)" >&2
  exit 1
fi
echo "== done in ${SECONDS}s"
