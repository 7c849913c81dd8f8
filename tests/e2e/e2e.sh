#!/usr/bin/env bash
# Nimbrel.exe driven like a person, in bare Xvfb: real key events and clicks
# (xdotool), the real clipboard (xclip), the tray icon's own little window,
# the registry read back after the calculator has closed, and what message
# boxes say read by the probe (tests/e2e/probe). Independent scenarios, each
# from a fresh copy of the ready prefix with what it needs set up by itself;
# the face keys' places from the face table. Screenshots go to OUT.
# Usage: e2e.sh NIMBREL.EXE READY-PREFIX WINE-LOADER OUT-FOLDER
. "$(dirname "$0")/lib.sh" "$@"
e2e_begin e2e "${NIMBREL_E2E_DISPLAY:-93}"

DPI=96   # the ready prefix's scale: design units are pixels
# A place on the display in every size, where no key is (design units):
# Large's display spans x 144-313, Small's and Medium's 8-177, all y 8-49.
DISPLAY_AT="160 28"
# Places in the options dialog's client area: the middle of each control's
# box in its control table (src/forms/OptionsForm_win.cpp), at 100 %.
declare -A OPTION_AT=(
  [Hexidecimal]="30 66"       # Base's third item
  [LaunchAtStartUp]="261 104"
  [SystemTrayIcon]="261 152"
  [Scientific]="170 342"      # Notation's second item
  [OK]="328 20"
  [Cancel]="328 52"
)
CAPTION='Quarvel Calculator'   # the calculator's, and its message boxes'
MESSAGE_BOX='#32770'

# ---- the calculator

# Num Lock: the calculator keeps it on, and presses it again itself
# (keybd_event) when it is found off after a press of its own shift keys
# (Num Lock, F12) or a click on the Shift key. Wine doesn't pass that press
# on to X; at the next real key it finds X's Num Lock unlike its own and
# sends a Num Lock press of its own, which the calculator takes for its
# shift, and when that lands depends on timing. So the keyboard's Num Lock
# is turned on once at the start, and F12 is the shift: then the calculator
# never presses Num Lock.
num_lock() { xset q | grep -o 'Num Lock: *[a-z]*' | awk '{ print $3 }'; }
start() {  # [PROGRAM]: the calculator (or that copy) started, shown and active, Num Lock on
  start_plain "$@" || return 1
  on_display
  # Num Lock turns on, and the shift with it; F12 turns the shift off again.
  [ "$(num_lock)" = on ] || xdotool key Num_Lock F12
  for _ in $(seq 20); do [ "$(num_lock)" = on ] && return 0; sleep 0.05; done
  echo "Num Lock stays off" >&2
  return 1
}
on_display() { activate "$W" $DISPLAY_AT; }   # a click there makes it active
shift_key() { xdotool key F12 "$@"; }         # the calculator's shift, then the keys
# The window keys go to, as Windows sees it: a click or a focus takes a
# moment to get there, and Alt+F4 or a message box's answer go nowhere before.
foreground() {  # [CLASS CAPTION]: the calculator's, or that window's
  probe ${1:+--window "$1" "$2"} until foreground 5 >/dev/null
}
close_request() { foreground && xdotool key alt+F4; }   # as a person would
hides() { window_closed "$W" | sed 's/closed/hidden/; s/open/shown/'; }  # (two seconds here: see lib.sh)
ended() {  # PID: ended once the process has gone (10 s at most), else running
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || { echo ended; return; }; sleep 0.1; done
  echo running
}
running() { kill -0 "$1" 2>/dev/null && echo running || echo ended; }  # PID, now
shows() {  # the calculator's window back on the screen (5 s at most)
  for _ in $(seq 50); do [ "$(mapped "$W")" = shown ] && break; sleep 0.1; done
  mapped "$W"
}
end_session() { "$WINE" wineboot --end-session >/dev/null 2>&1 </dev/null; }

