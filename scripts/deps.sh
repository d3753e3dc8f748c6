#!/usr/bin/env bash
# Installs the Debian packages that are missing for the given purpose ("run", "package" or
# "test").
# Only packages that are not installed yet are fetched; nothing happens when all are there.
set -euo pipefail

purpose=${1:-run}
packages=(cmake g++ make pkg-config qt6-base-dev qt6-multimedia-dev qt6-translations-l10n
          libgl-dev fonts-liberation libsqlite3-dev
          qt6-charts-dev libqt6opengl6-dev libexpat1-dev zlib1g-dev
          qt6-speech-dev qt6-declarative-dev qt6-speech-speechd-plugin
          speech-dispatcher speech-dispatcher-espeak-ng)
if [ "$purpose" = package ] || [ "$purpose" = test ]; then
    packages+=(dpkg-dev)
fi
if [ "$purpose" = test ]; then
    packages+=(googletest libgtest-dev libgmock-dev libbenchmark-dev clang clang-format libclang-rt-14-dev
               lintian man-db groff-base
               shared-mime-info desktop-file-utils libxml2-utils xdg-utils libfile-mimeinfo-perl appstream
               xvfb xdotool x11-utils libx11-dev libxdamage-dev libxfixes3
               dbus-daemon dbus-bin at-spi2-core python3-gi gir1.2-atspi-2.0 orca metacity
               libreoffice-calc-nogui imagemagick faketime syncthing
               poppler-utils kwordquiz kdeedu-kvtml-data)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
