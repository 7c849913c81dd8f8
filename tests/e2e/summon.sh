# The calculator called from any program: sourced by desktop.sh, whose
# helpers it uses. In Wine's desktop the keys go to the window Wine has in
# front, as on Windows, and Wine sees a hotkey while one of its windows has
# the focus. A hotkey typed into the options' hotkey control; the calculator
# put away into the tray; Notepad in front; the hotkey brings the calculator
# forward with the focus, and puts it away again. A second start with -show
# brings it forward without a message. A key another program holds is named
# in a message. The Calculator key's command written, and removed.

APPKEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\AppKey\18'
calculator_key() {  # the Calculator key's command, or (none)
  "$WINE" reg query "$APPKEY" /v ShellExecute 2>/dev/null </dev/null | tr -d '\r' |
    awk '$1 == "ShellExecute" { sub(/^.*REG_SZ +/, ""); print; found = 1 } END { if (!found) print "(none)" }'
}
options_click() {  # X Y: a click at that place of the options dialog's client area
  set -- "$1" "$2" $(probe --window - Options client | awk '$1 == "client" { print $2, $3 }')
  xdotool mousemove $(($3 + $1)) $(($4 + $2)) click 1
}
hotkey_options() {  # KEYS [CalculatorKey]: the options, the hotkey typed, that box ticked or not, OK
  activate_display
  # The calculator's shift is Num Lock's: on first, and the shift off again
  # (as e2e.sh's start does), then F12 is the shift.
  xset q | grep -q 'Num Lock: *on' || xdotool key Num_Lock F12
  xdotool key F12 KP_Add
  need "shift and + open the options" "$(probe --window - Options until shown 10)" "until shown ok" || return 1
  options_click 340 186   # the hotkey control
  xdotool key "$1"
  [ -n "${2:-}" ] && options_click 257 217   # "Calculator key opens Nimbrel"
  options_click 328 20    # OK
  check "OK closes the options" "$(probe --window - Options until gone 5)" "until gone ok"
}
in_desktop() { ( exec "$WINE" explorer /desktop="$DESKTOP_NAME" "$@" ) >/dev/null 2>&1 </dev/null & }

summon() {
  install
  start || { need "the calculator starts in the desktop" no yes; return; }
  hotkey_options ctrl+alt+k CalculatorKey || return
  check "the Calculator key opens this program with -show" "$(calculator_key)" "\"$INSTALLED\" -show"
  activate_display
  xdotool key 4 2 alt+F4
  check "a close request puts it into the tray" "$(probe until hidden 5)" "until hidden ok"
  in_desktop notepad
  need "Notepad in front" "$(probe --window Notepad - until foreground 10)" "until foreground ok" || return
  xdotool key ctrl+alt+k
  check "the hotkey shows it" "$(probe until shown 5)" "until shown ok"
  check "in front" "$(probe until foreground 5)" "until foreground ok"
  xdotool key 7
  check "with the keys' focus, the number typed before ended" "$(copied)" 7.0000
  shot desktop-hotkey
  xdotool key ctrl+alt+k
  check "pressed again, back into the tray" "$(probe until hidden 5)" "until hidden ok"
  in_desktop "$INSTALLED" -show
  check "a second start with -show brings it forward" "$(probe until foreground 10)" "until foreground ok"
  check "without a message" "$(probe --window '#32770' 'Quarvel Calculator' state)" none
  hotkey_options BackSpace CalculatorKey   # no hotkey; the Calculator key off
  check "the Calculator key off removes its command" "$(calculator_key)" "(none)"
  check "the session's end ends it" "$(end_session)" ended
  check "no hotkey stored" "$(stored HotKey),$(stored CalcKey)" "0x0,0x0"
  # A stored key that another program holds (Ctrl+Alt+J: MOD_CONTROL |
  # MOD_ALT, 'J'): the start says so, and keeps it.
  "$WINE" "$PROBE_EXE" --desktop "$DESKTOP_NAME" holdhotkey 3 0x4A 60 > "$T/held" 2>/dev/null </dev/null &
  for _ in $(seq 100); do grep -q holdhotkey "$T/held" && break; sleep 0.1; done
  check "another program holds Ctrl+Alt+J" "$(tr -d '\r' < "$T/held")" "holdhotkey held"
  store_dword HotKey 1610   # 0x64A
  start
  # (named as the hotkey control shows it: Wine's keyboard calls Ctrl "Control")
  check "a key taken says so" \
    "$(probe --window '#32770' 'Quarvel Calculator' until shown 10 text | sed -n 's/^text //p')" \
    "Control + Alt + J is already used by another program."
  xdotool key Return
  check "the calculator goes on" "$(probe until shown 5)" "until shown ok"
  check "the session's end ends it" "$(end_session)" ended
  check "the taken key is kept, to try again at the next start" "$(stored HotKey)" "0x64a"
}
