#!/usr/bin/env bash
# Installs what is missing, builds, and starts the desktop program. Arguments go to the
# program, except:
#   --test-device [OPTION...] [--]
#                 also start the test device on 127.0.0.1 on a free port, and point the
#                 program at it with --port N; the device stops with the program. The words
#                 after --test-device, up to a lone "--", are the device's options: a bare
#                 word is taken as the option of that name ("large" is --large, "settings"
#                 --settings), so
#                   ./scripts/run.sh --test-device large
#                   ./scripts/run.sh --test-device settings harmonics --vendor "Other Works"
#                 and --test-device --help lists them.
set -euo pipefail
cd "$(dirname "$0")/.."

with_device=0
device_words=()
program_args=()
while (($#)); do
  if [ "$1" = --test-device ]; then
    with_device=1
    shift
    while (($#)) && [ "$1" != -- ]; do
      device_words+=("$1")
      shift
    done
    (($#)) && shift  # the "--"
    continue
  fi
  program_args+=("$1")
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
  device=build/normal/tests/device/iec61850-test-device
  # The device's own list says which options take a value ("  --vendor TEXT  ..."); a
  # bare word that is no such value names an option.
  usage=$("$device" --help)
  device_args=(--port 0)
  expects_value=0
  for word in "${device_words[@]}"; do
    if ((expects_value)); then
      device_args+=("$word")
      expects_value=0
      continue
    fi
    case "$word" in
      -*) option=$word ;;
      *) option=--$word ;;
    esac
    device_args+=("$option")
    grep -Eq -- "^  $option [^ ]" <<<"$usage" && expects_value=1
  done
  if printf '%s\n' "${device_args[@]}" | grep -qx -- --help; then
    exec "$device" --help
  fi
  exec 3< <(exec "$device" "${device_args[@]}")
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
