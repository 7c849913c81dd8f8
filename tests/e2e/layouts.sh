#!/usr/bin/env bash
# Nimbrel.exe typed on the main keyboard only (no keypad, as on a laptop)
# under the US, German and French layouts, in bare Xvfb as e2e.sh runs it:
# + - * / and the decimal point work wherever the layout puts them; keys
# that type something else there mean nothing. X is read back by Copy.
# The server keeps its layout between clients (-noreset); Wine reads the
# layout when its server starts, so each layout is set before its scenario
# starts a fresh prefix (and with it a new wineserver).
# Usage: layouts.sh NIMBREL.EXE READY-PREFIX WINE-LOADER OUT-FOLDER
XVFB_ARGS=-noreset
. "$(dirname "$0")/lib.sh" "$@"
e2e_begin layouts "${NIMBREL_LAYOUTS_DISPLAY:-89}"

DISPLAY_AT="160 28"   # on Large's display, where no key is (design units, 100 %)

# KEYS (xdotool key arguments: keysyms, found on the layout as it types
# them, with Shift where it needs it) then X as Copy gives it. Each ends
# its number, so that the next starts afresh.
typed() {  # WHAT KEYS... WANT (the last argument)
  local what=$1 want=${!#}
  shift
  xdotool key "${@:1:$#-1}"
  check "$what" "$(copied)" "$want"
}

# The sums every layout must get right, typed by their characters.
arithmetic() {
  typed "6 Enter 7 *" 6 Return 7 asterisk 42.0000
  typed "8 Enter 2 /" 8 Return 2 slash 4.0000
  typed "3 Enter 4 +" 3 Return 4 plus 7.0000
  typed "9 Enter 4 -" 9 Return 4 minus 5.0000
  typed "3 . 5 Enter" 3 period 5 Return 3.5000
  typed "9 Enter 4 Ctrl+-: Ctrl changes nothing" 9 Return 4 ctrl+minus 5.0000
}

on_layout() {  # LAYOUT: the calculator started on it, the sums
  local layout=$1
  check "the layout is $layout" "$(setxkbmap -query | awk '$1 == "layout:" { print $2 }')" "$layout"
  start_plain || { need "the calculator starts" no yes; return; }
  activate "$W" $DISPLAY_AT
  arithmetic
  case $layout in
    us)
      typed "3 , 5 Enter: no decimal comma here" 3 comma 5 Return 35.0000
      typed "6 Enter 7 = Enter: = means nothing" 6 Return 7 equal Return 7.0000
      ;;
    de)
      typed "3 , 5 Enter: the decimal comma" 3 comma 5 Return 3.5000
      typed "6 Enter 7 ( Enter: Shift+8 is the digit, no product" 6 Return 7 parenleft Return 78.0000
      typed "8 Enter 2 Shift+7 is / here" 8 Return 2 shift+7 4.0000
      ;;
    fr)
      typed "3 , 5 Enter: the keypad's point is the decimal point" 3 comma 5 Return 35.0000
      typed "8 Enter 2 : Enter: : means nothing" 8 Return 2 colon Return 2.0000
      typed "9 Enter 4 & Enter: & (the 1 key unshifted) is the digit" 9 Return 4 ampersand Return 41.0000
      ;;
  esac
}

for layout in ${NIMBREL_LAYOUTS:-us de fr}; do
  setxkbmap -layout "$layout"
  scenario "$layout: + - * / and the point on the main keyboard" on_layout "$layout"
done
setxkbmap -layout us
e2e_end
