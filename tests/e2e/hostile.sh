# Hostile input from outside, end to end: sourced by e2e.sh, whose helpers
# (start, box_says, answer, install, options, ...) it uses, one scenario
# each on a fresh prefix:
#   - a damaged stored value: the settings stay as stored;
#   - a command line of 32 K characters;
#   - the program in a folder named in two other scripts, nested beyond
#     MAX_PATH: it starts, its uninstall entry names it, -u removes it;
#   - the Startup and temporary folders of a user with a non-ASCII name
#     (pointed there through the shell's folder settings and the user's
#     environment: the prefix's own user can't be renamed);
#   - a file standing where the Startup folder should be (Wine runs as root
#     here, so a read-only folder can't be made: the file stands in);
#   - a megabyte of text on the clipboard;
#   - a second start while the first is hidden in the tray, two starts at
#     the same moment, and a start and -u while another is still starting.

start_args() {  # ARGS...: the calculator started with these arguments, shown and active
  spawn "$EXE" "$@"
  APP=$!
  W=$(timeout 30 xdotool search --sync --name "^$CAPTION\$" 2>/dev/null | head -1)
  [ -n "$W" ] || return 1
  for _ in $(seq 100); do [ "$(mapped "$W")" = shown ] && break; sleep 0.1; done
  [ "$(mapped "$W")" = shown ] || return 1
  on_display
  [ "$(num_lock)" = on ] || xdotool key Num_Lock F12
  for _ in $(seq 20); do [ "$(num_lock)" = on ] && return 0; sleep 0.05; done
  return 1
}

adds_up() { xdotool key 2 Return 3 KP_Add; copied; }  # 2 Enter 3 +, as Copy gives X

# The longest command line: the calculator starts and works.
long_command_line() {
  local arg
  arg=$(head -c 32000 /dev/zero | tr '\0' 'x')
  start_args "$arg" || { need "a 32 K command line starts the calculator" no yes; return; }
  check "and it adds" "$(adds_up)" 5.0000
  end_session
  check "it ends with the session" "$(ended "$APP")" ended
}

