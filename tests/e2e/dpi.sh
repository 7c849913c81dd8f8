#!/usr/bin/env bash
# Nimbrel.exe at 100, 150 and 200 % (LogPixels 96, 144, 192), in bare Xvfb
# as e2e.sh runs it: every size's client area follows the design geometry's
# rule (src/core/Scale.h), the display's two lines are apart and inside it,
# a click on a face key at its scaled place types it; and a WM_DPICHANGED
# (sent by the probe, as Windows sends it when the window meets another
# monitor) lays the window out again. Screenshots of every layout at every
# scale go to OUT as dpi-PERCENT-LAYOUT.png. Each scenario has a fresh prefix.
# Usage: dpi.sh NIMBREL.EXE READY-PREFIX WINE-LOADER OUT-FOLDER
. "$(dirname "$0")/lib.sh" "$@"
e2e_begin dpi "${NIMBREL_DPI_DISPLAY:-91}"

# The sizes' client areas in design units.
SIZES="Large:321x233 Medium:185x201 Small:185x57"

scaled_size() { echo "$(s "$1" "${2%x*}")x$(s "$1" "${2#*x}")"; }  # DPI WxH
percent() { echo $(($1 * 100 / 96)); }

begin_at() {  # DPI: the scale set, the calculator started and active
  set_dpi "$1"
  # Away from the screen's corner, where the tray's own little window sits
  # (it would cover the display's pixels), and with room for 200 %.
  store_dword Left 200
  store_dword Top 150
  start_plain || return 1
  activate "$W" "$(s "$1" 230)" "$(s "$1" 12)"   # on the display: no key there
}
shift_key() { xdotool key Num_Lock "$@"; }   # the calculator's shift, then the keys

# The display's lines, found as the bands of rows holding white pixels in
# the display's rectangle: as many as it shows lines, apart, each within its
# own line (X's top at the display's height - s(20), one line per s(18)
# upward).
display_lines() {  # DPI DISPLAY-LEFT DISPLAY-HEIGHT LINES (design units)
  local dpi=$1 lines=$4 origin left top width height bands
  origin=$(x_origin "$W")
  left=$((${origin% *} + $(s "$dpi" "$2"))) top=$((${origin#* } + $(s "$dpi" 8)))
  width=$(s "$dpi" 169) height=$(s "$dpi" "$3")
  bands=$(white_bands "$left" "$top" "$width" "$height")
  check "the display shows $lines lines, apart (white rows: $bands)" "$(wc -w <<<"$bands")" "$lines"
  # From the bottom: band i must lie within line i's box.
  local bottom=$((top + height)) i=0 misplaced= band box_top box_end
  for band in $(tr ' ' '\n' <<<"$bands" | tac); do
    box_end=$((bottom - (i > 0) * $(s "$dpi" 20) - (i > 1 ? i - 1 : 0) * $(s "$dpi" 18)))
    box_top=$((bottom - $(s "$dpi" 20) - i * $(s "$dpi" 18)))
    [ "${band%-*}" -ge "$box_top" ] && [ "${band#*-}" -lt "$box_end" ] ||
      misplaced+="line $i at $band, not in $box_top-$((box_end - 1)); "
    i=$((i + 1))
  done
  check "each line lies in its own place" "${misplaced:-all in place}" "all in place"
}

# Clicks on face keys at their scaled places, each row's keys then what X
# reads: digits, the wide Zero, the tall Enter and Add, an operation.
KEY_CLICKS=(
  "Seven:7.0000"
  "Enter Eight Add:15.0000"
  "Zero Decimal Five Multiply:7.5000"
)
# The pictures: every face key's, and the face's own between the keys (the
# left panel's label, design rectangle 16,126 113x28), at the scaled places.
face_pictures() {  # DPI
  local dpi=$1 origin ox oy name left top width height
  origin=$(x_origin "$W")
  ox=${origin% *} oy=${origin#* }
  local blank
  blank=$(while read -r name left top width height; do
    echo "$name $((ox + $(s "$dpi" "$left"))) $((oy + $(s "$dpi" "$top"))) $(s "$dpi" "$width") $(s "$dpi" "$height")"
  done < "$T/keys" | blank_rects)
  check "every face key's picture is drawn" "${blank:-all drawn}" "all drawn"
  blank=$(echo "face $((ox + $(s "$dpi" 16))) $((oy + $(s "$dpi" 126))) $(s "$dpi" 113) $(s "$dpi" 28)" | blank_rects)
  check "the face's picture is drawn" "${blank:-drawn}" drawn
}
face_clicks() {  # DPI
  local row key
  for row in "${KEY_CLICKS[@]}"; do
    for key in ${row%:*}; do click_key "$W" "$key" "$1"; done
    check "clicks on ${row%:*}" "$(copied)" "${row#*:}"
  done
}

# ---- the scenarios

sizes() {  # DPI: every size's client area, with screenshots of every layout
  local dpi=$1 p
  p=$(percent "$dpi")
  begin_at "$dpi" || { need "the calculator starts" no yes; return; }
  check "starts Large" "$(x_size "$W")" "$(scaled_size "$dpi" 321x233)"
  shot "dpi-$p-large"
  # Shift and minus: one size smaller each time, Small wrapping to Large.
  local want
  for want in Medium:185x201 Small:185x57 Large:321x233; do
    shift_key KP_Subtract
    check "${want%:*}'s client area" "$(size_becomes "$W" "$(scaled_size "$dpi" "${want#*:}")")" \
      "$(scaled_size "$dpi" "${want#*:}")"
    [ "${want%:*}" = Large ] || shot "dpi-$p-$(echo "${want%:*}" | tr A-Z a-z)"
  done
  # The memory window, opened to store; Escape closes it.
  xdotool key Left
  local mem opt
  mem=$(window_shown '^Memory Slots \[STORE\]$')
  check "the Left key opens the memory window" "$([ -n "$mem" ] && echo open)" open
  sleep 0.3   # its slots paint after it maps: nothing to wait on
  shot "dpi-$p-memory"
  if [ -n "$mem" ]; then
    xdotool key Escape
    check "Escape closes it" "$(window_closed "$mem")" closed
  fi
  activate "$W" "$(s "$dpi" 230)" "$(s "$dpi" 12)"
  # The options dialog; Escape closes it.
  shift_key KP_Add
  opt=$(window_shown '^Options$')
  check "shift and + open the options" "$([ -n "$opt" ] && echo open)" open
  sleep 0.3   # as above
  shot "dpi-$p-options"
  if [ -n "$opt" ]; then
    xdotool key Escape
    check "Escape closes them" "$(window_closed "$opt")" closed
  fi
  # Shift and Enter: About, last (the calculator's shift is still on after
  # it). A timer shows its lines one a second: there is nothing on the screen
  # to wait for but the time.
  activate "$W" "$(s "$dpi" 230)" "$(s "$dpi" 12)"
  shift_key Return
  sleep 3.5
  check "About's client area" "$(x_size "$W")" "$(scaled_size "$dpi" 321x233)"
  shot "dpi-$p-about"
  local origin blank
  origin=$(x_origin "$W")
  blank=$(echo "about $((${origin% *} + $(s "$dpi" 16))) $((${origin#* } + $(s "$dpi" 160)))" \
    "$(s "$dpi" 289) $(s "$dpi" 60)" | blank_rects)
  check "About's picture is drawn (below its lines)" "${blank:-drawn}" drawn
}

display_and_keys() {  # DPI: the display's two lines, clicks on the face at its scale
  local dpi=$1
  begin_at "$dpi" || { need "the calculator starts" no yes; return; }
  xdotool key 2 Return 3 shift+equal
  check "2 Enter 3 +" "$(copied)" "5.0000"
  display_lines "$dpi" 144 41 2
  shot "dpi-$(percent "$dpi")-lines"
  face_pictures "$dpi"
  face_clicks "$dpi"
  # Medium: the display alone, s(185) high, with all ten lines of the stack.
  shift_key KP_Subtract
  size_becomes "$W" "$(scaled_size "$dpi" 185x201)" >/dev/null
  display_lines "$dpi" 8 185 10
}

# The rightmost column with a white pixel in a rectangle of the screen, or
# "none".
last_white_column() {  # LEFT TOP WIDTH HEIGHT
  import -display "$DISPLAY" -window root "$T/columns.png" 2>/dev/null
  convert "$T/columns.png" -crop "$3x$4+$1+$2" +repage -depth 8 txt:- 2>/dev/null |
    awk -F'[,: ]+' -v left="$1" '/#FFFFFF/ { if ($1 > last) last = $1; seen = 1 }
      END { print seen ? left + last : "none" }'
}
# A line of all 16 characters ("X: -123,456.7890", stored as X) ends inside
# the display, clear of its right frame: the display's font is narrowed so
# that 16 characters fit, whatever the typeface's width at this scale.
widest_line() {  # DPI
  local dpi=$1 origin left top right last
  store_binary Stack0 c976be9f0c24fec0   # -123456.789
  begin_at "$dpi" || { need "the calculator starts" no yes; return; }
  origin=$(x_origin "$W")
  left=$((${origin% *} + $(s "$dpi" 144))) top=$((${origin#* } + $(s "$dpi" 8)))
  right=$((left + $(s "$dpi" 169) - $(s "$dpi" 1)))   # the light frame's first column
  # The X line's box: from s(21) below the display's top to its bottom frame.
  last=$(last_white_column "$left" "$((top + $(s "$dpi" 21)))" "$(s "$dpi" 169)" "$(s "$dpi" 18)")
  shot "dpi-$(percent "$dpi")-widest-line"
  check "the 16-character line ends inside the display (last white column $last, frame at $right)" \
    "$([ "$last" != none ] && [ "$last" -lt $((right - 1)) ] && echo inside || echo cut)" inside
  # A number being typed may be longer: 13 digits and a minus, 17 characters.
  xdotool key --delay 60 1 2 3 4 5 6 7 8 9 0 1 2 3 End   # no key lost on a busy machine
  check "the number typed is X (Copy, after the keys)" "$(copied)" "-1.2346e+12"
  last=$(last_white_column "$left" "$((top + $(s "$dpi" 21)))" "$(s "$dpi" 169)" "$(s "$dpi" 18)")
  shot "dpi-$(percent "$dpi")-widest-entry"
  check "a 17-character entry ends inside the display (last white column $last, frame at $right)" \
    "$([ "$last" != none ] && [ "$last" -lt $((right - 1)) ] && echo inside || echo cut)" inside
}

# WM_DPICHANGED as Windows sends it when the window moves to a monitor of
# another scale: the window takes the suggested rectangle and lays itself
# out at the new DPI (started at 100 %, to 150 %, and back in Medium).
dpi_changed() {
  begin_at 96 || { need "the calculator starts" no yes; return; }
  local suggested
  suggested=$(probe dpichanged 144 96 | awk '$1 == "dpichanged" { print $2, $3 }')
  need "the probe sends WM_DPICHANGED" "$([ -n "$suggested" ] && echo sent)" sent || return
  check "Large's client area at the new DPI" "$(size_becomes "$W" "$(scaled_size 144 321x233)")" \
    "$(scaled_size 144 321x233)"
  check "at the suggested place" "$(probe_rect window | awk '{ print $1, $2 }')" "$suggested"
  xdotool key 2 Return 3 shift+equal
  check "it still calculates" "$(copied)" "5.0000"
  display_lines 144 144 41 2
  face_pictures 144
  face_clicks 144
  shot "dpi-changed-150-large"
  shift_key KP_Subtract
  check "Medium at the new DPI" "$(size_becomes "$W" "$(scaled_size 144 185x201)")" "$(scaled_size 144 185x201)"
  probe dpichanged 96 144 >/dev/null
  check "and back at 100 %" "$(size_becomes "$W" 185x201)" 185x201
  display_lines 96 8 185 10
}

for dpi in ${NIMBREL_DPIS:-96 144 192}; do
  scenario "$(percent "$dpi") %: the sizes and every layout" sizes "$dpi"
  scenario "$(percent "$dpi") %: the display's lines and the face keys" display_and_keys "$dpi"
  scenario "$(percent "$dpi") %: a line of 16 characters fits the display" widest_line "$dpi"
done
scenario "WM_DPICHANGED: 100 % to 150 % and back" dpi_changed
e2e_end
