#!/usr/bin/env bash
# deps.sh's decisions against a fake apt-get: no network, no root needed.
# Each row: how many updates fail before one succeeds (9 = all), which
# installs the fake resolver accepts (all, with -t bookworm only, none),
# then what must come out: the exit status, the line deps.sh prints, and the
# install it runs (or "-" for none).
set -uo pipefail
DEPS=$(cd "$(dirname "$0")/../.." && pwd)/scripts/deps.sh
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT

cat > "$T/apt-get" <<'FAKE'
#!/usr/bin/env bash
echo "$*" >> "$FAKE_DIR/calls"
case $1 in
  update)
    n=$(cat "$FAKE_DIR/updates" 2>/dev/null || echo 0); echo $((n + 1)) > "$FAKE_DIR/updates"
    [ "$n" -ge "$FAKE_UPDATE_FAILS" ] ;;
  install)
    case "$FAKE_RESOLVES:$*" in
      all:*) exit 0 ;;
      with-t:*"-t bookworm"*) exit 0 ;;
      *) echo "E: Unable to correct problems, you have held broken packages."; exit 100 ;;
    esac ;;
esac
FAKE
cat > "$T/dpkg-query" <<'FAKE'
#!/usr/bin/env bash
[ "$FAKE_INSTALLED" = all ] && printf 'install ok installed'
[ "$FAKE_INSTALLED" != all ] && [ "${@: -1}" = cmake ] && printf 'install ok installed'
exit 0
FAKE
cat > "$T/dpkg" <<'FAKE'
#!/usr/bin/env bash
[ "$1" = --print-foreign-architectures ] && echo i386
exit 0
FAKE
printf 'ID=debian\nVERSION_CODENAME=bookworm\n' > "$T/os-release"
chmod +x "$T/apt-get" "$T/dpkg-query" "$T/dpkg"

failed=0
# name | installed | update fails | resolves | status | printed line (regex) | install run
while IFS='|' read -r name installed fails resolves status line install; do
  [ -z "$name" ] && continue
  name=${name%% *} installed=${installed%% *} resolves=${resolves%% *}
  d=$T/$name; mkdir -p "$d"
  out=$(FAKE_DIR=$d FAKE_INSTALLED=$installed FAKE_UPDATE_FAILS=$fails FAKE_RESOLVES=$resolves \
        NIMBREL_APT_GET=$T/apt-get NIMBREL_DPKG=$T/dpkg NIMBREL_DPKG_QUERY=$T/dpkg-query \
        NIMBREL_OS_RELEASE=$T/os-release NIMBREL_APT_TRIES=3 NIMBREL_APT_PAUSE=0 \
        bash "$DEPS" 2>&1 >/dev/null | head -1)
  got_status=${PIPESTATUS[0]}
  real_install=$(grep '^install -y' "$d/calls" 2>/dev/null | sed 's/ -qq --no-install-recommends//; s/ g++ googletest.*//')
  [ -z "$real_install" ] && real_install=-
  if [ "$got_status" != "$status" ] || ! [[ $out =~ $line ]] || [ "$real_install" != "$install" ]; then
    echo "FAIL $name: status $got_status, printed '$out', ran '$real_install'"
    failed=1
  fi
done <<'TABLE'
all-there      |all |0|all   |0|^$|-
clean-update   |some|0|all   |0|^Installing make .*\(apt-get update succeeded\)$|install -y make
second-try     |some|1|all   |0|\(apt-get update succeeded at try 2\)$|install -y make
update-fails   |some|9|all   |0|\(apt-get update failed 3 times, going on with the indexes apt has\)$|install -y make
needs-release  |some|9|with-t|0|going on with the indexes apt has; the packages resolve only with the release's own versions \(-t bookworm\)\)$|install -y -t bookworm make
unresolvable   |some|9|none  |1|apt can't resolve the packages, not even with -t bookworm|-
TABLE
[ $failed = 0 ] && echo "deps.sh: every decision as expected"
exit $failed
