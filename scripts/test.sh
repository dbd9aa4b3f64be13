#!/usr/bin/env bash
# Builds and runs every test: a normal build, an AddressSanitizer + UBSan build, the
# threaded tests under ThreadSanitizer, and each fuzz target for a bounded time.
# Stops at the first failing stage, so the last line printed is the summary of the
# stage that decided the outcome.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

./scripts/setup.sh

stage() { echo; echo "=== $* ==="; }

stage "Formatting (clang-format)"
./scripts/check-format.sh

# A compiler cache, where the machine has one, spares the unchanged files of a rerun.
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

# Every stage builds warning-free: a warning fails it, as it would in CI.
configure() {  # <dir> [cmake args...]
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -G Ninja "${launcher[@]}" -DIEC_WARNINGS_AS_ERRORS=ON "$@" >/dev/null
}

stage "Fuzz targets (clang, libFuzzer, ASan+UBSan, ${IEC_FUZZ_SECONDS:-30} s each)"
configure build/fuzz -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DIEC_FUZZ=ON -DIEC_FUZZ_SECONDS="${IEC_FUZZ_SECONDS:-30}"
cmake --build build/fuzz -j "$jobs"
(cd build/fuzz && ctest -L fuzz -j "$jobs" --output-on-failure --no-tests=ignore)

stage "Threaded tests under ThreadSanitizer"
configure build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DIEC_SANITIZE=thread -DIEC_THREADED_ONLY=ON
cmake --build build/tsan -j "$jobs"
(cd build/tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest -L threaded -j "$jobs" --output-on-failure)

stage "All tests under AddressSanitizer + UndefinedBehaviorSanitizer"
configure build/asan -DCMAKE_BUILD_TYPE=Debug -DIEC_SANITIZE=address,undefined
cmake --build build/asan -j "$jobs"
(cd build/asan && ASAN_OPTIONS="detect_leaks=1" UBSAN_OPTIONS="print_stacktrace=1" \
  ctest -j "$jobs" --output-on-failure)

stage "All tests, normal build (with benchmark smoke runs)"
configure build/normal -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/normal -j "$jobs"
(cd build/normal && ctest -j "$jobs" --output-on-failure)
