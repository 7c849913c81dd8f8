# DLLs planted beside the program, as a web page can leave them in a
# Downloads folder: sourced by e2e.sh, whose helpers it uses. Wine prefers
# its own DLLs; told to load them as Windows does ("n,b": the program's
# folder first for any DLL that isn't a known DLL), it loads a planted one
# wherever the program (or a system DLL on its behalf) asks by bare name.
#
# What is planted comes from the program itself: every DLL name in the exe
# (its imports and what it loads on demand), comctl32 when its manifest asks
# for the common controls, and everything those DLLs name in turn, as Wine's
# own copies of them say; less Windows' known DLLs themselves, which Windows
# never takes from a program's folder. Each planted DLL leaves a marker when loaded
# (tests/e2e/planted); Wine's loader trace says from where each DLL came.

# Windows 10 and 11's known DLLs (the registry's KnownDLLs list, and what the
# loader maps before any program code runs).
KNOWN_DLLS=" $(echo advapi32 clbcatq combase comdlg32 coml2 difxapi gdi32 gdiplus imagehlp imm32 kernel32 msctf \
  msvcrt normaliz nsi ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore shell32 shlwapi user32 wldap32 ws2_32 \
  ntdll kernelbase win32u gdi32full ucrtbase msvcp_win bcryptprimitives cfgmgr32) "
# Not planted, for Wine's sake: what Wine's copies of the exe's imports
# import in turn (loaded before any program code runs; Windows' copies import
# only known DLLs, Wine's also version and its own zlib1); and Wine's resolver
# of delayed imports searches the program's folder whatever the process
# asked (Windows' honours the default directories), so uxtheme's delayed
# msimg32 would be found there under Wine only.
WINE_OWN=" msimg32 "
PLANTED_DLL=$(dirname "$EXE")/planted_dll.dll

dll_names() {  # FILE: the DLL names written in it, in lower case
  strings "$1" 2>/dev/null | grep -ioE '^[a-z0-9_]+\.dll$' | tr 'A-Z' 'a-z' | sort -u
}
imported_names() {  # DLL: the names in its import table
  objdump -p "$1" 2>/dev/null | awk '/DLL Name:/ { print tolower($3) }'
}
# NEXT NAME...: every DLL reached from these names (Wine having a copy of
# it), where NEXT DLL prints the names that DLL leads to; each once.
closure() {
  local next=$1 seen=" " d
  shift
  local todo="$*"
  while [ -n "$todo" ]; do
    set -- $todo
    d=$1
    shift
    todo="$*"
    [[ $seen == *" $d "* ]] && continue
    seen+="$d "
    [ -f "$BUILTINS/$d" ] || continue   # (Wine's own helpers, which Windows hasn't)
    echo "$d"
    todo+=" $("$next" "$d" | tr '\n' ' ')"
  done
}
known() { [[ $KNOWN_DLLS == *" ${1%.dll} "* ]]; }
imports_of() { imported_names "$BUILTINS/$1"; }
# A known DLL isn't planted, nor what it imports (Windows' copy imports other
# known DLLs, Wine's what it likes); what it loads on demand is.
leads_to() {
  if known "$1"; then dll_names "$BUILTINS/$1" | grep -vxF -f <(imports_of "$1"); else dll_names "$BUILTINS/$1"; fi
}
planted_names() {  # the names to plant, one a line
  # (Wine's own copies of the same width as the program)
  BUILTINS=/usr/lib/i386-linux-gnu/wine/i386-windows
  python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(4096); o=struct.unpack_from("<I",d,60)[0]
sys.exit(struct.unpack_from("<H",d,o+4)[0] != 0x8664)' "$EXE" && BUILTINS=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
  # Wine's import closure of the exe's own imports: loaded first, never planted.
  local before start d
  before=" $(closure imports_of $(imported_names "$EXE") | tr '\n' ' ') "
  start=$(dll_names "$EXE")
  strings "$EXE" | grep -q 'Microsoft.Windows.Common-Controls' && start+=" comctl32.dll"
  for d in $(closure leads_to $start); do
    known "$d" || [[ $WINE_OWN == *" ${d%.dll} "* || $before == *" $d "* ]] || echo "$d"
  done
}

planted() {
  install
  local names n overrides=
  names=$(planted_names)
  for n in $names; do cp "$PLANTED_DLL" "$INSTALL/$n"; overrides+="${n%.dll},"; done
  # (version.dll too, where Wine's comctl32 imports it: its 32-bit one does)
  check "winmm and uxtheme among the planted DLLs" "$(echo "$names" | grep -cxE 'winmm.dll|uxtheme.dll')" 2
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;${overrides%,}=n,b"
  # Dark apps: the title bar asks dwmapi too.
  "$WINE" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize' /v AppsUseLightTheme \
    /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null
  local trace=$T/loaddll.log
  : > "$trace"
  DLL_TRACE=$trace
  if start "$INSTALLED"; then
    check "keys" "$(xdotool key 2 Return 3 KP_Add; copied)" 5.0000
    planted_tour
    spawn "$INSTALLED" -u
    local u=$!
    # (slow to come under the loader's trace: its question is waited for)
    check "-u asks" "$(box_says "$CAPTION")" "Are You sure you wish to Uninstall Quarvel Calculator"
    answer "$CAPTION" y
    check "-u: Yes, and the uninstaller ends" "$(ended "$u")" ended
  else
    check "the calculator starts among planted DLLs" no yes
  fi
  unset DLL_TRACE
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  need "the planted DLLs are still there to tell" "$(ls "$INSTALL/winmm.dll" 2>/dev/null)" "$INSTALL/winmm.dll" || return
  check "no planted DLL was loaded" "$(ls "$INSTALL" | sed -n 's/\.loaded$//p' | paste -sd ' ')" ""
  check "no DLL came from the program's folder" \
    "$(grep -o 'Loaded L"[^"]*"' "$trace" | grep -i 'Quarvel' | grep -iv 'Nimbrel.exe' | sort -u | paste -sd ' ')" ""
  # What the program loaded that wasn't planted nor known (Wine's own
  # drivers and what they load by full path), for the log.
  cp "$trace" "$OUT/planted-loaddll.txt"
  grep -o 'Loaded L"[^"]*"' "$trace" | sed 's/.*\\\\//; s/"$//' | tr 'A-Z' 'a-z' | sort -u |
    while read -r n; do
      [[ $KNOWN_DLLS == *" ${n%.*} "* ]] || echo "$names" | grep -qx "$n" || [ "$n" = nimbrel.exe ] || printf '%s ' "$n"
    done | sed 's/^/  loaded and not planted: /; s/$/\n/'
}
planted_tour() {  # About, the options with the link on and off, the memory window, help, a screen reader, Exit
  shift_key Return
  sleep 1
  xdotool mousemove --window "$W" 100 100 click 1
  options OK LaunchAtStartUp
  check "the start-up link made" "$(startup_link)" present
  options OK LaunchAtStartUp
  check "and deleted" "$(startup_link)" absent
  xdotool key Left
  local mem
  mem=$(window_shown '^Memory Slots \[STORE\]$')
  check "the memory window" "$([ -n "$mem" ] && echo open)" open
  xdotool key Escape
  window_closed "$mem" >/dev/null
  on_display
  shift_key 0   # the help, opened by the shell
  sleep 2
  on_display
  check "a screen reader reads the display" "$(probe accvalue)" "accvalue X: 5.0000"
  check "the tray menu's Exit ends it" "$(tray_exit; ended "$APP")" ended
}
