#!/usr/bin/env bash
# Nimbrel.exe driven like a person: its own X display and Wine prefix, real
# key events (xdotool), the real clipboard (xclip), the registry read back
# after the calculator has closed. Screenshots go to $OUT.
# Usage: e2e.sh NIMBREL.EXE READY-PREFIX WINE-LOADER OUT-FOLDER
set -u
EXE=$(readlink -f "$1") READY=$2 WINE=$3 OUT=$4
mkdir -p "$OUT"
T=$(mktemp -d)
export WINEPREFIX=$T/pfx HOME=$T/home WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$HOME"
cp -a "$READY" "$WINEPREFIX"

# A display of our own, from the one asked for on.
. "$(dirname "$0")/../../scripts/xvfb.sh"
start_xvfb "${NIMBREL_E2E_DISPLAY:-93}" || exit 1
APP=
cleanup() {
  [ -n "$APP" ] && kill "$APP" 2>/dev/null
  wineserver -k 2>/dev/null
  kill "$XVFB" 2>/dev/null
  rm -rf "$T"
}
trap cleanup EXIT
wineserver -p60

passed=0 failed=0
check() {  # NAME GOT WANT
  if [ "$2" = "$3" ]; then passed=$((passed + 1)); else
    failed=$((failed + 1)); printf 'FAIL %s: got [%s], want [%s]\n' "$1" "$2" "$3"; fi
}
mapped() {  # whether the calculator's window is on the screen
  xwininfo -id "$W" 2>/dev/null | grep -q 'IsViewable' && echo shown || echo hidden
}
activate() {  # a click on the display (no key there) makes the window active
  xdotool mousemove --window "$W" 200 30 click 1
  xdotool windowfocus --sync "$W" 2>/dev/null
}
start() {
  "$WINE" "$EXE" >/dev/null 2>&1 &
  APP=$!
  W=$(timeout 30 xdotool search --sync --name '^Quarvel Calculator$' | head -1)
  [ -n "$W" ] || { echo "FAIL the window did not appear"; exit 1; }
  for _ in $(seq 100); do [ "$(mapped)" = shown ] && break; sleep 0.1; done
  activate
}
copied() {  # X as Copy puts it on the clipboard (waited for: a marker goes first)
  # (xclip serves the marker from the background: not with our output)
  printf '(nothing copied)' | xclip -i -selection clipboard >/dev/null 2>&1
  xdotool key ctrl+Insert
  local text='(nothing copied)'
  for _ in $(seq 30); do
    text=$(xclip -o -selection clipboard 2>/dev/null)
    [ "$text" != '(nothing copied)' ] && break
    sleep 0.1
  done
  echo "$text"
}
tray_menu_exit() {  # Exit from the tray icon's menu: Restore, a line, Exit
  tray_click 3  # (raised first: it shares the screen's corner with the calculator)
  sleep 0.7
  eval "$(xdotool getmouselocation --shell)"
  xdotool mousemove "$X" $((Y + 37)) click 1
}
stop() {  # end the program from the tray and wait for it
  tray_menu_exit
  check "Exit from the tray menu ends the program" "$(ended "$APP")" "ended"
  APP=
}
ended() {  # PID: "ended" once the process has gone (waited for), else "running"
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$1" 2>/dev/null && echo running || echo ended
}
window_shown() {  # NAME-PATTERN: the window of that name, once it shows
  local w
  w=$(timeout 10 xdotool search --sync --name "$1" | head -1)
  for _ in $(seq 50); do xwininfo -id "$w" 2>/dev/null | grep -q IsViewable && break; sleep 0.1; done
  sleep 0.3
  echo "$w"
}
window_closed() {  # WINDOW: whether it has gone (a hide may take Wine two seconds here)
  for _ in $(seq 50); do xwininfo -id "$1" 2>/dev/null | grep -q IsViewable || { echo closed; return; }; sleep 0.1; done
  echo open
}
box() {  # the shown window captioned Quarvel Calculator other than the calculator $W: a message box
  local b=
  for _ in $(seq 100); do
    for w in $(xdotool search --name '^Quarvel Calculator$' 2>/dev/null); do
      [ "$w" != "${W:-}" ] && xwininfo -id "$w" | grep -q IsViewable && b=$w
    done
    [ -n "$b" ] && break
    sleep 0.1
  done
  sleep 0.5
  echo "$b"
}
origin() {  # where the window's client area sits on the screen
  xwininfo -id "$W" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 } END { print x "," y }'
}
tray_click() {  # BUTTON [REPEAT] on the tray icon
  TRAY=$(xdotool search --name '^Wine System Tray$' | head -1)
  xdotool windowraise "$TRAY"
  xdotool mousemove --window "$TRAY" 10 10 click --repeat "${2:-1}" --delay 80 "$1"
}
close_request() {  # Alt+F4, as a person would (Wine needs a moment after the click that activates)
  sleep 0.5
  xdotool key alt+F4
  for _ in $(seq 30); do [ "$(mapped)" = hidden ] && break; sleep 0.1; done
}
stored() {  # a registry value of the settings key, as reg query prints it
  "$WINE" reg query 'HKCU\Software\Quarvel\Nimbrel' /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1 == n { print $3 }'
}

