#!/usr/bin/env bash
# Regenerates the calculator's art in res/ from the face table: every picture
# at 96, 144, 192 and 288 DPI in res/art/ (JPEG backgrounds, PNG key strips),
# res/Art.rc listing them, the icon, the click sound, the display font and
# preview.png.
#
#   tools/art/make-art.sh            build facetable, draw everything into res/
#   tools/art/make-art.sh --twice    the same, then draw again into a scratch
#                                    folder and fail unless both runs wrote
#                                    identical bytes
#
# Needs g++, Debian's python3 with Pillow and fontTools, and the DejaVu fonts;
# missing packages are installed with apt-get (as root or through sudo).
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
work="${TMPDIR:-/tmp}/nimbrel-art"
mkdir -p "$work"

PY=/usr/bin/python3
PKGS=(g++ python3 python3-pil python3-fonttools fonts-dejavu-core fonts-dejavu-extra fonts-ocr-a)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  echo "Installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq >/dev/null
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

g++ -std=gnu++20 -O1 -I"$root/src" "$here/facetable.cpp" "$root/src/app/FaceKeys.cpp" \
    -o "$work/facetable"

# The generator reads back every file it writes; its tests show that those
# checks refuse what the program's decoders could not read.
if ! "$PY" "$here/test_make_art.py" >"$work/tests.log" 2>&1; then
  cat "$work/tests.log" >&2
  echo "make-art: the generator's tests failed" >&2
  exit 1
fi

"$PY" "$here/make_art.py" --facetable "$work/facetable" --out "$root/res"

if [ "${1:-}" = "--twice" ]; then
  rm -rf "$work/again"
  "$PY" "$here/make_art.py" --facetable "$work/facetable" --out "$work/again"
  status=0
  while IFS= read -r f; do
    rel="${f#"$work/again/"}"
    if ! cmp -s "$f" "$root/res/$rel"; then
      echo "make-art: $rel differs between two runs" >&2
      status=1
    fi
  done < <(find "$work/again" -type f | sort)
  [ $status -eq 0 ] && echo "make-art: two runs wrote identical files"
  exit $status
fi
