#!/bin/sh
# Installs what is missing, then configures and builds the optimised preset.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