start
import -display "$DISPLAY" -window root "$OUT/first-start.png"
FIRST=$(origin)
xdotool key 2 Return 3 shift+equal
check "2 Enter 3 + copies" "$(copied)" "5.0000"
# A click on the Seven key is the key 7: a new number above the 5.
xdotool mousemove --window "$W" 168 108 click 1
check "a click on Seven" "$(copied)" "7.0000"
# 7 / 0: the Error dialog, and the stack as it was.
xdotool key Return 0 KP_Divide
ERR=$(timeout 10 xdotool search --sync --name '^Error$' | head -1)
check "division by zero shows the Error dialog" "$([ -n "$ERR" ] && echo shown)" "shown"
import -display "$DISPLAY" -window root "$OUT/error.png"
if [ -n "$ERR" ]; then
  xdotool windowfocus --sync "$ERR" key Return 2>/dev/null
  for _ in $(seq 50); do xdotool search --name '^Error$' >/dev/null 2>&1 || break; sleep 0.1; done
  activate
fi
check "the stack is as it was" "$(copied)" "0.0000"
stop
check "the first start's place: the screen's corner" "$(stored Left),$(stored Top)" "0x0,0x0"
check "settings written at exit: Large" "$(stored Large)" "0x1"
check "settings written at exit: X" "$(stored Stack0)" "0000000000000000"
check "settings written at exit: Y" "$(stored Stack1)" "0000000000001C40"

# The stack, the place and the options survive a restart (the place and two
# decimals set as another session would have left them).
for value in Left:100 Top:80 Decs:2; do
  "$WINE" reg add 'HKCU\Software\Quarvel\Nimbrel' /v "${value%:*}" /t REG_DWORD /d "${value#*:}" /f >/dev/null 2>&1
done
start
check "the window is where it was left" "$(origin)" "$((${FIRST%,*} + 100)),$((${FIRST#*,} + 80))"
xdotool key Down
check "Y came back, and is X after a drop, with two decimals" "$(copied)" "7.00"

# A second start says so and leaves the first one alone.
"$WINE" "$EXE" >/dev/null 2>&1 &
SECOND=$!
for _ in $(seq 100); do [ "$(xdotool search --name '^Quarvel Calculator$' | wc -l)" -ge 2 ] && break; sleep 0.1; done
check "a second start shows a message" "$(xdotool search --name '^Quarvel Calculator$' | wc -l)" "2"
import -display "$DISPLAY" -window root "$OUT/second-start.png"
BOX=$(xdotool search --name '^Quarvel Calculator$' | grep -vx "$W" | head -1)
[ -n "$BOX" ] && xdotool windowfocus --sync "$BOX" key Return 2>/dev/null
check "the second start ends" "$(ended "$SECOND")" "ended"
activate
check "the first one is unchanged" "$(copied)" "7.00"
# The size cycle: shift and the minus key make the window one size smaller.
size() { xwininfo -id "$W" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }
check "starts Large" "$(size)" "321x233"
for want in Medium:185x201 Small:185x57 Large:321x233; do
  xdotool key Num_Lock KP_Subtract
  sleep 0.5
  check "size ${want%%:*}" "$(size)" "${want#*:}"
  import -display "$DISPLAY" -window root "$OUT/size-${want%%:*}.png"
