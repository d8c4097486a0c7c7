#!/usr/bin/env bash
# Set up, build and start the piano.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)"
exec ./build/bin/tavopiano