# A folder named in Cyrillic and Japanese, nested until the exe's path is
# beyond MAX_PATH.
FAR_ROOT='Жора 日本'
far_install() {
  local part='Папка 日本語のフォルダ' dos="C:\\$FAR_ROOT" unix="$WINEPREFIX/drive_c/$FAR_ROOT"
  while [ ${#dos} -lt 270 ]; do dos+="\\$part" unix+="/$part"; done
  FAR_DIR=$unix FAR_EXE="$dos\\Nimbrel.exe"
  mkdir -p "$FAR_DIR"
  cp "$EXE" "$(dirname "$EXE")"/{Sound.wav,Nimbrel.htm,readme.txt} "$FAR_DIR/"
}
uninstall_string() {
  "$WINE" reg query "$UNINSTALL_KEY" /v UninstallString 2>/dev/null </dev/null | tr -d '\r' |
    sed -n 's/^ *UninstallString *REG_SZ *//p'
}
far_folder() {
  far_install
  check "the path is beyond MAX_PATH" "$([ ${#FAR_EXE} -gt 260 ] && echo beyond)" beyond
  spawn "$FAR_DIR/Nimbrel.exe"
  APP=$!
  W=$(timeout 30 xdotool search --sync --name "^$CAPTION\$" 2>/dev/null | head -1)
  need "the calculator starts from there" "$([ -n "$W" ] && echo started)" started || return
  on_display
  [ "$(num_lock)" = on ] || xdotool key Num_Lock F12
  check "and adds" "$(adds_up)" 5.0000
  end_session
  check "it ends with the session" "$(ended "$APP")" ended
  # The entry's command names the same file: a path in quotes, then -u.
  local command exe
  command=$(uninstall_string)
  exe=${command% -u}
  exe=${exe#\"}
  exe=${exe%\"}
  check "the uninstall entry ends in -u" "${command: -3}" " -u"
  check "and names this exe" "$("$WINE" winepath -u "$exe" 2>/dev/null </dev/null | xargs -0 readlink -f 2>/dev/null | tr -d '\n')" \
    "$(readlink -f "$FAR_DIR/Nimbrel.exe")"
  W=
  spawn "$FAR_DIR/Nimbrel.exe" -u
  local u=$!
  answer "$CAPTION" y
  check "Yes: the uninstaller ends" "$(ended "$u")" ended
  for _ in $(seq 100); do [ -e "$FAR_DIR" ] || break; sleep 0.1; done
  check "the exe and its folder are gone" "$([ -e "$FAR_DIR" ] && echo present || echo gone)" gone
}

# The user's Startup and temporary folders under a name in another script.
user_folders_to() {  # WINDOWS-FOLDER for Startup; the temporary folder beside it
  "$WINE" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders' \
    /v Startup /t REG_EXPAND_SZ /d "$1" /f >/dev/null 2>&1 </dev/null
  "$WINE" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' \
    /v Startup /t REG_SZ /d "$1" /f >/dev/null 2>&1 </dev/null
}
NON_ASCII_USER='C:\users\Жора Ёлкин'
non_ascii_user() {
  local home="$WINEPREFIX/drive_c/users/Жора Ёлкин"
  mkdir -p "$home/Temp"
  user_folders_to "$NON_ASCII_USER\\Startup"   # missing: made with the link
  "$WINE" reg add 'HKCU\Environment' /v TEMP /t REG_SZ /d "$NON_ASCII_USER\\Temp" /f >/dev/null 2>&1 </dev/null
  "$WINE" reg add 'HKCU\Environment' /v TMP /t REG_SZ /d "$NON_ASCII_USER\\Temp" /f >/dev/null 2>&1 </dev/null
  install
  start "$INSTALLED" || { need "the calculator starts" no yes; return; }
  options OK LaunchAtStartUp
  check "the link is made in the missing Startup folder" \
    "$([ -f "$home/Startup/Quarvel Calculator.lnk" ] && echo present || echo absent)" present
  # Ended from the tray, not with the session: the next Wine session would
  # start whatever the Startup folder holds, the calculator now among them.
  stop
  check "StartUp is on" "$(stored StartUp)" 0x1
  W=
  spawn "$INSTALLED" -u
  local u=$!
  answer "$CAPTION" y
  check "Yes: the uninstaller ends" "$(ended "$u")" ended
  for _ in $(seq 100); do [ -e "$INSTALL" ] || break; sleep 0.1; done
  check "the script in the user's temporary folder removed the program" \
    "$([ -e "$INSTALL" ] && echo present || echo gone)" gone
  check "and the link" "$([ -e "$home/Startup/Quarvel Calculator.lnk" ] && echo present || echo gone)" gone
  for _ in $(seq 50); do [ -e "$home/Temp/DelUS.bat" ] || break; sleep 0.1; done   # its last line
  check "and itself" "$([ -e "$home/Temp/DelUS.bat" ] && echo present || echo gone)" gone
}

# A file where the Startup folder should be: the link can't be made.
startup_blocked() {
  mkdir -p "$WINEPREFIX/drive_c/blocked"
  echo not a folder > "$WINEPREFIX/drive_c/blocked/Startup"
  user_folders_to 'C:\blocked\Startup'
  start || { need "the calculator starts" no yes; return; }
  shift_key KP_Add
  local opt
  opt=$(window_shown '^Options$') || { need "shift and + open the options" none open; return; }
  xdotool mousemove --window "$opt" ${OPTION_AT[LaunchAtStartUp]} click 1
  xdotool mousemove --window "$opt" ${OPTION_AT[OK]} click 1
  local said
  said=$(probe --window "$MESSAGE_BOX" - until shown 10 text caption)
  check "an error box with the system's text" "$(grep -c '^text .\+' <<<"$said")" 1
  check "captioned where it was found" "$(grep -o '^caption Generic, Line=' <<<"$said")" "caption Generic, Line="
  picture startup-blocked
  answer "Generic.*" Return
  on_display
  close_request
  check "without the tray icon... it hides; the session's end saves" "$(hides)" hidden
  end_session
  check "it ends" "$(ended "$APP")" ended
  check "StartUp stays off" "$(stored StartUp)" 0x0
}

# A megabyte of text on the clipboard, then no text at all.
# Wine takes a moment to learn that X's clipboard has a new owner: until it
# does, Paste reads what was there before. So the text is offered again
# until a paste has read it (ten tries), each paste checked through Copy
# (which itself takes the clipboard).
megabyte_clipboard() {
  start || { need "the calculator starts" no yes; return; }
  local x
  for _ in $(seq 10); do
    { printf 'Total: 42.5 '; head -c 1048564 /dev/zero | tr '\0' '7'; } | xclip -i -selection clipboard >/dev/null 2>&1
    sleep 0.5
    xdotool key shift+Insert
    x=$(copied)
    [ "$x" = 42.5778 ] && break
  done
  check "the number in its first 31 characters is pasted" "$x" 42.5778
  xdotool key 1 KP_Add
  check "and the calculator goes on" "$(copied)" 43.5778
  # A clipboard with no text at all (a picture only) pastes as empty text: 0.
  for _ in $(seq 10); do
    printf '\x89PNG\r\n' | xclip -i -selection clipboard -t image/png >/dev/null 2>&1
    sleep 0.5
    xdotool key shift+Insert
    x=$(copied)
    [ "$x" = 0.0000 ] && break
  done
  check "no text on the clipboard pastes 0" "$x" 0.0000
  xdotool key Down
  check "above the number before it" "$(copied)" 43.5778
}

# A damaged value stops the start; the settings stay as they were stored,
# also when the session ends while the message shows.
damaged_untouched() {
  store_dword Decs 2
  store_binary Stack0 0000000000001440   # 5
  "$WINE" reg add "$SETTINGS_KEY" /v Stack5 /t REG_BINARY /d 00112233445566778899 /f >/dev/null 2>&1 </dev/null
  spawn "$EXE"
  APP=$!
  check "the message names the damaged value" "$(box_says "$CAPTION")" "Failed to get data for 'Stack5'"
  end_session
  check "the session's end ends it" "$(ended "$APP")" ended
  check "nothing was written over the settings" "$(stored Decs) $(stored Stack0) $(stored Stack5)" \
    "0x2 0000000000001440 00112233445566778899"
  check "nor added to them" "$(stored Left)$(stored Base)" ""
}

# A second start while the first is hidden in the tray.
second_start_hidden() {
  start || { need "the calculator starts" no yes; return; }
  xdotool key 2 Return 3 KP_Add
  close_request
  check "a close request hides it" "$(hides)" hidden
  spawn "$EXE"
  local second=$!
  check "a second start says it is running" "$(box_says "$CAPTION")" "Quarvel Calculator is already running."
  answer "$CAPTION" Return
  check "the second start ends" "$(ended "$second")" ended
  check "the first still runs" "$(running "$APP")" running
  tray_click 1 2
  check "and comes back from the tray" "$(shows)" shown
  on_display
  check "unchanged" "$(copied)" 5.0000
}

# The calculator's own window among those of its caption (its message boxes
# share it): the one of the Large size.
calculator_window() {
  local w
  for _ in $(seq 100); do
    for w in $(xdotool search --name "^$CAPTION\$" 2>/dev/null); do
      [ "$(mapped "$w")" = shown ] && [ "$(x_size "$w")" = 321x233 ] && { echo "$w"; return 0; }
    done
    sleep 0.1
  done
  return 1
}

# Two starts at the same moment: one calculator, one box.
two_starts() {
  spawn "$EXE"
  local first=$!
  spawn "$EXE"
  local second=$!
  check "one of them says it is running" "$(box_says "$CAPTION")" "Quarvel Calculator is already running."
  W=$(calculator_window)
  need "the other is the calculator" "$([ -n "$W" ] && echo shown)" shown || return
  # The calculator may take the foreground just after the box did, and
  # Return with it: where the key leaves the box up, its OK button (centred,
  # near its foot) is clicked, as a person would.
  answer "$CAPTION" Return
  if [ "$(window_closed "$BOX")" != closed ]; then
    local r
    r=($(x_rect "$BOX"))
    xdotool mousemove $((r[0] + r[2] / 2)) $((r[1] + r[3] - 21)) click 1
  fi
  local a b
  for _ in $(seq 100); do
    a=$(running "$first") b=$(running "$second")
    [ "$a" != "$b" ] && break
    sleep 0.1
  done
  check "and ends; the other runs on" "$(printf '%s\n' "$a" "$b" | sort | tr '\n' ' ')" "ended running "
  [ "$a" = running ] && APP=$first || APP=$second
  on_display
  [ "$(num_lock)" = on ] || xdotool key Num_Lock F12
  check "the calculator works" "$(adds_up)" 5.0000
}

# While another calculator is starting (its start lock held, its window
# not made yet), a start says it is running and -u refuses.
while_another_starts() {
  install
  ( exec "$WINE" "$PROBE_EXE" startlock 20 ) >"$T/lock" 2>/dev/null </dev/null &
  SPAWNED+=($!)
  for _ in $(seq 100); do grep -q startlock "$T/lock" && break; sleep 0.1; done
  need "the lock is held" "$(tr -d '\r' < "$T/lock")" "startlock held" || return
  spawn "$INSTALLED" -u
  local u=$!
  check "-u refuses" "$(box_says "$CAPTION")" \
    "Quarvel Calculator is currently running.  Please exit the program before uninstalling."
  answer "$CAPTION" Return
  check "the uninstaller ends" "$(ended "$u")" ended
  check "removing nothing" "$(installed)" present
  window_closed "$BOX" >/dev/null   # before the next box of the same caption,
  BOX=                              # which Wine may give the same X window
  spawn "$INSTALLED"
  local second=$!
  check "a start says it is running" "$(box_says "$CAPTION")" "Quarvel Calculator is already running."
  answer "$CAPTION" Return
  check "the start ends" "$(ended "$second")" ended
}

scenario "hostile: a damaged value leaves the settings as stored" alone damaged_untouched
scenario "hostile: a 32 K command line" alone long_command_line
scenario "hostile: a folder in other scripts beyond MAX_PATH" alone far_folder
scenario "hostile: a user name in another script" alone non_ascii_user
scenario "hostile: a file where the Startup folder should be" alone startup_blocked
scenario "hostile: a megabyte on the clipboard" alone megabyte_clipboard
scenario "hostile: a second start while hidden in the tray" alone second_start_hidden
scenario "hostile: two starts at the same moment" alone two_starts
scenario "hostile: a start and -u while another is starting" alone while_another_starts
