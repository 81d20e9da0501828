#!/bin/sh
# Makes the Debian package of the build folder with CPack, into a folder of its own.
# Usage: build_package.sh CPACK CPACK_CONFIG OUTPUT_DIR
set -eu
rm -rf "$3"
mkdir -p "$3"
"$1" -G DEB --config "$2" -B "$3"
rm -rf "$3/_CPack_Packages"
set -- "$3"/vemora_*.deb
[ $# -eq 1 ] && [ -f "$1" ] || { echo "ÉCHEC : aucun paquet fait" >&2; exit 1; }
echo "paquet : $1 ($(du -k "$1" | cut -f1) Kio)"