done
# The right-click menu, worked from the keyboard: On Top, Small, Medium, Large.
viewable_windows() {  # how many top-level X windows show (a popup menu is one more)
  local n=0
  for w in $(xwininfo -root -children | awk '/^ +0x/ { print $1 }'); do
    xwininfo -id "$w" 2>/dev/null | grep -q IsViewable && n=$((n + 1))
  done
  echo "$n"
}
MENU_SEEN=
menu_choice() {  # HOW-MANY-DOWNS [SCREENSHOT]
  local before
  before=$(viewable_windows)
  xdotool mousemove --window "$W" 100 30 click 3
  sleep 0.5
  # The first time: the menu is seen as one more window (so that "no menu"
  # during About means something).
  if [ -z "$MENU_SEEN" ]; then
    check "the right-click menu shows as a window of its own" "$(viewable_windows)" "$((before + 1))"
    MENU_SEEN=1
  fi
  [ -n "${2:-}" ] && import -display "$DISPLAY" -window root "$OUT/$2"
  for _ in $(seq "$1"); do xdotool key Down; done
  xdotool key Return
  sleep 0.5
}
menu_choice 3 menu.png
check "Medium from the right-click menu" "$(size)" "185x201"
menu_choice 4
check "and Large" "$(size)" "321x233"
menu_choice 1   # On Top, checked at the next look
# Shift and Enter: the About screen; its lines come one a second; a click
# ends it. From Small, so that both the way in and the way back show.
menu_choice 2
check "Small before About" "$(size)" "185x57"
xdotool key Num_Lock Return
for _ in $(seq 30); do [ "$(size)" = 321x233 ] && break; sleep 0.1; done
check "About shows at the full face's size" "$(size)" "321x233"
sleep 3.5
import -display "$DISPLAY" -window root "$OUT/about.png"
BEFORE=$(viewable_windows)
xdotool mousemove --window "$W" 100 100 click 3
sleep 0.5
check "a right click during About opens no menu" "$(viewable_windows)" "$BEFORE"
xdotool mousemove --window "$W" 100 100 click 1
for _ in $(seq 30); do [ "$(size)" = 185x57 ] && break; sleep 0.1; done
check "a click ends About, back to Small" "$(size)" "185x57"
check "and the display is back" "$(copied)" "7.00"
menu_choice 4
check "Large again" "$(size)" "321x233"
# The Shift key shows the second legends.
xdotool mousemove --window "$W" 168 76 click 1
sleep 0.3
import -display "$DISPLAY" -window root "$OUT/shifted.png"
xdotool mousemove --window "$W" 168 76 click 1
# Closing with the tray icon on hides the calculator; it lives on in the tray.
activate
close_request
check "a close request hides the window" "$(mapped)" "hidden"
check "and the program goes on" "$(kill -0 "$APP" 2>/dev/null && echo running || echo ended)" "running"
tray_click 1 2
for _ in $(seq 30); do [ "$(mapped)" = shown ] && break; sleep 0.1; done
check "a double click on the tray icon shows it again" "$(mapped)" "shown"
activate
check "as it was" "$(copied)" "7.00"
close_request
check "hidden again" "$(mapped)" "hidden"
stop
check "the place is saved from the hidden window" "$(stored Left),$(stored Top)" "0x64,0x50"
check "and the options" "$(stored Decs)" "0x2"
check "On Top from the menu" "$(stored OnTop)" "0x1"

# Store and Recall: the memory slots window, and a letter for one-key recall.
memory_window() { window_shown "^Memory Slots \\[$1\\]\$"; }  # MODE
start
xdotool key 4 2 Left   # Store while 42 is being typed
MEM=$(memory_window STORE)
check "Store opens the memory window" "$([ -n "$MEM" ] && echo open)" "open"
xdotool key 3 k   # slot 3, and the letter K for it
sleep 0.3
import -display "$DISPLAY" -window root "$OUT/memory-store.png"
xdotool key Return
check "Enter stores and closes" "$(window_closed "$MEM")" "closed"
xdotool key 1 Return k
check "the letter K recalls slot 3" "$(copied)" "42.00"
xdotool key Right
MEM=$(memory_window RECALL)
check "Recall opens it too" "$([ -n "$MEM" ] && echo open)" "open"
import -display "$DISPLAY" -window root "$OUT/memory-recall.png"
xdotool key Escape
check "Escape closes it" "$(window_closed "$MEM")" "closed"
check "and changes nothing" "$(copied)" "42.00"
xdotool mousemove --window "$W" 32 204 click 1   # the STO key
MEM=$(memory_window STORE)
check "a click on STO opens it to store" "$([ -n "$MEM" ] && echo open)" "open"
xdotool key Escape
check "Escape again" "$(window_closed "$MEM")" "closed"
activate