# A face key's pixels on the screen now, as a digest.
key_picture() {  # NAME
  local r origin
  r=($(key_rect "$1")) origin=($(x_origin "$W"))
  import -display "$DISPLAY" -window root "$T/key.png" 2>/dev/null
  convert "$T/key.png" -crop "${r[2]}x${r[3]}+$((origin[0] + r[0]))+$((origin[1] + r[1]))" +repage rgb:- | md5sum
}
picture_becomes() {  # NAME same|other DIGEST: waits (2 s at most) for the key to look so
  local now
  for _ in $(seq 20); do
    now=$(key_picture "$1")
    if [ "$2" = same ]; then [ "$now" = "$3" ] && break; else [ "$now" != "$3" ] && break; fi
    sleep 0.1
  done
  [ "$now" = "$3" ] && echo same || echo other
}

# A screenshot of a window that has just shown: it paints after it maps, and
# Wine gives nothing to wait on for that.
picture() { sleep 0.2; shot "$1"; }

# ---- windows, menus and message boxes

shown_windows() {  # the top-level X windows on the screen, one a line
  local w
  for w in $(xwininfo -root -children | awk '/^ +0x/ { print $1 }'); do
    [ "$(mapped "$w")" = shown ] && echo "$w"
  done
}
new_window() {  # BEFORE TENTHS: a top-level window shown that BEFORE (a list) hasn't, waited for
  local w
  for _ in $(seq $(($2 * 2))); do
    w=$(shown_windows | grep -vxF -f <(printf '%s\n' $1 '(none)') | head -1)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.05
  done
  return 1
}
x_rect() {  # X-WINDOW: left top width height on the screen
  xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
                           /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }'
}
MENU=
open_menu() {  # a right click on the display: the menu is a window of its own, MENU
  local before
  before=$(shown_windows)
  xdotool mousemove --window "$W" $DISPLAY_AT click 3
  MENU=$(new_window "$before" 20)
}
choose() {  # DOWNS: the menu's item that many down, taken with Enter; waits for the menu to go
  local n
  for n in $(seq "$1"); do xdotool key Down; done
  xdotool key Return
  for _ in $(seq 40); do [ "$(mapped "$MENU")" = hidden ] && return; sleep 0.05; done
}
menu_choice() { open_menu && choose "$1"; }  # DOWNS

tray() { xdotool search --name '^Wine System Tray$' 2>/dev/null | head -1; }
tray_click() {  # BUTTON [REPEAT] on the tray icon (raised first: it shares the screen's corner with the calculator)
  local t
  t=$(tray)
  [ -n "$t" ] || return 1
  xdotool windowraise "$t"
  xdotool mousemove --window "$t" 10 10 click --repeat "${2:-1}" --delay 80 "$1"
}
tray_icon() {  # present while the tray's own window is mapped: it is while it holds an icon
  local t
  t=$(tray)
  [ -n "$t" ] && [ "$(mapped "$t")" = shown ] && echo present || echo absent
}
tray_icon_becomes() {  # present|absent, waited for (5 s at most)
  for _ in $(seq 50); do [ "$(tray_icon)" = "$1" ] && break; sleep 0.1; done
  tray_icon
}
tray_exit() {  # Exit from the tray icon's menu: Restore, a line, Exit (its lower fifth)
  local before menu r
  before=$(shown_windows)
  tray_click 3 || return 1
  menu=$(new_window "$before" 20) || return 1
  r=($(x_rect "$menu"))
  xdotool mousemove $((r[0] + r[2] / 2)) $((r[1] + r[3] - r[3] / 5))   # onto the item first, as a hand moves
  xdotool click 1
}
stop() {  # the program ended from the tray, waited for
  tray_exit
  check "Exit from the tray menu ends the program" "$(ended "$APP")" ended
}

# Message boxes: what one says, read by the probe; answered with a key.
box_says() {  # CAPTION: the text of the message box of that caption, once it shows (10 s at most)
  probe --window "$MESSAGE_BOX" "$1" until shown 10 text |
    awk '$1 == "text" { sub(/^text /, ""); said = $0 } END { print (said == "" ? "(no box)" : said) }'
}
BOX=
answer() {  # CAPTION KEY: the message box of that caption (its X window BOX, other than the
  local w           # calculator's and the last one answered) focused, and the key
  local last=$BOX
  BOX=
  for _ in $(seq 100); do
    for w in $(xdotool search --name "^$1\$" 2>/dev/null); do
      [ "$w" != "${W:-}" ] && [ "$w" != "$last" ] && [ "$(mapped "$w")" = shown ] && BOX=$w
    done
    [ -n "$BOX" ] && break
    sleep 0.1
  done
  [ -n "$BOX" ] || return 1
  xdotool windowfocus --sync "$BOX" 2>/dev/null
  foreground "$MESSAGE_BOX" "$1"
  xdotool key "$2"
}

