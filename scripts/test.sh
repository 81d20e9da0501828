#!/bin/sh
# Builds the calculator and runs every test.
set -eu
cd "$(dirname "$0")/.."
./scripts/build.sh
cd build/default
ctest --output-on-failure
