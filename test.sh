#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang, in build/sanitize/) and runs every test
# headless through CTest, fuzz targets included. Exits non-zero on any failure.
#   FUZZ_SECONDS=N   how long each fuzz target runs (default 60)
#   CTEST_ARGS=...   extra arguments for ctest (e.g. "-R Archive" or "-LE fuzz")
#   VORLUND_JOBS=N   parallel compile and test jobs (default: the number of cores)
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
build=build/sanitize
cmake -S . -B "$build" -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DCMAKE_C_FLAGS_DEBUG="-g -O1" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVORLUND_SANITIZE=ON -DVORLUND_FUZZ=ON \
  -DVORLUND_FUZZ_SECONDS="${FUZZ_SECONDS:-60}" >/dev/null
jobs=${VORLUND_JOBS:-$(nproc)}
cmake --build "$build" -j "$jobs"

# intercept_tls_get_addr=0 as in the test programs' own defaults (TestMain.cpp), for
# the game program that a test starts too.
export ASAN_OPTIONS="abort_on_error=1:strict_string_checks=1:intercept_tls_get_addr=0"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export SDL_AUDIODRIVER=dummy
# llvmpipe without rasterizer threads: LeakSanitizer's stop-the-world tracer can
# crash on their stacks, and single-threaded software GL is deterministic.
export LP_NUM_THREADS=0
export VORLUND_NO_MESSAGE_BOXES=1
# The GL tests run under the X server below: without it, or with a GL stack
# that does not start, they fail instead of skipping.
export VORLUND_REQUIRE_GL=1

root=$PWD
cd "$build"
# One X server for the whole run. -noreset keeps it from resetting each time
# its last client leaves: a test program connecting during such a reset loses
# its connection (SIGPIPE on the next request, or a half-opened display whose
# allocations leak).
run() { xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j "$jobs" "$@"; }
# Every test runs once: a failure is a finding, never retried away.
status=0
# shellcheck disable=SC2086
run ${CTEST_ARGS:-} || status=1

# ThreadSanitizer over the network tests (label "net"), in a build of its own
# that holds only their programs.
tsan=$root/build/tsan
cmake -S "$root" -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DCMAKE_C_FLAGS_DEBUG="-g -O1" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVORLUND_TSAN=ON "${launcher[@]}" >/dev/null
cmake --build "$tsan" -j "$jobs" --target test_platform_net test_game_net test_game_menu_lan lan_copy vorlund_data
# shellcheck disable=SC2086
TSAN_OPTIONS="halt_on_error=1" ctest --test-dir "$tsan" -L net --output-on-failure -j "$jobs" ${CTEST_ARGS:-} || status=1
exit $status
