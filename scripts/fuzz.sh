#!/bin/sh
# Builds the libFuzzer targets (preset `fuzz`) and runs each, one after the other, for the
# given number of seconds (60 by default) on a copy of its corpus from tests/fuzz/corpus/.
# Any finding fails; its input and the run's log stay in a temporary folder, printed at the end.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
case $seconds in
'' | *[!0-9]*)
    echo "usage : scripts/fuzz.sh [secondes]" >&2
    exit 2
    ;;
esac

./scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=$(mktemp -d "${TMPDIR:-/tmp}/vemora-fuzz.XXXXXX")
failed=""
# target:longest input, in bytes
for entry in number_text:4096 number_edit:4096 url_encode:4096 png:65536 batch:65536; do
    target=${entry%%:*}
    max_len=${entry#*:}
    mkdir -p "$work/$target/corpus" "$work/$target/findings"
    cp "tests/fuzz/corpus/$target/"* "$work/$target/corpus/"
    log="$work/$target/log"
    echo "== fuzz_$target, $seconds s"
    # A hang of 10 s is a finding as well; nice leaves room to the other work of the machine.
    if nice -n 10 "build/fuzz/tests/fuzz/fuzz_$target" -max_total_time="$seconds" \
        -rss_limit_mb=2048 -timeout=10 -max_len="$max_len" -print_final_stats=1 \
        -artifact_prefix="$work/$target/findings/" "$work/$target/corpus" >"$log" 2>&1 &&
        [ -z "$(ls -A "$work/$target/findings")" ]; then
        grep -E '^#[0-9]+[[:space:]]+DONE|^stat::' "$log" || true
    else
        grep -v '^INFO:' "$log" | tail -n 40
        failed="$failed $target"
    fi
done

if [ -n "$failed" ]; then
    echo "Fuzzing : découvertes pour$failed ; entrées et journaux dans $work" >&2
    exit 1
fi
rm -rf "$work"
echo "Fuzzing : aucune découverte"
