#!/bin/sh
# as_ordinary_user.sh PROGRAM [ARG...]: runs a test program as an ordinary
# user, nobody, through setpriv, when started as root; what the file layer
# may and may not do differs between the two. The program and the helpers
# beside it are copied to a folder that user can reach. Exits 77 (skipped)
# when not started as root: the ordinary run is then that user's already.
# VELLORAN_EMULATOR, when set, names the emulator the program runs under.
set -eu
program=$1
shift
if [ "$(id -u)" -ne 0 ]; then
  echo "already an ordinary user"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$program" "$(dirname "$program")"/velloran-* "$work/"
chmod 755 "$work"
cd "$work"
setpriv --reuid=nobody --regid=nogroup --clear-groups \
  env HOME="$work" TMPDIR=/tmp ${VELLORAN_EMULATOR:-} "$work/$(basename "$program")" "$@"
