# Shared by the end-to-end scripts that run Nimbrel.exe in independent
# scenarios: each scenario gets a fresh copy of the ready Wine prefix (and so
# its own wineserver), all of them one Xvfb display of the script's own.
#
#   . tests/e2e/lib.sh EXE READY-PREFIX WINE-LOADER OUT-FOLDER
#   e2e_begin NAME DISPLAY-NUMBER
#   scenario "what it shows" FUNCTION [ARGS]...
#   e2e_end        (prints the totals; fails if a scenario failed)
#
# NIMBREL_E2E_ONLY=REGEX runs only the scenarios whose titles match;
# NIMBREL_E2E_TRACE=1 prints how long each check took since the last one.
#
# A failing check prints the scenario's name and keeps a screenshot of that
# moment in OUT (failed-NAME-SCENARIO.png).
set -u
EXE=$(readlink -f "$1") READY=$(readlink -f "$2") WINE=$3 OUT=$4
E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
PROBE_EXE=${NIMBREL_E2E_PROBE:-$(dirname "$EXE")/e2e_probe.exe}
FACETABLE=${NIMBREL_FACETABLE:-$E2E_ROOT/build/native/facetable}
mkdir -p "$OUT"
OUT=$(readlink -f "$OUT")
T=$(mktemp -d)
export HOME=$T/home WINEDEBUG=-all LANG=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset WINEPREFIX
mkdir -p "$HOME"

XVFB= APP= DESK= PREPARING=
SPAWNED=()
SCRIPT_NAME= SCENARIO= SCENARIO_SLUG=
total_passed=0 total_failed=0 passed=0 failed=0
failed_scenarios=()

e2e_cleanup() {
  [ -n "$PREPARING" ] && wait "$PREPARING" 2>/dev/null   # (its cp is a child of its own)
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null
  [ -n "$XVFB" ] && kill "$XVFB" 2>/dev/null
  rm -rf "$T"
}
trap e2e_cleanup EXIT

# ---- the display, the face table

e2e_begin() {  # NAME DISPLAY-NUMBER
  SCRIPT_NAME=$1
  [ -f "$EXE" ] || { echo "no program at $EXE" >&2; exit 1; }
  [ -f "$PROBE_EXE" ] || { echo "no probe at $PROBE_EXE (the e2e_probe target)" >&2; exit 1; }
  if [ ! -x "$FACETABLE" ]; then  # the native target, built here when it is missing
    cmake -S "$E2E_ROOT" -B "$E2E_ROOT/build/native" >/dev/null &&
      cmake --build "$E2E_ROOT/build/native" --target facetable >/dev/null || exit 1
  fi
  "$FACETABLE" | python3 -c '
import json, sys
table = json.load(sys.stdin)
with open(sys.argv[1], "w") as keys:
    for k in table["keys"]:
        print(k["name"], k["left"], k["top"], k["width"], k["height"], file=keys)
with open(sys.argv[2], "w") as lengths:
    for a in table["art"]:
        print(a["dpi"], *a["lengths"], file=lengths)' "$T/keys" "$T/lengths" || exit 1
  # A display of our own, from the one asked for on.
  . "$E2E_ROOT/scripts/xvfb.sh"
  start_xvfb "$2" || exit 1
}

# s DPI N: a design length at that DPI, as the program scales it (the face
# table's lengths, for the DPIs the pictures are drawn for).
s() {
  awk -v dpi="$1" -v n="$2" '$1 == dpi && n + 2 <= NF { print $(n + 2); found = 1 } END { exit !found }' "$T/lengths" ||
    { echo "no scaled length $2 at $1 dpi" >&2; echo 0; }
}

key_rect() {  # NAME: left top width height in design units, from the face table
  awk -v n="$1" '$1 == n { print $2, $3, $4, $5; found = 1 } END { exit !found }' "$T/keys"
}
key_centre() {  # NAME DPI: the middle of the key's scaled rectangle, client coordinates
  local r
  r=$(key_rect "$1") || { echo "no key $1" >&2; return 1; }
  set -- $r "$2"
  echo "$(($(s "$5" "$1") + $(s "$5" "$3") / 2)) $(($(s "$5" "$2") + $(s "$5" "$4") / 2))"
}

# ---- scenarios and checks

shot() {  # NAME: the whole screen into OUT/NAME.png
  import -display "$DISPLAY" -window root "$OUT/$1.png" 2>/dev/null
}

