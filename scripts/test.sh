#!/usr/bin/env bash
# Set up, build and run every test (headless, silent audio). Arguments go to the configure
# step, e.g. `bash scripts/test.sh -DTAVO_WERROR=ON`.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default "$@" >/dev/null
cmake --build --preset default -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
ctest --preset default -j"$(nproc)"
