#!/usr/bin/env bash
# Installs, with apt-get, the Debian packages that one or more groups of work
# need; only what is missing is installed, so running it again is cheap.
#
#   scripts/install-deps.sh GROUP...     GROUP: build, test, demo, bench
#
# build: the toolchain and libraries that `make build` compiles against (the
#        program, the tests and the benchmarks).
# test:  what `make test` runs beside the build: the fuzzing and sanitizer
#        compiler, displays, servers, peers and tools the tests start.
# demo:  what `make demo` speaks, encodes, serves and plays.
# bench: the real server and the downloaders `make bench` races.
#
# Nothing is asked of a user who is not root while every package of the named
# groups is installed; otherwise such a user is told what is missing.
set -euo pipefail

group_build=(
  g++ make cmake pkg-config
  libwxgtk3.2-dev libgtk-3-dev libcurl4-openssl-dev
  # the player bridge speaks GIO's D-Bus client
  libglib2.0-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # the tests' TLS server links OpenSSL
  libssl-dev
)
group_test=(
  # fuzzing and the sanitizer builds; the runtime is the one clang 14 links
  clang libclang-rt-14-dev
  # displays and the window tests' hands: answering message boxes, a notification area
  xvfb xauth xdotool trayer
  # the window tests again under a real Wayland compositor (headless), and its screenshots
  weston
  # servers and peers: the proxy, the real player the bridge drives, a private session bus
  tinyproxy audacious audacious-plugins dbus
  # the desktop's file association
  xdg-utils shared-mime-info desktop-file-utils
  # a reference converter for the Japanese text tests
  nkf
  # the authority and certificates the https tests make
  openssl
  # the Debian package (make deb) and its test: packing, shlibs, stripping,
  # lintian, and the validators of the menu entry, AppStream data and manuals
  dpkg-dev binutils lintian appstream man-db
  # the formatting and lint checks
  clang-format-14 clang-tidy-14
  # a Japanese-capable sans-serif for skin fonts whose face is missing
  fonts-ipafont-gothic
)
group_demo=(
  # example tracks spoken and encoded from res/demo/tracks.txt
  espeak-ng lame xxd
  # served from a loopback lighttpd, played in Audacious on a session bus
  lighttpd audacious audacious-plugins dbus libglib2.0-bin
  xvfb xauth fonts-ipafont-gothic
)
group_bench=(
  # a real server (also over TLS), the peers, and a reference converter
  lighttpd lighttpd-mod-openssl curl wget aria2 bc nkf xvfb xauth
)

if [ $# -eq 0 ]; then
  echo "usage: $0 GROUP... (build, test, demo, bench)" >&2
  exit 2
fi
packages=()
for group in "$@"; do
  case "$group" in
    build) packages+=("${group_build[@]}") ;;
    test) packages+=("${group_test[@]}") ;;
    demo) packages+=("${group_demo[@]}") ;;
    bench) packages+=("${group_bench[@]}") ;;
    *) echo "install-deps: unknown group '$group' (build, test, demo, bench)" >&2; exit 2 ;;
  esac
done

missing=()
for p in $(printf '%s\n' "${packages[@]}" | sort -u); do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages for $*: ${missing[*]}" >&2
  echo "install-deps: run 'scripts/install-deps.sh $*' as root, or install them with apt" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
