#!/usr/bin/env bash
# Installs what is missing, builds incrementally (optimised, in build/) and
# runs the game.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
if [[ -x build/bin/vorlund ]]; then
  cd build/bin && exec ./vorlund "$@"
fi
echo "Everything is built, but there is no game program yet: nothing to run."