# The end of the session ends the calculator, and its settings are saved.
"$WINE" wineboot --end-session >/dev/null 2>&1
check "the session's end ends the program" "$(ended "$APP")" "ended"
APP=
check "and X is saved" "$(stored Stack0)" "0000000000004540"
check "with the memory slot" "$(stored MValue3),$(stored MKey3)" "0000000000004540,0x4b"

# The options: hexadecimal and a start-up link at once; then without the
# tray icon, and a close request ends the program.
startup_link() {
  find "$WINEPREFIX/drive_c/users" -path '*Start*Menu*' -name 'Quarvel Calculator.lnk' | grep -q . && echo present || echo absent
}
options() {  # CLICKS...: open the dialog, click at each x,y of its client area, then OK
  xdotool key Num_Lock KP_Add
  OPT=$(window_shown '^Options$')
  for at in "$@"; do xdotool mousemove --window "$OPT" "${at%,*}" "${at#*,}" click 1; sleep 0.1; done
  [ -n "${SHOT:-}" ] && import -display "$DISPLAY" -window root "$OUT/$SHOT"
  local button=${CLOSE_WITH:-OK}
  if [ "$button" = OK ]; then
    xdotool mousemove --window "$OPT" 328 20 click 1
  else
    xdotool mousemove --window "$OPT" 328 52 click 1   # Cancel
  fi
  check "$button closes the options" "$(window_closed "$OPT")" "closed"
  activate
}
tray_icon() {  # whether the tray shows an icon: the tray's own window is mapped while it holds one
  local t
  t=$(xdotool search --name '^Wine System Tray$' 2>/dev/null | head -1)
  [ -n "$t" ] && xwininfo -id "$t" | grep -q IsViewable && echo present || echo absent
}
start
check "the stack as the session left it" "$(copied)" "42.00"
# Cancel leaves every setting, the link and the tray icon as they were.
check "the tray icon before the options" "$(tray_icon)" "present"
CLOSE_WITH=Cancel options 30,66 261,104 261,152 170,342   # Hexidecimal, Launch at Start Up, no tray icon, Scientific
check "after Cancel, still decimal" "$(copied)" "42.00"
check "no start-up link" "$(startup_link)" "absent"
check "and the tray icon still there" "$(tray_icon)" "present"
SHOT=options.png options 30,66 261,104   # Hexidecimal, Launch at Start Up
check "the display in hexadecimal at once" "$(copied)" "2A.00"
check "the start-up link is made at once" "$(startup_link)" "present"
SHOT= options 261,104 261,152   # neither Launch at Start Up nor the tray icon
check "and deleted at once" "$(startup_link)" "absent"
sleep 0.5
xdotool key alt+F4
check "without the tray icon a close request ends the program" "$(ended "$APP")" "ended"
APP=
check "the options are saved" "$(stored Base),$(stored StartUp),$(stored TrayIcon)" "0x10,0x0,0x0"

# Uninstalling: the program in a folder of its own, with its companion files,
# links on the desktop and in the Startup folder.
INSTALL="$WINEPREFIX/drive_c/Program Files/Quarvel"
INSTALLED='C:\Program Files\Quarvel\Nimbrel.exe'
PROFILE=$(find "$WINEPREFIX/drive_c/users" -maxdepth 1 -mindepth 1 ! -name Public | head -1)
DESKTOP_LINK="$PROFILE/Desktop/Quarvel Calculator.lnk"
STARTUP_DIR=$(find "$PROFILE" -type d -path '*Start*Menu*' -iname 'startup' | head -1)
mkdir -p "$INSTALL" "$PROFILE/Desktop"
cp "$EXE" "$(dirname "$EXE")"/{Sound.wav,Nimbrel.htm,readme.txt} "$INSTALL/"
touch "$DESKTOP_LINK" "$STARTUP_DIR/Quarvel Calculator.lnk"
answer() {  # BOX KEY
  xdotool windowfocus --sync "$1" 2>/dev/null
  xdotool key "$2"
}
installed() { [ -e "$INSTALL/Nimbrel.exe" ] && [ -e "$INSTALL/Sound.wav" ] && [ -e "$DESKTOP_LINK" ] && echo present || echo gone; }

