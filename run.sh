#!/usr/bin/env bash
# Installs what is missing, builds the game with its tools and data
# (optimised, in build/; the tests and benchmarks are left to ./test.sh or a
# plain `cmake --build build`) and runs the game. The build is quiet: its
# log is build/build.log, shown only when the build fails.
#   VORLUND_JOBS=N   parallel compile jobs (default: the number of cores)
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
echo "Building the game, its tools and data (log: build/build.log)..."
if ! cmake --build build --target game_and_tools -j "${VORLUND_JOBS:-$(nproc)}" >build/build.log 2>&1; then
  echo "The build failed; the end of build/build.log:" >&2
  tail -n 40 build/build.log >&2
  exit 1
fi
exec build/bin/vorlund "$@"
