#!/usr/bin/env bash
# The player folder at start: settings.xml values no display takes are
# replaced and the file corrected; CEGUI.log goes into the player folder, not
# the working directory; a player folder that cannot be written is said once,
# and the game still runs. Each run is closed like run_and_close.sh does.
set -u
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
export VORLUND_NO_MESSAGE_BOXES=1 VORLUND_RELAY_ADDRESS=127.0.0.1 VORLUND_RELAY_PORT=0
failed=0

# run: starts the game, lets it run for up to three seconds, asks it to close
# and answers its status; what it said is in $work/said.
run() {
  "$program" 2>"$work/said" &
  local pid=$! status=0
  for _ in $(seq 1 30); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -TERM "$pid" 2>/dev/null
  wait "$pid" || status=$?
  return $status
}
fail() {
  echo "FAILED: $*" >&2
  cat "$work/said" >&2
  failed=1
}

export VORLUND_HOME=$work/home
mkdir -p "$VORLUND_HOME"
printf '<?xml version="1.0" ?><settings version="0.4"><video><width>100000</width><height>abc</height><windowed>true</windowed></video></settings>' \
  >"$VORLUND_HOME/settings.xml"
run || fail "the game ended with $? over settings no display takes"
grep -q "<width>1024</width>" "$VORLUND_HOME/settings.xml" && grep -q "<height>768</height>" "$VORLUND_HOME/settings.xml" \
  || fail "settings.xml was not corrected: $(cat "$VORLUND_HOME/settings.xml")"
grep -qF "settings.xml: a window of 100000 x 0 cannot be shown on this display; using 1024 x 768" "$work/said" \
  || fail "the correction was not said"
[[ -s "$VORLUND_HOME/CEGUI.log" ]] || fail "no CEGUI.log in the player folder"
[[ -e "$work/CEGUI.log" ]] && fail "CEGUI.log in the working directory"

export VORLUND_HOME=$work/blocker
echo "not a folder" >"$VORLUND_HOME"
run || fail "the game ended with $? with a player folder it cannot write"
said=$(grep -c "will not be saved: the player folder \"$VORLUND_HOME\" cannot be written (it is not a folder)" "$work/said")
[[ $said -eq 1 ]] || fail "the unwritable player folder was said $said times"
[[ -e "$work/CEGUI.log" ]] && fail "CEGUI.log in the working directory"
ls "$work"/*.dmp >/dev/null 2>&1 && fail "a crash report was written"
exit $failed
