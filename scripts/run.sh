#!/usr/bin/env bash
# Installs what is missing, builds, and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake -S . -B build/normal -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/normal -j "$(nproc)"

program=build/normal/src/app/iec61850-tester
if [ -x "$program" ]; then
  exec "$program" "$@"
fi
echo "The protocol library and its tests are built, but the desktop program is not built yet:" >&2
echo "there is nothing to start. See README.md for what works so far." >&2
exit 2