# ---- the options dialog

options() {  # OK|Cancel CONTROL...: shift and +, the controls clicked, then the button
  local button=$1 opt control
  shift
  shift_key KP_Add
  opt=$(window_shown '^Options$') || { need "shift and + open the options" none open; return 1; }
  for control; do xdotool mousemove --window "$opt" ${OPTION_AT[$control]} click 1; done
  [ -n "${SHOT:-}" ] && picture "$SHOT"
  xdotool mousemove --window "$opt" ${OPTION_AT[$button]} click 1
  check "$button closes the options" "$(window_closed "$opt")" closed
  on_display
}
startup_link() {
  find "$WINEPREFIX/drive_c/users" -path '*Start*Menu*' -name 'Quarvel Calculator.lnk' | grep -q . && echo present || echo absent
}

# ---- installed in a folder of its own, with links, for the uninstall mode

INSTALLED='C:\Program Files\Quarvel\Nimbrel.exe'
install() {  # the program and its companion files, links on the desktop and in the Startup folder
  INSTALL="$WINEPREFIX/drive_c/Program Files/Quarvel"
  PROFILE=$(find "$WINEPREFIX/drive_c/users" -maxdepth 1 -mindepth 1 ! -name Public | head -1)
  DESKTOP_LINK="$PROFILE/Desktop/Quarvel Calculator.lnk"
  STARTUP_LINK="$(find "$PROFILE" -type d -path '*Start*Menu*' -iname startup | head -1)/Quarvel Calculator.lnk"
  mkdir -p "$INSTALL" "$PROFILE/Desktop"
  cp "$EXE" "$(dirname "$EXE")"/{Sound.wav,Nimbrel.htm,readme.txt} "$INSTALL/"
  touch "$DESKTOP_LINK" "$STARTUP_LINK"
}
installed() { [ -e "$INSTALL/Nimbrel.exe" ] && [ -e "$INSTALL/Sound.wav" ] && [ -e "$DESKTOP_LINK" ] && echo present || echo gone; }
key_present() {  # KEY: present or gone
  "$WINE" reg query "$1" >/dev/null 2>&1 </dev/null && echo present || echo gone
}
SETTINGS_KEY='HKCU\Software\Quarvel\Nimbrel'
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Nimbrel'

# ---- the scenarios

# The first start: keys, a click on a face key, the Shift key's second
# legends, a math error that leaves the stack alone; the settings at exit.
first_start() {
  start || { need "the calculator starts" no yes; return; }
  shot first-start
  xdotool key 2 Return 3 shift+equal
  check "2 Enter 3 + copies" "$(copied)" 5.0000
  click_key "$W" Seven "$DPI"
  check "a click on Seven: a new number above the 5" "$(copied)" 7.0000
  local plain
  plain=$(key_picture Divide)
  click_key "$W" Shift "$DPI"
  check "a click on Shift shows the second legends" "$(picture_becomes Divide other "$plain")" other
  shot shifted
  click_key "$W" Shift "$DPI"
  check "a second click, the first ones again" "$(picture_becomes Divide same "$plain")" same
  xdotool key Return 0 KP_Divide
  check "7 / 0 shows the Error dialog" "$(box_says Error)" "Floating point division by zero"
  picture error
  answer Error Return
  check "Enter closes it" "$(window_closed "$BOX")" closed
  on_display
  check "the stack is as it was" "$(copied)" 0.0000
  stop
  check "the first start's place: the screen's corner" "$(stored Left),$(stored Top)" "0x0,0x0"
  check "settings written at exit: Large" "$(stored Large)" "0x1"
  check "settings written at exit: X" "$(stored Stack0)" "0000000000000000"
  check "settings written at exit: Y" "$(stored Stack1)" "0000000000001C40"
}