# Launch Hidden: no window at the start, only the tray icon, whose double
# click shows it. While it runs, "-u" refuses.
for value in Hidden:1 TrayIcon:1; do
  "$WINE" reg add 'HKCU\Software\Quarvel\Nimbrel' /v "${value%:*}" /t REG_DWORD /d "${value#*:}" /f >/dev/null 2>&1
done
"$WINE" "$INSTALLED" >/dev/null 2>&1 &
APP=$!
W=$(timeout 30 xdotool search --sync --name '^Quarvel Calculator$' | head -1)
sleep 2
check "Launch Hidden starts without a window" "$(mapped)" "hidden"
tray_click 1 2
for _ in $(seq 30); do [ "$(mapped)" = shown ] && break; sleep 0.1; done
check "the tray icon's double click shows it" "$(mapped)" "shown"
activate
"$WINE" "$INSTALLED" -u >/dev/null 2>&1 &
U=$!
B=$(box)
check "-u while it runs shows a box" "$([ -n "$B" ] && echo shown)" "shown"
[ -n "$B" ] && answer "$B" Return
check "and ends" "$(ended "$U")" "ended"
check "removing nothing" "$(installed)" "present"
activate
"$WINE" wineboot --end-session >/dev/null 2>&1
check "the calculator ends with the session" "$(ended "$APP")" "ended"
APP= W=

# No is the default answer, and then nothing goes.
"$WINE" "$INSTALLED" -u >/dev/null 2>&1 &
U=$!
B=$(box)
import -display "$DISPLAY" -window root "$OUT/uninstall-question.png"
[ -n "$B" ] && answer "$B" Return
B=$(box)
check "Enter answers No: Uninstall Canceled" "$([ -n "$B" ] && echo shown)" "shown"
[ -n "$B" ] && answer "$B" Return
check "the uninstaller ends" "$(ended "$U")" "ended"
check "having removed nothing" "$(installed),$(stored Decs)" "present,0x2"

# Yes removes the keys, the links, the files, and at last the program and its folder.
"$WINE" "$INSTALLED" -u >/dev/null 2>&1 &
U=$!
B=$(box)
[ -n "$B" ] && answer "$B" y
check "Yes: the uninstaller ends" "$(ended "$U")" "ended"
for _ in $(seq 100); do [ -e "$INSTALL" ] || break; sleep 0.1; done
check "the program and its folder are gone" "$([ -e "$INSTALL" ] && echo present || echo gone)" "gone"
check "the links are gone" "$([ -e "$DESKTOP_LINK" ] || [ -e "$STARTUP_DIR/Quarvel Calculator.lnk" ] && echo present || echo gone)" "gone"
check "the settings key is gone, its parent stays" \
  "$("$WINE" reg query 'HKCU\Software\Quarvel\Nimbrel' >/dev/null 2>&1 && echo present || echo gone),$("$WINE" reg query 'HKCU\Software' 2>/dev/null | tr -d '\r' | grep -c 'Software\\Quarvel$')" "gone,1"
check "the uninstall entry is gone" \
  "$("$WINE" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Nimbrel' >/dev/null 2>&1 && echo present || echo gone)" "gone"

# A damaged stored value stops the start with its message: a message box,
# not the calculator.
"$WINE" reg add 'HKCU\Software\Quarvel\Nimbrel' /v Left /t REG_SZ /d abcd /f >/dev/null 2>&1
"$WINE" "$EXE" >/dev/null 2>&1 &
APP=$!
W=
W=$(box)  # the window that is shown, whichever it is
import -display "$DISPLAY" -window root "$OUT/damaged-registry.png"
check "a damaged value shows a message box instead" "$([ -n "$W" ] && [ "$(size)" != 321x233 ] && echo box)" "box"
[ -n "$W" ] && xdotool mousemove --window "$W" 5 5 click 1 key Return
check "and the program ends" "$(ended "$APP")" "ended"
APP=

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
