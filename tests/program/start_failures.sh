#!/usr/bin/env bash
# Start-ups that cannot succeed end with a non-zero status and a message that
# names the real cause: no display, a missing data archive beside the
# program, an empty one. The program is started from a folder of its own, so
# nothing it finds comes from the working directory.
set -u
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
export VORLUND_HOME=$work/home VORLUND_NO_MESSAGE_BOXES=1
export VORLUND_RELAY_ADDRESS=127.0.0.1 VORLUND_RELAY_PORT=0
failed=0

# expect STATUS TEXT COMMAND...: the command ends with STATUS and says TEXT.
expect() {
  local want=$1 text=$2
  shift 2
  local status=0
  "$@" >"$work/out" 2>&1 || status=$?
  if [[ $status -ne $want ]] || ! grep -qF -- "$text" "$work/out"; then
    echo "FAILED: $* ended with $status (wanted $want) and said:" >&2
    cat "$work/out" >&2
    echo "(wanted: $text)" >&2
    failed=1
  fi
}

expect 1 "The game cannot start: no display could be opened (DISPLAY is not set)." \
  env -u DISPLAY -u WAYLAND_DISPLAY "$program"

# A copy of the program in a folder without its data.
mkdir -p "$work/bin"
cp "$program" "$work/bin/vorlund"
expect 1 "The game cannot start: its data file \"$work/bin/data.sar\" is missing." "$work/bin/vorlund"
: >"$work/bin/data.sar"
expect 1 "The game cannot start: its data file \"$work/bin/data.sar\" cannot be read" "$work/bin/vorlund"
ls "$work"/*.dmp "$work"/bin/*.dmp >/dev/null 2>&1 && { echo "a crash report was written" >&2; failed=1; }
exit $failed
