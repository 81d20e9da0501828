#!/usr/bin/env bash
# Start-up benchmark: time to a mapped window and to the first key acted on, and peak memory,
# of vemora beside a bare Qt Widgets window, both under a private Xvfb server.
#
# Usage: bench/startup.sh [--no-home] [build-dir]     (build-dir: build/default)
#   --no-home  also times a copy of vemora in a folder without index.html (no browser)
# Environment: RUNS (10), MEMORY_RUNS (3), SETTLE (seconds before the key in the memory runs, 3).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
no_home=0
build=""
for arg in "$@"; do
    case "$arg" in
    --no-home) no_home=1 ;;
    -h | --help)
        sed -n '2,8s/^# \{0,1\}//p' "${BASH_SOURCE[0]}"
        exit 0
        ;;
    -*)
        echo "startup.sh : option inconnue « $arg » (voir --help)" >&2
        exit 2
        ;;
    *) build=$arg ;;
    esac
done
if [[ -z "$build" ]]; then
    build=$root/build/default
fi

missing=()
command -v Xvfb >/dev/null || missing+=("Xvfb (paquet xvfb)")
command -v xdotool >/dev/null || missing+=("xdotool (paquet xdotool)")
command -v python3 >/dev/null || missing+=("python3 (paquet python3)")
if ((${#missing[@]})); then
    echo "startup.sh : outils manquants : ${missing[*]}" >&2
    echo "  sudo apt-get install xvfb xdotool x11-utils python3" >&2
    exit 1
fi
if ! command -v xev >/dev/null; then
    echo "startup.sh : xev absent (paquet x11-utils) : l'affichage des fenêtres sera" \
        "détecté en interrogeant xdotool toutes les 10 ms, moins précisément." >&2
fi

vemora=$build/src/app/vemora
bare=$build/bench/bare_window
for program in "$vemora" "$bare"; do
    if [[ ! -x "$program" ]]; then
        echo "startup.sh : programme introuvable : $program" >&2
        echo "  cmake --preset default && cmake --build --preset default" >&2
        exit 1
    fi
done

work=""
xvfb_pid=""
driver_pid=""
cleanup() {
    local status=$?
    trap - EXIT INT TERM HUP
    if [[ -n "$driver_pid" ]] && kill -0 "$driver_pid" 2>/dev/null; then
        # The driver ends the programs it started before leaving.
        kill -TERM "$driver_pid" 2>/dev/null || true
        wait "$driver_pid" 2>/dev/null || true
    fi
    if [[ -n "$xvfb_pid" ]] && kill -0 "$xvfb_pid" 2>/dev/null; then
        kill -TERM "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    if [[ -n "$work" ]]; then
        rm -rf -- "$work"
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

work=$(mktemp -d "${TMPDIR:-/tmp}/vemora-startup.XXXXXX")

# Xvfb picks a free display number itself and writes it once it accepts clients. -noreset
# keeps it from resetting between two starts, when no client is left.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" \
    2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s "$work/display" ]] && break
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "startup.sh : Xvfb n'a pas démarré :" >&2
        cat "$work/xvfb.log" >&2
        exit 1
    fi
    sleep 0.1
done
if [[ ! -s "$work/display" ]]; then
    echo "startup.sh : Xvfb ne répond pas" >&2
    exit 1
fi
display=":$(head -n 1 "$work/display")"

programs=(--program vemora "$vemora" "Calculatrice de frais kilométriques"
    --program "bare window" "$bare" "Fenetre temoin")
if ((no_home)); then
    mkdir "$work/no-home"
    cp "$vemora" "$work/no-home/vemora"
    programs+=(--program "vemora, no index.html" "$work/no-home/vemora"
        "Calculatrice de frais kilométriques")
fi

python3 "$here/startup_driver.py" --display "$display" --work "$work" \
    --runs "${RUNS:-10}" --memory-runs "${MEMORY_RUNS:-3}" --settle "${SETTLE:-3}" \
    --reference 1 "${programs[@]}" &
driver_pid=$!
wait "$driver_pid"
