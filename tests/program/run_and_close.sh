#!/usr/bin/env bash
# Runs the game program in a folder of its own, lets it run frames for a few
# seconds, then asks it to close (a termination request reaches it as a close
# of its windows) and expects it to end with status 0 on its own account,
# without a crash report, and to have said at most once that a part of the
# game is missing from the build (it quits right after saying so).
set -u
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
# The game finds its data beside itself, not here; its player files and its
# relay are kept to this run.
export VORLUND_HOME=$work/home VORLUND_NO_MESSAGE_BOXES=1
export VORLUND_RELAY_ADDRESS=127.0.0.1 VORLUND_RELAY_PORT=0
"$program" 2>"$work/stderr" &
pid=$!
for _ in $(seq 1 30); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -TERM "$pid" 2>/dev/null
status=0
wait "$pid" || status=$?
cat "$work/stderr" >&2
if ls ./*.dmp >/dev/null 2>&1; then
  echo "the program wrote a crash report:" >&2
  cat ./*.dmp >&2
  exit 1
fi
missing=$(grep -c "this build has no" "$work/stderr")
if (( missing > 1 )); then
  echo "the program said $missing times that a part is missing" >&2
  exit 1
fi
exit "$status"