check() {  # NAME GOT WANT
  if [ -n "${NIMBREL_E2E_TRACE:-}" ]; then
    local now=${EPOCHREALTIME/./}
    echo "  $(((now - ${CHECKED_AT:-$now}) / 1000)) ms: $1"
    CHECKED_AT=$now
  fi
  if [ "$2" = "$3" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAIL [%s] %s: got [%s], want [%s]\n' "$SCENARIO" "$1" "$2" "$3"
    [ "$failed" -eq 1 ] && shot "failed-$SCRIPT_NAME-$SCENARIO_SLUG"
  fi
}
# A condition that stops the scenario when it fails: "need NAME GOT WANT || return".
need() {
  check "$@"
  [ "$2" = "$3" ]
}

scenario() {  # TITLE FUNCTION [ARGS]...
  [[ $1 =~ ${NIMBREL_E2E_ONLY:-.} ]] || return 0
  SCENARIO=$1
  SCENARIO_SLUG=$(printf '%s' "$1" | tr -c 'A-Za-z0-9' '-' | tr -s '-' | sed 's/-$//' | tr 'A-Z' 'a-z')
  shift
  passed=0 failed=0
  rm -f "$OUT/failed-$SCRIPT_NAME-$SCENARIO_SLUG.png"
  CHECKED_AT=
  local began=$SECONDS
  fresh_prefix
  "$@"
  end_prefix
  total_passed=$((total_passed + passed)) total_failed=$((total_failed + failed))
  if [ "$failed" -gt 0 ]; then
    failed_scenarios+=("$SCENARIO")
    echo "FAILED: $SCENARIO ($failed of $((passed + failed)) checks failed, $((SECONDS - began))s;" \
         "screenshot: $OUT/failed-$SCRIPT_NAME-$SCENARIO_SLUG.png)"
  else
    echo "ok: $SCENARIO ($passed checks, $((SECONDS - began))s)"
  fi
}

e2e_end() {
  echo "$SCRIPT_NAME: $total_passed passed, $total_failed failed;" \
       "$((${#failed_scenarios[@]})) scenario(s) failed in ${SECONDS}s"
  local f
  for f in "${failed_scenarios[@]}"; do echo "  failed: $f"; done
  [ "$total_failed" -eq 0 ]
}

# ---- a Wine prefix per scenario

# The next scenario's copy is made while this one runs.
prepare_prefix() {
  rm -rf "$T/next"
  cp -a "$READY" "$T/next.part" && mv "$T/next.part" "$T/next"
}
fresh_prefix() {
  export WINEPREFIX=$T/pfx
  rm -rf "$WINEPREFIX" "$HOME"
  [ -n "$PREPARING" ] && wait "$PREPARING"
  if [ -d "$T/next" ]; then mv "$T/next" "$WINEPREFIX"; else cp -a "$READY" "$WINEPREFIX"; fi
  prepare_prefix >/dev/null 2>&1 </dev/null &
  PREPARING=$!
  mkdir -p "$HOME"
  # The profile's Desktop, Documents and the rest are links to the home the
  # ready prefix was made with: the scenario's own home instead, so that
  # what it puts on the desktop stays with it.
  local link
  for link in "$WINEPREFIX"/drive_c/users/*/*; do
    [ -L "$link" ] && ln -sfn "$HOME" "$link"
  done
  APP= DESK= W=
  # The X server starts afresh when its last client leaves, as the last
  # scenario's did: it is back once it answers.
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  wineserver -p60
  # Wine's background processes start with the server's first program and
  # inherit its output: started here, they hold /dev/null, and the $(...)
  # around later Wine commands returns.
  "$WINE" cmd /c exit >/dev/null 2>&1 </dev/null
}

end_prefix() {
  wineserver -k 2>/dev/null
  [ ${#SPAWNED[@]} -gt 0 ] && wait "${SPAWNED[@]}" 2>/dev/null
  SPAWNED=() APP= DESK=
  rm -rf "$WINEPREFIX"
  unset WINEPREFIX
}

# PROGRAM [ARGS]...: a Wine program in the background ($! is its launcher),
# ended with the scenario's server. With DLL_TRACE set, Wine writes every
# DLL the program loads, and from where, to that file.
spawn() {
  if [ -n "${DLL_TRACE:-}" ]; then
    ( export WINEDEBUG=-all,+loaddll; exec "$WINE" "$@" ) >/dev/null 2>>"$DLL_TRACE" </dev/null &
  else
    ( exec "$WINE" "$@" ) >/dev/null 2>&1 </dev/null &
  fi
  SPAWNED+=($!)
}

# ---- the registry

stored() {  # NAME: a value of the settings key, as reg query prints it
  "$WINE" reg query 'HKCU\Software\Quarvel\Nimbrel' /v "$1" 2>/dev/null </dev/null |
    tr -d '\r' | awk -v n="$1" '$1 == n { print $3 }'
}
signed() {  # 0xHEX of a REG_DWORD: the number it holds as a signed 32-bit value
  [ -n "$1" ] || { echo "(none)"; return; }
  local v=$(($1))
  [ "$v" -gt 2147483647 ] && v=$((v - 4294967296))
  echo "$v"
}
store_dword() {  # NAME VALUE (negative allowed): written before the program starts
  local v=$2
  [ "$v" -lt 0 ] && v=$((v + 4294967296))
  "$WINE" reg add 'HKCU\Software\Quarvel\Nimbrel' /v "$1" /t REG_DWORD /d "$(printf '0x%x' "$v")" /f \
    >/dev/null 2>&1 </dev/null
}
store_binary() {  # NAME HEX: a REG_BINARY value (a stored number: a double's bytes, lowest first)
  "$WINE" reg add 'HKCU\Software\Quarvel\Nimbrel' /v "$1" /t REG_BINARY /d "$2" /f >/dev/null 2>&1 </dev/null
}
set_dpi() {  # DPI: the display's scale for programs started after this
  "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 </dev/null
}

# ---- the probe: the calculator's window as Windows sees it (tests/e2e/probe)

probe() {  # COMMAND...: its answers, one line each (in the desktop $DESKTOP_NAME when set)
  "$WINE" "$PROBE_EXE" ${DESKTOP_NAME:+--desktop "$DESKTOP_NAME"} "$@" </dev/null 2>/dev/null | tr -d '\r'
}
probe_rect() {  # WHAT: "L T R B" of a probe answer (window, client, workarea, taskbar, menu)
  probe "$1" | awk -v w="$1" '$1 == w && NF == 5 { print $2, $3, $4, $5 }'
}
probe_point() {  # COMMAND [ARG]: "X Y" of a probe answer (hit, trayicon)
  probe "$@" | awk 'NF == 3 { print $2, $3 }'
}
inside() {  # "L T R B" "L T R B": whether the first rectangle lies within the second
  set -- $1 $2
  [ $# -eq 8 ] && [ "$1" -ge "$5" ] && [ "$2" -ge "$6" ] && [ "$3" -le "$7" ] && [ "$4" -le "$8" ] &&
    echo inside || echo outside
}

# ---- the program in plain Xvfb mode (no desktop)

start_plain() {  # [PROGRAM]: starts Nimbrel.exe (or that copy) and waits for its window W to show
  spawn "${1:-$EXE}"
  APP=$!
  W=$(timeout 30 xdotool search --sync --name '^Quarvel Calculator$' 2>/dev/null | head -1)
  [ -n "$W" ] || return 1
  for _ in $(seq 100); do [ "$(mapped "$W")" = shown ] && break; sleep 0.1; done
  [ "$(mapped "$W")" = shown ]
}
mapped() {  # X-WINDOW: shown or hidden (no window: hidden; xwininfo would wait for a click)
  [ -n "$1" ] || { echo hidden; return; }
  xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable' && echo shown || echo hidden
}
x_size() {  # X-WINDOW: WIDTHxHEIGHT (in this mode, the client area)
  xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'
}
x_origin() {  # X-WINDOW: where it sits on the screen, X Y
  xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 } END { print x, y }'
}
size_becomes() {  # X-WINDOW WANT: waits (2 s at most) for that size, then says the size
  for _ in $(seq 20); do [ "$(x_size "$1")" = "$2" ] && break; sleep 0.1; done
  x_size "$1"
}
activate() {  # X-WINDOW X Y: a click where no key is (the display) makes it active
  xdotool mousemove --window "$1" "$2" "$3" click 1
  xdotool windowfocus --sync "$1" 2>/dev/null
}
click_key() {  # X-WINDOW NAME DPI: a click on the face key at its scaled place
  local at
  at=$(key_centre "$2" "$3") || return 1
  xdotool mousemove --window "$1" ${at% *} ${at#* } click 1
}
copied() {  # X as Copy puts it on the clipboard (waited for: a marker goes first)
  # xclip stays in the background to serve the marker until the calculator
  # takes the clipboard: it must not hold the output of the $(...) around us.
  printf '(nothing copied)' | xclip -i -selection clipboard >/dev/null 2>&1
  xdotool key ctrl+Insert
  local text='(nothing copied)' n
  # A busy machine may take seconds; and now and then Wine loses a Ctrl+Insert
  # on a loaded machine: Copy changes nothing, so after five seconds without
  # it, it is pressed again (20 s in all).
  for n in $(seq 200); do
    text=$(xclip -o -selection clipboard 2>/dev/null)
    [ "$text" != '(nothing copied)' ] && break
    [ $((n % 50)) = 0 ] && xdotool key ctrl+Insert
    sleep 0.1
  done
  echo "$text"
}
window_shown() {  # NAME-PATTERN: the X window of that name, once it shows
  local w
  w=$(timeout 10 xdotool search --sync --name "$1" 2>/dev/null | head -1)
  [ -n "$w" ] || return 1
  for _ in $(seq 50); do [ "$(mapped "$w")" = shown ] && break; sleep 0.1; done
  echo "$w"
}
window_closed() {  # X-WINDOW: closed once it has gone (a hide may take Wine two seconds here)
  for _ in $(seq 50); do [ "$(mapped "$1")" = hidden ] && { echo closed; return; }; sleep 0.1; done
  echo open
}

# white_bands X Y W H: the runs of screen rows, within that rectangle, that
# hold pure white (255,255,255) pixels, as "TOP-BOTTOM" (inclusive, screen
# rows) separated by spaces.
white_bands() {
  import -display "$DISPLAY" -window root "$T/bands.png" 2>/dev/null
  convert "$T/bands.png" -crop "$3x$4+$1+$2" +repage ppm:- 2>/dev/null | python3 -c '
import sys
data = sys.stdin.buffer.read()
fields, pos = [], 0
while len(fields) < 4:  # P6 header: magic, width, height, maximum, then one space
    while data[pos:pos + 1].isspace(): pos += 1
    if data[pos:pos + 1] == b"#":
        pos = data.index(b"\n", pos); continue
    end = pos
    while not data[end:end + 1].isspace(): end += 1
    fields.append(data[pos:end]); pos = end
pos += 1
width, height = int(fields[1]), int(fields[2])
top = int(sys.argv[1])
bands, start = [], None
for y in range(height):
    row = data[pos + y * width * 3: pos + (y + 1) * width * 3]
    hit = any(row[i:i + 3] == b"\xff\xff\xff" for i in range(0, len(row), 3))
    if hit and start is None: start = y
    if not hit and start is not None: bands.append((start, y - 1)); start = None
if start is not None: bands.append((start, height - 1))
print(" ".join("%d-%d" % (a + top, b + top) for a, b in bands))' "$2"
}

# blank_rects: reads lines "NAME X Y W H" (screen pixels) and prints the
# names of those rectangles that hold fewer than 8 colours in a screenshot
# taken now: a picture that isn't drawn leaves the plain face colour, a drawn
# one (shading, legends, edges) many.
blank_rects() {
  import -display "$DISPLAY" -window root "$T/pictures.png" 2>/dev/null
  convert "$T/pictures.png" ppm:"$T/pictures.ppm" 2>/dev/null
  python3 -c '
import sys
data = open(sys.argv[1], "rb").read()
fields, pos = [], 0
while len(fields) < 4:
    while data[pos:pos + 1].isspace(): pos += 1
    end = pos
    while not data[end:end + 1].isspace(): end += 1
    fields.append(data[pos:end]); pos = end
pos += 1
width = int(fields[1])
blank = []
for line in sys.stdin:
    name, x, y, w, h = line.split()
    x, y, w, h = int(x), int(y), int(w), int(h)
    colours = set()
    for row in range(y, y + h):
        start = pos + (row * width + x) * 3
        chunk = data[start:start + w * 3]
        colours.update(chunk[i:i + 3] for i in range(0, len(chunk), 3))
    if len(colours) < 8: blank.append(name)
print(" ".join(blank))' "$T/pictures.ppm"
}
