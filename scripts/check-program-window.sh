#!/usr/bin/env bash
# Starts the desktop program (the path given, or the one ./scripts/run.sh starts) under a
# virtual X server, waits for its window captioned "IEC61850 Quorvex", sends SIGTERM and
# expects exit status 0 within 5 s. Exit 77 (skipped) without Xvfb.
set -uo pipefail
program=${1:-}
command -v xvfb-run >/dev/null && command -v xwininfo >/dev/null || exit 77

inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat >"$inner" <<'INNER'
set -u
if [ -n "$1" ]; then "$1" & else "$2"/run.sh & fi
pid=$!
found=0
for _ in $(seq 1 600); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"IEC61850 Quorvex"'; then found=1; break; fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if ((!found)); then echo "no window captioned IEC61850 Quorvex" >&2; kill -KILL "$pid" 2>/dev/null; exit 1; fi
kill -TERM "$pid"
start=$(date +%s%N)
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then echo "still running 5 s after SIGTERM" >&2; kill -KILL "$pid"; exit 1; fi
wait "$pid"
status=$?
echo "exit status $status after $(( ($(date +%s%N) - start) / 1000000 )) ms"
exit "$status"
INNER
xvfb-run -a bash "$inner" "$program" "$(cd "$(dirname "$0")" && pwd)"
