#!/usr/bin/env bash
# Nimbrel.exe in Wine's desktop mode, closer to Windows than bare Xvfb:
# Windows-drawn frames with their minimise and close boxes, a taskbar with
# its Start button, task buttons and notification area, and the work area
# above it. As on Windows, the desktop and its taskbar are there before the
# calculator starts. The calculator is installed in the prefix's drive C and
# started by its Windows path; the probe (tests/e2e/probe) looks at it from
# inside the same desktop, reads the tray icon's tip, and sends what Windows
# sends at a session's end. Each scenario has a fresh prefix.
# Usage: desktop.sh NIMBREL.EXE READY-PREFIX WINE-LOADER OUT-FOLDER
. "$(dirname "$0")/lib.sh" "$@"
e2e_begin desktop "${NIMBREL_DESKTOP_DISPLAY:-92}"

DESKTOP_NAME=nimbrel
INSTALLED='C:\Quarvel\Nimbrel.exe'

install() {  # the program and its companion files in C:\Quarvel
  local dir=$WINEPREFIX/drive_c/Quarvel f
  mkdir -p "$dir"
  for f in "$EXE" "$(dirname "$EXE")"/{Sound.wav,Nimbrel.htm,readme.txt}; do [ -f "$f" ] && cp "$f" "$dir/"; done
}
desktop() {  # the desktop and its taskbar, with the work area above it
  # A named desktop has a taskbar only with the shell on; without it, Wine
  # makes a bar for the first tray icon, after the program has already read
  # a work area that covers the whole screen. The desktop closes when its
  # last program ends: the probe stays in it (ended with the prefix's server).
  "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops\'"$DESKTOP_NAME" /v EnableShell /t REG_DWORD /d 1 /f \
    >/dev/null 2>&1 </dev/null
  ( exec "$WINE" explorer /desktop="$DESKTOP_NAME,1024x768" "Z:${PROBE_EXE//\//\\}" stay 900 ) \
    >/dev/null 2>&1 </dev/null &
  DESK=$!
  [ "$(probe until taskbar 30)" = "until taskbar ok" ]
}
start() {  # the calculator, in the desktop already there; waits for its window to show
  [ -n "$DESK" ] || desktop || { echo "no taskbar in the desktop" >&2; return 1; }
  [ -n "$APP" ] && wait "$APP" 2>/dev/null   # the last start's launcher, gone once it has started
  ( exec "$WINE" explorer /desktop="$DESKTOP_NAME" "$INSTALLED" ) >/dev/null 2>&1 </dev/null &
  APP=$!
  [ "$(probe until shown 30)" = "until shown ok" ]
}
place() { probe_rect window | awk '{ print $1, $2 }'; }  # where the window's top left corner is
on_work_area() {  # the whole window within the work area of its monitor
  inside "$(probe_rect window)" "$(probe_rect workarea)"
}
minimise() {  # a click on the title bar's minimise box
  local at
  at=$(probe_point hit min)
  [ -n "$at" ] || return 1
  xdotool mousemove ${at% *} ${at#* } click 1
  probe until iconic 5 | awk '{ print $3 }'
}
tray_menu() {  # ITEM [SCREENSHOT]: right click on the tray icon, then a click on Restore or Exit
  local at menu top bottom
  at=$(probe_point trayicon)
  [ -n "$at" ] || return 1
  xdotool mousemove ${at% *} ${at#* } click 3
  [ "$(probe until menu 5)" = "until menu ok" ] || return 1
  [ -n "${2:-}" ] && shot "$2"
  menu=$(probe_rect menu)
  set -- "$1" $menu
  # Restore, a separator, Exit: the items fill the menu's upper and lower fifths.
  local x=$((($2 + $4) / 2)) y
  if [ "$1" = Restore ]; then y=$(($3 + ($5 - $3) / 5)); else y=$(($5 - ($5 - $3) / 5)); fi
  xdotool mousemove "$x" "$y"   # onto the item first, as the pointer goes (the icon's tip gives way)
  xdotool click 1
}
activate_display() {  # a click on the display, where no key is, makes the calculator active
  local client
  client=$(probe_rect client)
  [ -n "$client" ] || return 1
  set -- $client
  xdotool mousemove $(($1 + 230)) $(($2 + 12)) click 1
}
tray_tip() {  # the tip that shows with the pointer over the tray icon
  local at
  at=$(probe_point trayicon)
  [ -n "$at" ] || { echo "(no tray icon)"; return; }
  [ "$(probe until no-tip 5)" = "until no-tip ok" ] || { echo "(a tip was already shown)"; return; }
  # Onto the icon, and a pixel on, as a hand moves it: the tip needs motion.
  xdotool mousemove $((${at% *} - 1)) ${at#* } sleep 0.1 mousemove ${at% *} ${at#* }
  probe until tip 5 tip | awk '$1 == "until" && $3 != "ok" { print "(no tip shows)"; exit }
                               $1 == "tip" { sub(/^tip /, ""); print }'
}
end_session() {  # what Windows does at a log-off: ask, tell, end the process
  probe endsession | awk '{ print $3 }'
}

# ---- the scenarios

# Minimised with the title bar's box, then the session ends: the place saved
# is the window's normal one, and the next start is on the work area.
minimised_at_session_end() {
  install
  store_dword Left 200
  store_dword Top 150
  start || { need "the calculator starts in the desktop" no yes; return; }
  check "it starts at the stored place" "$(place)" "200 150"
  shot desktop-start
  need "the minimise box minimises it" "$(minimise)" ok || return
  check "and it is still shown in the taskbar" "$(probe state)" "iconic 1 visible 1"
  shot desktop-minimised
  check "the session's end ends it" "$(end_session)" ended
  check "the normal place is saved, not the minimised one" "$(signed "$(stored Left)") $(signed "$(stored Top)")" "200 150"
  start || { need "it starts again" no yes; return; }
  check "the next start is where it was" "$(place)" "200 150"
  check "on the work area" "$(on_work_area)" inside
}

# Minimised, then Exit from the tray icon's menu: the same.
minimised_tray_exit() {
  install
  store_dword Left 300
  store_dword Top 220
  start || { need "the calculator starts in the desktop" no yes; return; }
  need "the minimise box minimises it" "$(minimise)" ok || return
  tray_menu Exit desktop-tray-menu || { need "the tray icon's menu opens" no yes; return; }
  check "Exit ends it" "$(probe until gone 10)" "until gone ok"
  check "the normal place is saved, not the minimised one" "$(signed "$(stored Left)") $(signed "$(stored Top)")" "300 220"
  start || { need "it starts again" no yes; return; }
  check "the next start is where it was" "$(place)" "300 220"
  check "on the work area" "$(on_work_area)" inside
}

# With the tray icon on, the close box hides the calculator into the tray;
# the icon's Restore brings it back where it was.
close_box_hides() {
  install
  start || { need "the calculator starts in the desktop" no yes; return; }
  local before at
  before=$(probe_rect window)
  at=$(probe_point hit close)
  need "the title bar has a close box" "$([ -n "$at" ] && echo yes)" yes || return
  xdotool mousemove ${at% *} ${at#* } click 1
  check "the close box hides the window" "$(probe until hidden 5)" "until hidden ok"
  check "and the program goes on" "$(probe state)" "iconic 0 visible 0"
  shot desktop-hidden-in-tray
  tray_menu Restore || { need "the tray icon's menu opens" no yes; return; }
  check "Restore shows it again" "$(probe until shown 5)" "until shown ok"
  check "where it was" "$(probe_rect window)" "$before"
  check "on the work area" "$(on_work_area)" inside
}

# The tray icon's tip says what X holds, as the pointer finds it: first the
# empty stack's, then after 2 Enter 3 +.
tip_follows_x() {
  install
  start || { need "the calculator starts in the desktop" no yes; return; }
  check "the tip at the start" "$(tray_tip)" "Nimbrel [X: 0.0000]"
  activate_display || { need "the calculator has a client area" no yes; return; }
  xdotool key 2 Return 3 shift+equal
  check "2 Enter 3 +" "$(copied)" "5.0000"
  check "the tip after 2 Enter 3 +" "$(tray_tip)" "Nimbrel [X: 5.0000]"
  shot desktop-tray-tip
}

# A stored place: LEFT TOP, and whether it should come up unchanged ("same")
# or be moved onto the work area ("moved"): its title bar lies outside every
# work area (off the screen, under the taskbar, or a bigger screen's place).
stored_place() {
  local left=$1 top=$2 expect=$3
  install
  store_dword Left "$left"
  store_dword Top "$top"
  start || { need "the calculator starts in the desktop" no yes; return; }
  if [ "$expect" = same ]; then
    check "the place is used unchanged" "$(place)" "$left $top"
  else
    local now
    now=$(place)
    check "the window is moved" "$([ "$now" != "$left $top" ] && echo moved || echo "left at $now")" moved
  fi
  check "it lies on the work area" "$(on_work_area)" inside
}

. "$(dirname "$0")/summon.sh"
scenario "minimised, then the session ends" minimised_at_session_end
scenario "minimised, then Exit from the tray" minimised_tray_exit
scenario "the close box hides into the tray, Restore shows" close_box_hides
scenario "the tray icon's tip follows X" tip_follows_x
scenario "a hotkey, the Calculator key and -show call it from anywhere" summon
for row in "100 80 same" "5000 -32000 moved" "-32000 -32000 moved" "1500 900 moved" "200 752 moved"; do
  scenario "stored place ${row% *} (${row##* })" stored_place $row
done
e2e_end
