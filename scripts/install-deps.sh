#!/bin/sh
# Installs the Debian 12 packages needed to build, run and test the calculator, when missing.
set -eu

PACKAGES="g++ cmake ninja-build pkg-config
clang libclang-rt-14-dev
qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-webengine-dev qt6-translations-l10n
qt6-l10n-tools
qt6-qpa-plugins libqt6svg6 fonts-liberation fonts-dejavu-core
qt6-declarative-dev qml6-module-qtwebengine qml6-module-qtquick qml6-module-qtqml-workerscript
libbenchmark-dev libpng-dev zlib1g-dev qpdf poppler-utils
libcups2-dev cups printer-driver-cups-pdf
xvfb xauth xdotool x11-utils x11-apps netpbm time
dbus-daemon at-spi2-core python3-pyatspi
orca speech-dispatcher speech-dispatcher-espeak-ng openbox locales
dpkg-dev lintian desktop-file-utils appstream man-db"

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
