#!/bin/sh
# Installs the Debian 12 packages needed to build, run and test the calculator, when missing.
set -eu

PACKAGES="g++ cmake ninja-build pkg-config
qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-webengine-dev qt6-translations-l10n
qt6-qpa-plugins libqt6svg6 fonts-liberation fonts-dejavu-core
libbenchmark-dev libpng-dev zlib1g-dev qpdf poppler-utils
cups printer-driver-cups-pdf
xvfb xauth xdotool x11-utils"

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