# A start with what another session would have left: a place, two decimals,
# 7 in Y and 0 in X.
restart() {
  store_dword Left 100
  store_dword Top 80
  store_dword Decs 2
  store_binary Stack1 0000000000001C40
  store_binary Stack0 0000000000000000
  start || { need "the calculator starts" no yes; return; }
  local window client
  window=($(probe_rect window)) client=($(probe_rect client))
  check "the window is where it was left" "${window[0]:-} ${window[1]:-}" "100 80"
  check "and its client area shows there" "$(x_origin "$W")" "${client[0]:-} ${client[1]:-}"
  xdotool key Down
  check "Y came back, and is X after a drop, with two decimals" "$(copied)" 7.00
}

# A second start says so and leaves the first one alone.
second_start() {
  start || { need "the calculator starts" no yes; return; }
  xdotool key 2 Return 3 shift+equal
  spawn "$EXE"
  local second=$!
  check "a second start says it is running" "$(box_says "$CAPTION")" "Quarvel Calculator is already running."
  picture second-start
  answer "$CAPTION" Return
  check "the second start ends" "$(ended "$second")" ended
  on_display
  check "the first one is unchanged" "$(copied)" 5.0000
}

# The size cycle (shift and minus) and the right-click menu's sizes and On Top.
sizes_and_menu() {
  start || { need "the calculator starts" no yes; return; }
  check "starts Large" "$(x_size "$W")" 321x233
  local want
  for want in Medium:185x201 Small:185x57 Large:321x233; do
    shift_key KP_Subtract
    check "shift and minus: ${want%%:*}" "$(size_becomes "$W" "${want#*:}")" "${want#*:}"
    shot "size-${want%%:*}"
  done
  open_menu
  check "the right-click menu shows as a window of its own" "$([ -n "$MENU" ] && echo shown)" shown
  picture menu
  choose 3
  check "Medium from the right-click menu" "$(size_becomes "$W" 185x201)" 185x201
  menu_choice 4
  check "and Large" "$(size_becomes "$W" 321x233)" 321x233
  menu_choice 1
  end_session
  check "the session's end ends it" "$(ended "$APP")" ended
  check "On Top from the menu is saved" "$(stored OnTop)" "0x1"
}

# The menu from the keyboard: Shift+F10 and the menu key open it below the
# display's lower-left corner, and its items are chosen with the keys; F10
# alone opens none, and neither key does during About.
menu_keys() {
  start || { need "the calculator starts" no yes; return; }
  # The tray's own window shows a moment after the calculator: not a menu.
  need "the tray icon shows" "$(tray_icon_becomes present)" present || return
  local before origin
  origin=($(x_origin "$W"))
  before=$(shown_windows)
  xdotool key F10
  # An absence: elsewhere a menu shows within a tenth of a second here.
  check "F10 alone opens no menu" "$(new_window "$before" 5 || echo none)" none
  xdotool key shift+F10
  MENU=$(new_window "$before" 20)
  need "Shift+F10 opens the menu" "$([ -n "$MENU" ] && echo shown)" shown || return
  check "below Large's display, at its left" "$(x_rect "$MENU" | awk '{ print $1, $2 }')" \
    "$((origin[0] + 144)) $((origin[1] + 49))"
  choose 3
  check "Medium chosen from it with the keys" "$(size_becomes "$W" 185x201)" 185x201
  before=$(shown_windows)
  xdotool key Menu
  MENU=$(new_window "$before" 20)
  need "the menu key opens it" "$([ -n "$MENU" ] && echo shown)" shown || return
  check "below Medium's display, at its left" "$(x_rect "$MENU" | awk '{ print $1, $2 }')" \
    "$((origin[0] + 8)) $((origin[1] + 193))"
  choose 2
  check "and Small" "$(size_becomes "$W" 185x57)" 185x57
  shift_key Return
  check "About shows, at the full face's size" "$(size_becomes "$W" 321x233)" 321x233
  before=$(shown_windows)
  xdotool key shift+F10 Menu
  check "no menu from the keys during About" "$(new_window "$before" 5 || echo none)" none
}

# Shift and Enter: the About screen at the full face's size, its lines one a
# second; no menu during it; a click ends it. From Small, so that both the
# way in and the way back show.
about() {
  start || { need "the calculator starts" no yes; return; }
  xdotool key 7 Return
  menu_choice 2
  check "Small before About" "$(size_becomes "$W" 185x57)" 185x57
  shift_key Return
  check "About shows at the full face's size" "$(size_becomes "$W" 321x233)" 321x233
  local before
  before=$(shown_windows)
  xdotool mousemove --window "$W" 100 100 click 3
  # An absence: elsewhere a menu shows within a tenth of a second here.
  check "a right click during About opens no menu" "$(new_window "$before" 5 || echo none)" none
  sleep 3   # its three lines come one a second: nothing else to wait for
  shot about
  xdotool mousemove --window "$W" 100 100 click 1
  check "a click ends About, back to Small" "$(size_becomes "$W" 185x57)" 185x57
  check "and the display is back" "$(copied)" 7.0000
  menu_choice 4
  check "Large again" "$(size_becomes "$W" 321x233)" 321x233
}

# With the tray icon on, a close request hides the calculator; it lives on in
# the tray, whose double click shows it; the place and the options are saved
# from the hidden window.
close_hides() {
  store_dword Left 100
  store_dword Top 80
  store_dword Decs 2
  start || { need "the calculator starts" no yes; return; }
  xdotool key 7 Return
  close_request
  check "a close request hides the window" "$(hides)" hidden
  check "and the program goes on" "$(running "$APP")" running
  tray_click 1 2
  check "a double click on the tray icon shows it again" "$(shows)" shown
  on_display
  check "as it was" "$(copied)" 7.00
  close_request
  check "hidden again" "$(hides)" hidden
  stop
  check "the place is saved from the hidden window" "$(stored Left),$(stored Top)" "0x64,0x50"
  check "and the options" "$(stored Decs)" "0x2"
}

# Store and Recall: the memory slots window, and a letter for one-key
# recall; the session's end saves both, and the next start has the stack.
memory() {
  store_dword Decs 2
  start || { need "the calculator starts" no yes; return; }
  local mem
  xdotool key 4 2 Left   # Store while 42 is being typed
  mem=$(window_shown '^Memory Slots \[STORE\]$')
  check "Store opens the memory window" "$([ -n "$mem" ] && echo open)" open
  xdotool key 3 k   # slot 3, and the letter K for it
  picture memory-store
  xdotool key Return
  check "Enter stores and closes" "$(window_closed "$mem")" closed
  xdotool key 1 Return k
  check "the letter K recalls slot 3" "$(copied)" 42.00
  xdotool key Right
  mem=$(window_shown '^Memory Slots \[RECALL\]$')
  check "Recall opens it too" "$([ -n "$mem" ] && echo open)" open
  picture memory-recall
  xdotool key Escape
  check "Escape closes it" "$(window_closed "$mem")" closed
  check "and changes nothing" "$(copied)" 42.00
  click_key "$W" Store "$DPI"
  mem=$(window_shown '^Memory Slots \[STORE\]$')
  check "a click on STO opens it to store" "$([ -n "$mem" ] && echo open)" open
  xdotool key Escape
  check "Escape again" "$(window_closed "$mem")" closed
  on_display
  end_session
  check "the session's end ends the program" "$(ended "$APP")" ended
  check "and X is saved" "$(stored Stack0)" "0000000000004540"
  check "with the memory slot" "$(stored MValue3),$(stored MKey3)" "0000000000004540,0x4b"
  start || { need "the calculator starts again" no yes; return; }
  check "the stack as the session left it" "$(copied)" 42.00
}

# Cancel in the options leaves every setting, the link and the tray icon.
options_cancel() {
  store_dword Decs 2
  start || { need "the calculator starts" no yes; return; }
  xdotool key 4 2 Return
  check "the tray icon before the options" "$(tray_icon_becomes present)" present
  options Cancel Hexidecimal LaunchAtStartUp SystemTrayIcon Scientific
  check "after Cancel, still decimal" "$(copied)" 42.00
  check "no start-up link" "$(startup_link)" absent
  check "and the tray icon still there" "$(tray_icon)" present
}

# OK: hexadecimal and a start-up link at once; then without the tray icon,
# and a close request ends the program; the options are saved.
options_ok() {
  store_dword Decs 2
  start || { need "the calculator starts" no yes; return; }
  xdotool key 4 2 Return
  SHOT=options options OK Hexidecimal LaunchAtStartUp
  check "the display in hexadecimal at once" "$(copied)" 2A.00
  check "the start-up link is made at once" "$(startup_link)" present
  options OK LaunchAtStartUp SystemTrayIcon   # neither the link nor the tray icon
  check "and deleted at once" "$(startup_link)" absent
  close_request
  check "without the tray icon a close request ends the program" "$(ended "$APP")" ended
  check "the options are saved" "$(stored Base),$(stored StartUp),$(stored TrayIcon)" "0x10,0x0,0x0"
}

# Launch Hidden: no window at the start, only the tray icon, whose double
# click shows it. While it runs, "-u" refuses.
hidden_start() {
  install
  store_dword Hidden 1
  store_dword TrayIcon 1
  spawn "$INSTALLED"
  APP=$!
  # The tray icon comes after the window would have been shown.
  need "the tray icon shows" "$(tray_icon_becomes present)" present || return
  check "Launch Hidden starts without a window" "$(probe state)" "iconic 0 visible 0"
  W=$(xdotool search --name "^$CAPTION\$" 2>/dev/null | head -1)
  tray_click 1 2
  check "the tray icon's double click shows it" "$(shows)" shown
  on_display
  spawn "$INSTALLED" -u
  local u=$!
  check "-u while it runs says so" "$(box_says "$CAPTION")" \
    "Quarvel Calculator is currently running.  Please exit the program before uninstalling."
  answer "$CAPTION" Return
  check "and ends" "$(ended "$u")" ended
  check "removing nothing" "$(installed)" present
  end_session
  check "the calculator ends with the session" "$(ended "$APP")" ended
}

# The uninstall mode asks; No is the default answer, and then nothing goes.
uninstall_no() {
  install
  store_dword Decs 2
  spawn "$INSTALLED" -u
  local u=$!
  check "-u asks first" "$(box_says "$CAPTION")" "Are You sure you wish to Uninstall Quarvel Calculator"
  picture uninstall-question
  answer "$CAPTION" Return
  window_closed "$BOX" >/dev/null   # the question, before the next box of the same caption
  check "Enter answers No: Uninstall Canceled" "$(box_says "$CAPTION")" "Uninstall Canceled"
  answer "$CAPTION" Return
  check "the uninstaller ends" "$(ended "$u")" ended
  check "having removed nothing" "$(installed),$(stored Decs)" "present,0x2"
}

# Yes removes the keys, the links, the files, and at last the program and
# its folder: all of them there first, from a run of the installed program.
uninstall_yes() {
  install
  start "$INSTALLED" || { need "the installed calculator starts" no yes; return; }
  end_session
  check "it ends with the session" "$(ended "$APP")" ended
  need "it has left its uninstall entry" "$(key_present "$UNINSTALL_KEY")" present || return
  need "and its settings" "$(key_present "$SETTINGS_KEY")" present || return
  W=
  spawn "$INSTALLED" -u
  local u=$!
  answer "$CAPTION" y
  check "Yes: the uninstaller ends" "$(ended "$u")" ended
  for _ in $(seq 100); do [ -e "$INSTALL" ] || break; sleep 0.1; done   # the script deletes it last
  check "the program and its folder are gone" "$([ -e "$INSTALL" ] && echo present || echo gone)" gone
  check "the links are gone" "$([ -e "$DESKTOP_LINK" ] || [ -e "$STARTUP_LINK" ] && echo present || echo gone)" gone
  check "the settings key is gone, its parent stays" \
    "$(key_present "$SETTINGS_KEY"),$(key_present 'HKCU\Software\Quarvel')" "gone,present"
  check "the uninstall entry is gone" "$(key_present "$UNINSTALL_KEY")" gone
}

# A damaged stored value stops the start with its message: a message box,
# not the calculator.
damaged_value() {
  "$WINE" reg add "$SETTINGS_KEY" /v Left /t REG_SZ /d abcd /f >/dev/null 2>&1 </dev/null
  spawn "$EXE"
  APP=$!
  check "a damaged value shows a message box" "$(box_says "$CAPTION")" "Failed to get data for 'Left'"
  check "instead of the calculator" "$(probe state)" "iconic 0 visible 0"
  picture damaged-registry
  answer "$CAPTION" Return
  check "and the program ends" "$(ended "$APP")" ended
}

# What a screen reader in another process reads through Active
# Accessibility (the probe asks as one would): the display's value, the
# thirty keys as push buttons, their names following the shift, a key
# pressed by its default action, none in Medium, the events each key raises. The whole tree and what reading it took go to OUT/acctree.txt.
acc_becomes() {  # WANT PROBE-COMMAND...: the probe's answer, asked again until it is WANT (3 s at most)
  local want=$1 got
  shift
  for _ in $(seq 10); do
    got=$(probe "$@")
    [ "$got" = "$want" ] && break
    sleep 0.3
  done
  echo "$got"
}
screen_reader() {
  start || { need "the calculator starts" no yes; return; }
  xdotool key 2 Return 3 shift+equal
  need "2 Enter 3 + done" "$(copied)" 5.0000 || return
  check "no oleacc in the calculator before a screen reader asks" "$(probe loaded oleacc.dll)" "loaded oleacc.dll no"
  check "the display's value, read from another process" "$(probe accvalue)" "accvalue X: 5.0000"
  check "oleacc once one has" "$(probe loaded oleacc.dll)" "loaded oleacc.dll yes"
  probe acctree > "$OUT/acctree.txt"
  check "thirty push buttons in Large" "$(probe accbuttons)" "accbuttons 30"
  check "sin before the shift" "$(probe accbutton sin)" "accbutton sin available"
  shift_key
  check "arcsin once shifted (F12)" "$(acc_becomes "accbutton arcsin available" accbutton arcsin)" \
    "accbutton arcsin available"
  check "and no sin" "$(probe accbutton sin)" "accbutton sin absent"
  check "Shift reads as pressed" "$(probe accbutton Shift)" "accbutton Shift pressed"
  check "7 does nothing while shifted" "$(probe accbutton 7)" "accbutton 7 unavailable"
  shift_key
  check "sin again after a second F12" "$(acc_becomes "accbutton sin available" accbutton sin)" "accbutton sin available"
  check "a screen reader presses 4" "$(probe accpress 4)" "accpress 4 ok"
  check "a number being typed, as typed" "$(acc_becomes "accvalue X: 4" accvalue)" "accvalue X: 4"
  shift_key KP_Subtract
  check "Medium: no buttons" "$(acc_becomes "accbuttons 0" accbuttons)" "accbuttons 0"
  check "and the display still there, the entry going on" "$(probe accvalue)" "accvalue X: 4"
  # What a screen reader hears while keys are typed: each key's new X, and
  # in Medium a line above it through the display's own object.
  # (The probe itself, not through a pipe that would hold its lines back.)
  "$WINE" "$PROBE_EXE" accevents 5 > "$T/events.raw" 2>/dev/null </dev/null &
  local listener=$!
  for _ in $(seq 100); do grep -q 'accevents ready' "$T/events.raw" && break; sleep 0.1; done
  xdotool key --delay 300 Return 6 KP_Add
  wait "$listener"
  tr -d '\r' < "$T/events.raw" > "$T/events"
  cp "$T/events" "$OUT/accevents.txt"
  # Heard in the calculator's process: Wine gives hooks in other processes
  # nothing (the "accevent" lines of the probe's own hook stay away).
  check "each key's new value is heard" \
    "$(awk '$1 == "acchook" && $2 == "value" { $1 = $2 = $3 = $4 = ""; sub(/^ +/, ""); print }' "$T/events" |
       paste -sd '|')" \
    "X: 4.0000|X: 6|X: 10.0000"
  check "and Y's new line" "$(grep -c '^acchook name 1 1 Y: 4.0000$' "$T/events")" 1
}

