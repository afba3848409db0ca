#!/usr/bin/env bash
# Builds the Linux program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset release
cmake --build --preset release -j"$(nproc)"
exec build/release/bin/velloran "$@"
