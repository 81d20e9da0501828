#!/bin/sh
# Installs the Debian 12 packages needed to build, run and test the calculator, when missing.
set -eu

PACKAGES="g++ cmake ninja-build pkg-config
qt6-base-dev qt6-base-dev-tools
libbenchmark-dev"

missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    sudo=""
else
    sudo="sudo"
fi
echo "Installation des paquets manquants :$missing"
$sudo apt-get update -q
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
