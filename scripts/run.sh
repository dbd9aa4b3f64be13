#!/usr/bin/env bash
# Installs what is missing, builds, and starts the desktop program. Arguments go to the
# program, except:
#   --test-device [large]   also start the test device (the large model with "large") on
#                           127.0.0.1 on a free port, and point the program at it with
#                           --port N; the device stops with the program.
set -euo pipefail
cd "$(dirname "$0")/.."

with_device=0
device_args=(--port 0)
program_args=()
while (($#)); do
  case "$1" in
    --test-device)
      with_device=1
      if [ "${2:-}" = large ]; then
        device_args+=(--large)
        shift
      fi
      ;;
    *) program_args+=("$1") ;;
  esac
  shift
done

./scripts/setup.sh
cmake -S . -B build/normal -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=(iec61850-tester)
((with_device)) && targets+=(iec61850-test-device)
cmake --build build/normal -j "$(nproc)" --target "${targets[@]}"

program=build/normal/src/app/iec61850-tester
device_pid=
stop_device() {
  if [ -n "$device_pid" ]; then
    kill -INT "$device_pid" 2>/dev/null || true
    wait "$device_pid" 2>/dev/null || true
  fi
}
trap stop_device EXIT

if ((with_device)); then
  exec 3< <(exec build/normal/tests/device/iec61850-test-device "${device_args[@]}")
  device_pid=$!
  read -r word port <&3 || true
  if [ "${word:-}" != port ] || [ -z "${port:-}" ]; then
    echo "The test device did not start." >&2
    exit 1
  fi
  echo "Test device listening on 127.0.0.1:$port" >&2
  program_args+=(--port "$port")
fi

# SIGTERM and SIGINT reach the program, which ends through its close path.
"$program" "${program_args[@]}" &
program_pid=$!
signalled=0
trap 'signalled=1; kill -TERM "$program_pid" 2>/dev/null || true' TERM INT
set +e
wait "$program_pid"
status=$?
# A signal cuts the wait short: wait again for the program's own exit status.
while ((signalled)) && ((status > 128)) && kill -0 "$program_pid" 2>/dev/null; do
  wait "$program_pid"
  status=$?
done
if ((signalled)) && ((status > 128)); then
  wait "$program_pid" 2>/dev/null
  status=$?
fi
exit "$status"
