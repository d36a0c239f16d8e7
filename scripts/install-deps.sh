#!/usr/bin/env bash
# Installs, with apt-get, the Debian packages that building and testing need.
# Only what is missing is installed, so running it again is cheap.
set -euo pipefail

packages=(
  # toolchain
  g++ make cmake pkg-config clang libclang-rt-14-dev
  # libraries
  libwxgtk3.2-dev libgtk-3-dev libcurl4-openssl-dev
  # the player bridge (GIO's D-Bus client) and the real player its tests drive
  libglib2.0-dev audacious audacious-plugins dbus
  # the desktop's file association and its tests
  xdg-utils shared-mime-info desktop-file-utils
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth curl nkf tinyproxy
  # the TLS test server and the authority the https tests make
  libssl-dev openssl
  # make demo: example tracks spoken and encoded from res/demo/tracks.txt
  espeak-ng lame xxd libglib2.0-bin
  # the program's own tests: answering its message boxes, a notification area
  xdotool trayer
  # the downloader benchmark: a real server, the peers, and its measuring tools
  lighttpd lighttpd-mod-openssl wget aria2 bc
  # a Japanese-capable sans-serif for skin fonts whose face is missing
  fonts-ipafont-gothic
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages: ${missing[*]}; run this script as root" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
