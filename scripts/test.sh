#!/bin/sh
# Builds the calculator and runs every test.
set -eu
cd "$(dirname "$0")/.."
./scripts/build.sh
cd build/default
ctest --output-on-failure
# The same tests built with the address and undefined-behaviour sanitizers (preset `sanitize`):
# any report of theirs fails the run (see tests/CMakeLists.txt).
(cd ../.. && cmake --preset sanitize >/dev/null && cmake --build --preset sanitize &&
    ctest --preset sanitize)
../../scripts/fuzz.sh 60
