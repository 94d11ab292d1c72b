#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need; only what is missing.
# ffmpeg (with ffprobe) and iproute2 serve the test that a real RTP receiver accepts the SDP files;
# twm frames the windows for the README's screenshots (scripts/screenshots.sh); ccache shortens
# rebuilds. dpkg-dev, fakeroot, lintian, appstream, groff-base, man-db and bash-completion make and
# check the Debian package (scripts/package.sh); qt6-base-private-dev lets the accessibility test
# hear what a screen reader is told.
set -euo pipefail
packages=(g++ make cmake pkg-config qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev
          libxkbcommon-dev desktop-file-utils libx11-dev libxtst-dev xvfb ffmpeg iproute2 twm ccache
          dpkg-dev fakeroot lintian appstream groff-base man-db bash-completion
          qt6-base-private-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
