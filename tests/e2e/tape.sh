# The tape window and its file, a column pasted from the clipboard, Copy
# Stack and roll up: sourced by e2e.sh, whose helpers it uses.

tape_file() {  # the tape's file in the user's local application data, CRs dropped
  cat "$WINEPREFIX"/drive_c/users/*/AppData/Local/Quarvel/Nimbrel/Tape.txt 2>/dev/null | tr -d '\r'
}

clipboard_after() {  # KEYS...: pressed after a marker is on the clipboard; the text they put there, CRs dropped
  printf '(nothing copied)' | xclip -i -selection clipboard >/dev/null 2>&1
  xdotool key "$@"
  local text='(nothing copied)'
  for _ in $(seq 100); do
    text=$(xclip -o -selection clipboard 2>/dev/null | tr -d '\r')
    [ "$text" != '(nothing copied)' ] && break
    sleep 0.1
  done
  echo "$text"
}

tape_text() {  # the tape window's text, as Select All and Copy give it
  xdotool mousemove --window "$TAPE" 60 60 click 1
  clipboard_after ctrl+a ctrl+c
}

stack_text() { clipboard_after ctrl+shift+Insert | paste -sd ' '; }  # Copy Stack's ten lines on one

# Opened from the menu, the tape shows each step as it happens; its file
# has the steps after Exit, and a restart opens the window again with them.
tape() {
  start || { need "the calculator starts" no yes; return; }
  menu_choice 11   # On Top, Small, Medium, Large, Undo, Redo, Copy, Copy Stack, Paste, Roll Up, Tape
  TAPE=$(window_shown '^Tape$')
  need "Tape from the menu opens its window" "$([ -n "$TAPE" ] && echo shown)" shown || return
  on_display
  xdotool key 2 Return 3 KP_Add
  check "2 Enter 3 +" "$(x_now)" 5.0000
  shot tape
  check "the tape says how" "$(tape_text)" $'2\tENTER\t2.0000\n3\t+\t5.0000'
  on_display
  stop
  check "its file has the steps after Exit" "$(tape_file)" $'2\tENTER\t2.0000\n3\t+\t5.0000'
  check "and that the window was open" "$(stored TapeShown)" 0x1
  start || { need "the calculator starts again" no yes; return; }
  TAPE=$(window_shown '^Tape$')
  need "the tape window opens with it" "$([ -n "$TAPE" ] && echo shown)" shown || return
  on_display
  xdotool key 4 KP_Multiply
  check "after a restart the steps go on below the old ones" "$(tape_text)" \
    $'2\tENTER\t2.0000\n3\t+\t5.0000\n4\t\u00d7\t20.0000'
  on_display
  close_request
  check "into the tray with the calculator" "$(window_closed "$TAPE")" closed
  tray_click 1 2
  check "and back with it" "$(shows) $(window_shown '^Tape$' >/dev/null && mapped "$TAPE")" "shown shown"
  xdotool mousemove --window "$TAPE" 60 60 click 1
  xdotool key ctrl+t
  check "Ctrl+T in it closes it" "$(window_closed "$TAPE")" closed
  on_display
  stop
  check "and the file has them all" "$(tape_file | wc -l)" 3
  check "closed, it stays closed" "$(stored TapeShown)" 0x0
}

# A column copied from a spreadsheet goes onto the stack number by number;
# one Undo takes it all back.
pasted_column() {
  start || { need "the calculator starts" no yes; return; }
  xdotool key 7 Return
  local x
  # Wine learns of X's new clipboard owner a moment late: until then Paste
  # reads the old text, which is undone and the paste tried again.
  for _ in $(seq 10); do
    printf '1\r\n2\r\n3\r\n' | xclip -i -selection clipboard >/dev/null 2>&1
    sleep 0.5
    xdotool key shift+Insert
    x=$(x_now)
    [ "$x" = 3.0000 ] && break
    xdotool key ctrl+z
  done
  check "a pasted column ends with its last number in X" "$x" 3.0000
  xdotool key Down
  check "the one before it in Y" "$(x_now)" 2.0000
  xdotool key ctrl+z ctrl+z
  check "one Undo takes the whole paste back" "$(x_now)" 7.0000
}

# Copy Stack puts the ten levels on the clipboard, the deepest first; F11
# rolls the stack up.
copy_stack_and_roll_up() {
  start || { need "the calculator starts" no yes; return; }
  xdotool key 1 Return 2 Return 3
  check "Copy Stack: ten lines, X last" "$(stack_text)" \
    "0.0000 0.0000 0.0000 0.0000 0.0000 0.0000 0.0000 1.0000 2.0000 3.0000"
  on_display
  xdotool key F11
  check "F11: level 10 to X, the rest one up" "$(stack_text)" \
    "0.0000 0.0000 0.0000 0.0000 0.0000 0.0000 1.0000 2.0000 3.0000 0.0000"
  on_display
  xdotool key F12 Down
  check "and R-down puts it back" "$(stack_text)" \
    "0.0000 0.0000 0.0000 0.0000 0.0000 0.0000 0.0000 1.0000 2.0000 3.0000"
}

# A folder where the tape's file should be: the calculator goes on, and the
# tape window says why the tape isn't kept.
tape_file_blocked() {
  mkdir -p "$(echo "$WINEPREFIX"/drive_c/users/*/AppData/Local)/Quarvel/Nimbrel/Tape.txt"
  start || { need "the calculator starts" no yes; return; }
  xdotool key 2 Return 3 KP_Add ctrl+t
  TAPE=$(window_shown '^Tape$')
  need "Ctrl+T opens the tape" "$([ -n "$TAPE" ] && echo shown)" shown || return
  shot tape-not-kept
  check "the window says why the tape isn't kept" \
    "$(probe --window TfrmTape Tape until shown 10 text | grep -c "The tape isn't kept on disk: .*Tape.txt can't be")" 1
  check "and the tape goes on in it" "$(tape_text)" $'2\tENTER\t2.0000\n3\t+\t5.0000'
  on_display
  xdotool key 4 KP_Multiply
  check "as does the calculator" "$(x_now)" 20.0000
}
