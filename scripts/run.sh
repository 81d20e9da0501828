#!/bin/sh
# Builds the calculator and starts it.
set -eu
cd "$(dirname "$0")/.."
./scripts/build.sh
exec ./build/default/src/app/vemora "$@"