# The right-click menu's dark pixels as it opens now: the text of its
# usable items (greyed ones are drawn lighter); closed again with Escape.
menu_ink() {
  local r
  open_menu || { echo 0; return; }
  sleep 0.2   # it paints after it maps
  r=($(x_rect "$MENU"))
  import -display "$DISPLAY" -window root "$T/menu.png" 2>/dev/null
  xdotool key Escape
  for _ in $(seq 40); do [ "$(mapped "$MENU")" = hidden ] && break; sleep 0.05; done
  on_display
  convert "$T/menu.png" -crop "${r[2]}x${r[3]}+${r[0]}+${r[1]}" +repage -colorspace gray -threshold 25% \
    -format '%[fx:round(w*h*(1-mean))]' info:
}

# X read back by Copy. In this scenario about one run in three had one
# Ctrl+Insert that copied nothing (after a plain key, a Ctrl combination or
# the menu alike), while a second one straight after copied the right X, so
# the stack was untouched; never in the other scenarios. The cause is not
# found: the Copy is then pressed once more.
x_now() {
  local x
  x=$(copied)
  [ "$x" = '(nothing copied)' ] && x=$(copied)
  echo "$x"
}

# Undo and redo: Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z from the keyboard, then
# Redo and Undo chosen from the right-click menu (its fifth and sixth items,
# after the sizes). X is read back by Copy. Wine tells no other process a
# menu item's state, so greying is seen in the menu's pixels: it has more
# dark text with each of the two items usable.
undo_redo() {
  start || { need "the calculator starts" no yes; return; }
  local neither undo both
  neither=$(menu_ink)
  xdotool key 2 Return 3 KP_Add
  check "2 Enter 3 +" "$(x_now)" 5.0000
  undo=$(menu_ink)
  xdotool key ctrl+z
  check "Ctrl+Z takes the + back" "$(x_now)" 3.0000
  both=$(menu_ink)
  check "the menu's Undo, then Redo, usable as they have something to do" \
    "$([ "$neither" -lt "$undo" ] && [ "$undo" -lt "$both" ] && echo in-turn || echo "$neither $undo $both")" in-turn
  xdotool key 4
  check "and the 3 can be typed on" "$(x_now)" 34.0000
  xdotool key ctrl+z
  check "the typed number is one step" "$(x_now)" 2.0000
  xdotool key ctrl+y
  check "Ctrl+Y brings it back" "$(x_now)" 34.0000
  xdotool key ctrl+z ctrl+shift+z
  check "Ctrl+Shift+Z redoes too" "$(x_now)" 34.0000
  xdotool key ctrl+z
  check "undone once more" "$(x_now)" 2.0000
  open_menu
  picture menu-undo
  choose 6
  check "Redo from the menu" "$(x_now)" 34.0000
  menu_choice 5
  check "Undo from the menu" "$(x_now)" 2.0000
  check "the window is as it was" "$(x_size "$W")" 321x233
}

