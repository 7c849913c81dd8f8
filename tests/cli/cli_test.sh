#!/usr/bin/env bash
# nimbrel-cli run as a process: arguments in, standard output and exit
# status compared. Usage: cli_test.sh COMMAND... (the program, or a runner
# and the program, such as scripts/wine-run build/win32/nimbrel-cli.exe)
set -u
CLI=("$@")
failed=0 passed=0
OUT=$(mktemp)
trap 'rm -f "$OUT"' EXIT

# expect NAME EXPECTED-STATUS EXPECTED-STDOUT -- ARGS...
expect() {
  local name=$1 status=$2 want=$3
  shift 4
  local got rc
  "${CLI[@]}" "$@" </dev/null >"$OUT" 2>/dev/null; rc=$?
  got=$(tr -d '\r' <"$OUT")
  if [ "$rc" = "$status" ] && [ "$got" = "$want" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAIL %s (status %s, want %s)\n--- got\n%s\n--- want\n%s\n' "$name" "$rc" "$status" "$got" "$want"
  fi
}

expect "typical sequence" 0 $'Y: 0.0000\nX: 5.0000' -- --lines 2 2 VK_RETURN 3 VK_ADD
expect "aliases" 0 $'Y: 0.0000\nX: 5.0000' -- --lines 2 2 enter 3 +
expect "events then lines" 0 $'clipboard 5.0000\nY: 0.0000\nX: 5.0000' -- --lines 2 2 enter 3 + ctrl+VK_INSERT
expect "paste" 0 $'Y: 0.0000\nX: 1,000.5000' -- --lines 2 --clipboard '$1,000.50' shift+VK_INSERT
expect "fault" 0 $'error Floating point division by zero\nY: 1.0000\nX: 0.0000' -- --lines 2 1 enter 0 /
expect "shift stays" 0 $'X: 0.0000\nshift on' -- --lines 1 VK_F12 5
expect "memory window" 0 $'memory STORE\nmemory close\nX: 7.0000' -- --lines 1 7 VK_LEFT 2 enter
expect "decimal code" 0 $'X: 9' -- --lines 1 '#57'
expect "the main keyboard's point" 0 $'X: 3.5000' -- --lines 1 3 VK_OEM_PERIOD 5 enter
expect "the menu from the keyboard" 0 $'menu\nmenu\nX: 0.0000' -- --lines 1 shift+VK_F10 VK_APPS VK_F10
expect "settings" 0 $'Y: 2.0000\nX: FF.8000' -- --lines 2 --set Base=16 --set Stack0=255.5 --set Stack1=2 VK_SPACE
expect "settings defaults" 0 'X: 0.0000' -- --lines 1 VK_SPACE
expect "settings by any case" 0 $'X: 7.00' -- --lines 1 --set decs=2 --set STACK0=7 VK_SPACE
expect "size marks" 0 $'size Small\nX: 0.0000' -- --lines 1 --set Large=0 --set Medium=1 VK_F12 VK_SUBTRACT
expect "memory letters" 0 $'Y: 0.0000\nX: 2.5000' -- --lines 2 --set MKey3=75 --set MValue3=2.5 K
expect "tall display" 0 $'9: 0.0000\n8: 0.0000\n7: 0.0000\n6: 0.0000\n5: 0.0000\n4: 0.0000\nW: 0.0000\nZ: 1.0000\nY: 2.0000\nX: 3' -- 1 enter 2 enter 3
expect "undo" 0 $'Y: 2.0000\nX: 3' -- --lines 2 2 enter 3 + ctrl+Z
expect "redo" 0 $'Y: 0.0000\nX: 5.0000' -- --lines 2 2 enter 3 + ctrl+Z ctrl+Y
expect "redo by ctrl+shift+Z" 0 $'Y: 0.0000\nX: 5.0000' -- --lines 2 2 enter 3 + ctrl+Z ctrl+shift+Z
expect "typing on after undo" 0 $'Y: 2.0000\nX: 34' -- --lines 2 2 enter 3 + ctrl+Z 4
expect "nothing to undo" 0 $'beep\nX: 0.0000' -- --lines 1 ctrl+Z
expect "a new action drops redo" 0 $'beep\nY: 2.0000\nX: 7' -- --lines 2 2 enter 3 + ctrl+Z VK_BACK 7 ctrl+Y
expect "a fault is no step" 0 $'error Floating point division by zero\nY: 1.0000\nX: 1.0000' -- --lines 2 1 enter 0 / ctrl+Z
expect "a slot on Z" 0 $'Y: 0.0000\nX: 0.0000' -- --lines 2 --set MKey1=90 --set MValue1=9 Z ctrl+Z
expect "memory visit undone" 0 $'memory STORE\nmemory close\nY: 6.0000\nX: 0.0000' -- --lines 2 --set MKey1=75 6 VK_LEFT enter ctrl+Z K
expect "roll down" 0 $'9: 3.0000\n8: 0.0000\n7: 0.0000\n6: 0.0000\n5: 0.0000\n4: 0.0000\nW: 0.0000\nZ: 0.0000\nY: 1.0000\nX: 2.0000' -- 1 enter 2 enter 3 VK_F12 VK_DOWN
expect "roll down keeps last X" 0 $'Y: 0.0000\nX: 9.0000' -- --lines 2 9 VK_PAUSE VK_F12 VK_DOWN VK_F12 VK_UP
expect "drop unshifted" 0 $'Y: 1.0000\nX: 2.0000' -- --lines 2 1 enter 2 enter 3 VK_DOWN
expect "roll up" 0 $'9: 5.0000\n8: 0.0000\n7: 0.0000\n6: 0.0000\n5: 0.0000\n4: 0.0000\nW: 0.0000\nZ: 2.0000\nY: 1.0000\nX: 4.0000' -- --set Stack9=4 --set Stack8=5 --set Stack0=1 --set Stack1=2 VK_F11
expect "roll down then up" 0 $'Z: 1.0000\nY: 2.0000\nX: 3.0000' -- --lines 3 1 enter 2 enter 3 rolldown rollup
expect "operations by name" 0 $'Y: 0.0000\nX: 2.2361' -- --lines 2 2 enter 3 + sqrt
expect "shifted names press the shift as needed" 0 $'Y: 0.0000\nX: 120.0000' -- --lines 2 5 fact
expect "unshifted names take it off" 0 $'X: 0.8415' -- --lines 1 1 VK_F12 sin
expect "names of the entry and the memory" 0 $'memory RECALL\nmemory close\nY: -1.5000+e3\nX: -1.5000+e3' -- --lines 2 --set MValue2=-1500 --set AllExpOn=1 --set Decs=4 rcl 2 enter enter
expect "a column pasted" 0 $'Z: 1.0000\nY: 2.0000\nX: 3.0000' -- --lines 3 --clipboard $'1\r\n2\r\n3\r\n' paste
expect "a pasted column undone at once" 0 $'Y: 0.0000\nX: 7' -- --lines 2 --clipboard $'1\r\n2\r\n3\r\n' 7 paste undo
expect "the tape" 0 $'message Nimbrel.exe: logl: SING error\nX: 5.0000\ntape:\n2\tENTER\t2.0000\n3\t+\t5.0000\n0\tLN\tlogl: SING error\n\tUNDO\t5.0000' -- --lines 1 --tape 2 enter 3 + 0 ln undo
expect "bad key" 2 "" -- 1 VK_NOPE
expect "bad option" 2 "" -- --frobnicate
expect "bad setting" 2 "" -- --set Nothing=1 1
expect "bad setting value" 2 "" -- --set Base=ten 1
expect "bad lines" 2 "" -- --lines 0 1
# Subnormal doubles are stored values like any other; only what no double
# holds is refused (an overflow, or an underflow to zero).
expect "subnormal stored" 0 'X: 4.9407-e324' -- --lines 1 --set Stack0=4.9e-324 VK_SPACE
expect "negative subnormal" 0 'X: -2.2251-e308' -- --lines 1 --set Stack0=-2.2250738585072e-308 VK_SPACE
expect "subnormal in memory" 0 $'Y: 0.0000\nX: 1.0000-e310' -- --lines 2 --set MKey1=75 --set MValue1=1e-310 K
expect "number too large" 2 "" -- --set Stack0=1e400 1
expect "number too small" 2 "" -- --set Stack0=1e-400 1
expect "negative number too small" 2 "" -- --set MValue2=-1e-400 1
# Every line fits the display, whatever exponent step is stored: a line
# that doesn't fit at the step is written at step 1.
expect "step 9 with the exponent always" 0 'X: -1.2346+e8' -- --lines 1 --set bsZ=9 --set AllExpOn=1 --set Stack0=-123456789.123 VK_SPACE
expect "step 9 plain" 0 'X: 123,456,789.0' -- --lines 1 --set bsZ=9 --set Stack0=123456789.04 VK_SPACE
expect "step 100" 0 'X: 1.2525+e35' -- --lines 1 --set bsZ=100 --set Stack0=1.2525049355943834e35 VK_SPACE
expect "step 32767 in base 16" 0 'X: 0.1800' -- --lines 1 --set bsZ=32767 --set Base=16 --set Stack0=0.09375 VK_SPACE

# Interactive: a line of keys at a time, the display after each.
got=$(printf '2 enter 3 +\n4 *\n' | "${CLI[@]}" --lines 1 | tr -d '\r')
if [ "$got" = $'X: 5.0000\nX: 20.0000' ]; then passed=$((passed + 1)); else
  failed=$((failed + 1)); printf 'FAIL interactive\n%s\n' "$got"; fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
