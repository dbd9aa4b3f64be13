#!/usr/bin/env bash
# Starts the desktop program (the path given, or the one ./scripts/run.sh starts; the words
# after the path are its arguments) under a virtual X server of its own, waits for its window captioned "IEC61850 Quorvex", sends
# SIGTERM and expects exit status 0. Exit 77 (skipped) without Xvfb.
#
# The X server picks its display itself (-displayfd) and names it once it accepts
# connections, so runs side by side, and other X servers starting meanwhile, never share
# a display or miss one. The time limits only keep a broken program from hanging the run;
# they decide nothing a slow machine could reach.
set -uo pipefail
program=${1:-}
(($#)) && shift
here=$(cd "$(dirname "$0")" && pwd)
command -v Xvfb >/dev/null && command -v xwininfo >/dev/null && command -v xauth >/dev/null || exit 77

work=$(mktemp -d)
server=""
pid=""
finish() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid" 2>/dev/null; fi
  if [ -n "$server" ]; then
    kill -TERM "$server" 2>/dev/null
    wait "$server" 2>/dev/null
  fi
  rm -rf "$work"
}
trap finish EXIT

# The server reads every cookie of its file, whatever display it names; clients look the
# cookie up by display, so theirs is written once the display is known.
cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
: >"$work/server-auth"
: >"$work/client-auth"
xauth -q -f "$work/server-auth" add :0 . "$cookie"
mkfifo "$work/display"
# Never reset: a server resets when its last client leaves (the check below does), and a
# connection made meanwhile may be dropped.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset -auth "$work/server-auth" \
  3>"$work/display" 2>"$work/xvfb.log" &
server=$!
display=""
read -r -t 60 display <"$work/display"
if [ -z "$display" ]; then
  echo "the virtual X server named no display:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$display" XAUTHORITY="$work/client-auth"
xauth -q add "$DISPLAY" . "$cookie"
# Named once it listens; asked once more, so that a refusal shows here and not as a missing
# window.
if ! xwininfo -root >/dev/null 2>"$work/xwininfo.log"; then
  echo "display $DISPLAY takes no connection:" >&2
  cat "$work/xwininfo.log" "$work/xvfb.log" >&2
  exit 1
fi

if [ -n "$program" ]; then "$program" "$@" & else "$here"/run.sh "$@" & fi
pid=$!
found=0
for _ in $(seq 1 600); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"IEC61850 Quorvex"'; then found=1; break; fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if ((!found)); then
  echo "no window captioned IEC61850 Quorvex on $DISPLAY" >&2
  if kill -0 "$server" 2>/dev/null; then echo "(the X server runs)" >&2; else echo "(the X server ended)" >&2; fi
  cat "$work/xvfb.log" >&2
  exit 1
fi
kill -TERM "$pid"
start=$(date +%s%N)
for _ in $(seq 1 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then echo "still running 60 s after SIGTERM" >&2; exit 1; fi
wait "$pid"
status=$?
pid=""
echo "exit status $status after $(( ($(date +%s%N) - start) / 1000000 )) ms on $DISPLAY"
exit "$status"