# A scenario's own state: nothing of the last one's windows (the X server,
# started afresh between them, gives their ids out again).
alone() { BOX= MENU=; "$@"; }

scenario "the first start: keys, clicks, a math error, the settings at exit" alone first_start
scenario "a restart: the place, the decimals and the stack come back" alone restart
scenario "a second start says so" alone second_start
scenario "the sizes: shift and minus, the right-click menu, On Top" alone sizes_and_menu
scenario "About from Small and back" alone about
scenario "the menu from the keyboard: Shift+F10, the menu key; not F10" alone menu_keys
scenario "a close request hides into the tray" alone close_hides
scenario "memory slots: Store, a letter, Recall; the session's end saves" alone memory
scenario "options: Cancel changes nothing" alone options_cancel
scenario "options: OK takes effect at once and is saved" alone options_ok
scenario "Launch Hidden; -u refuses while it runs" alone hidden_start
scenario "uninstall: No removes nothing" alone uninstall_no
scenario "uninstall: Yes removes everything" alone uninstall_yes
scenario "a damaged stored value stops the start" alone damaged_value
# Hostile input from outside: its own scenarios, on the helpers above.
. "$(dirname "$0")/hostile.sh"
scenario "a screen reader reads the display and the keys" alone screen_reader
scenario "undo and redo: the keys and the menu" alone undo_redo
. "$(dirname "$0")/tape.sh"
scenario "the tape: its window from the menu, its file after Exit and a restart" alone tape
scenario "a column pasted onto the stack, and undone at once" alone pasted_column
scenario "Copy Stack and roll up from the keyboard" alone copy_stack_and_roll_up
scenario "hostile: a folder where the tape's file should be" alone tape_file_blocked
. "$(dirname "$0")/planted.sh"
scenario "DLLs planted beside the program are never loaded" alone planted
e2e_end
