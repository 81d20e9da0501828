#!/usr/bin/env bash
# Batch benchmark: vemora-calc batch on a file of a million rows mixing both scales, every kind
# and every year, on one core; rows a second, CPU time and peak memory, beside an earlier
# vemora-calc on the same file, whose output must be the same, byte for byte.
#
# Usage: bench/batch.sh [build-dir] [earlier-vemora-calc]     (build-dir: build/default)
# Environment: RUNS (5; the best run counts), ROWS (1000000), CORE (0).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
case "${1:-}" in
-h | --help)
    sed -n '2,8s/^# \{0,1\}//p' "${BASH_SOURCE[0]}"
    exit 0
    ;;
esac
build=${1:-$root/build/default}
earlier=${2:-}
rows=${ROWS:-1000000}

for tool in taskset /usr/bin/time cmp; do
    if ! command -v "$tool" >/dev/null; then
        echo "batch.sh : outil manquant : $tool (paquets util-linux, time, diffutils)" >&2
        exit 1
    fi
done
programs=("$build/src/cli/vemora-calc")
[[ -n "$earlier" ]] && programs=("$earlier" "${programs[@]}")
for program in "$build/bench/make_batch_file" "${programs[@]}"; do
    if [[ ! -x "$program" ]]; then
        echo "batch.sh : programme introuvable : $program" >&2
        echo "  cmake --preset default && cmake --build --preset default" >&2
        exit 1
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vemora-batch.XXXXXX")
trap 'rm -rf -- "$work"' EXIT
"$build/bench/make_batch_file" "$rows" >"$work/rows.csv"
echo "fichier : $rows lignes, $(stat -c %s "$work/rows.csv") octets ; coeur ${CORE:-0}"

n=0
for program in "${programs[@]}"; do
    n=$((n + 1))
    best_wall=""
    best_cpu=""
    peak=0
    for _ in $(seq "${RUNS:-5}"); do
        /usr/bin/time -f '%e %U %S %M' -o "$work/time" taskset -c "${CORE:-0}" \
            "$program" batch "$work/rows.csv" >"$work/out$n.csv"
        read -r wall user system memory <"$work/time"
        cpu=$(echo "$user $system" | awk '{ printf "%.2f", $1 + $2 }')
        if [[ -z "$best_wall" ]] || awk -v a="$wall" -v b="$best_wall" 'BEGIN { exit !(a < b) }'; then
            best_wall=$wall
        fi
        if [[ -z "$best_cpu" ]] || awk -v a="$cpu" -v b="$best_cpu" 'BEGIN { exit !(a < b) }'; then
            best_cpu=$cpu
        fi
        ((memory > peak)) && peak=$memory
    done
    awk -v p="$program" -v r="$rows" -v w="$best_wall" -v c="$best_cpu" -v m="$peak" 'BEGIN {
        printf "%s\n  meilleur temps %.2f s (%d lignes/s), temps processeur %.2f s (%d lignes/s), mémoire au plus %.1f Mio\n",
            p, w, r / w, c, r / c, m / 1024 }'
done
if [[ -n "$earlier" ]]; then
    if cmp -s "$work/out1.csv" "$work/out2.csv"; then
        echo "sorties identiques, octet pour octet"
    else
        echo "batch.sh : les deux sorties diffèrent" >&2
        exit 1
    fi
fi
