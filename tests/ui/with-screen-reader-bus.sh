#!/bin/sh
# Runs a test program as a screen reader would see it: on an X server of its own (Xvfb), with a
# D-Bus session and the accessibility bus that screen readers listen to. Exits 77 (skipped)
# when one of them is missing.
set -u
for tool in Xvfb dbus-run-session; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool absent : test sauté"; exit 77; }
done
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || { echo "$launcher absent : test sauté"; exit 77; }

folder=$(mktemp -d)
trap 'kill "$server" 2>/dev/null; rm -rf "$folder"' EXIT INT TERM
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$folder/display" 2>/dev/null &
server=$!
for _ in $(seq 50); do
    [ -s "$folder/display" ] && break
    sleep 0.1
done
[ -s "$folder/display" ] || { echo "Xvfb n'a pas démarré : test sauté"; exit 77; }
DISPLAY=:$(cat "$folder/display")
export DISPLAY
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export XDG_RUNTIME_DIR="$folder"
dbus-run-session -- sh -c '"$0" --launch-immediately >/dev/null 2>&1 & exec "$@"' "$launcher" "$@"
