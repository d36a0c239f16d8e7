#!/usr/bin/env bash
# Packs a finished build into a Debian package (make deb, and the package
# test):
#
#   scripts/make-deb.sh BUILD OUTDIR
#
# and prints the path of OUTDIR/tunefetch_<version>_<arch>.deb.
#
# The package is the make install of BUILD staged under /usr
# (scripts/install.sh), so it holds exactly what an install holds, plus what
# a Debian package needs: the system-install marker in the program folder
# (each user's settings then live in ~/.config/tunefetch/), stripped
# programs, compressed manual pages, the copyright file and changelog, and a
# control file whose Depends dpkg-shlibdeps reads from the libraries the
# programs link. dpkg-deb packs it: the test packs the build it has already
# made and must not compile the tree again, which debhelper's own build
# would. The version and release date come from the build's AppStream data,
# which CMake's project(VERSION) filled in.
set -euo pipefail
umask 022
export LC_ALL=C.UTF-8  # the tools' output is read, and the package is the same in every locale

[ $# -eq 2 ] || { echo "usage: $0 BUILD OUTDIR" >&2; exit 2; }
build=$(realpath "$1")
out=$(realpath "$2")
here=$(dirname "$(realpath "$0")")
packaging="$here/../packaging/deb"
for tool in dpkg-deb dpkg-shlibdeps strip gzip; do
  command -v "$tool" >/dev/null || { echo "make-deb: $tool is missing (apt-get install dpkg-dev binutils)" >&2; exit 1; }
done
[ -x "$build/bin/tunefetch" ] || { echo "make-deb: $build/bin/tunefetch is missing; build first" >&2; exit 1; }

metainfo=$(echo "$build"/share/metainfo/*.metainfo.xml)
release=$(sed -n 's|.*<release version="\([^"]*\)" date="\([^"]*\)".*|\1 \2|p' "$metainfo")
version=${release% *}
date=$(date -u -R -d "${release#* }")
homepage=$(sed -n 's|.*<url type="homepage">\(.*\)</url>.*|\1|p' "$metainfo")
arch=$(dpkg --print-architecture)

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
stage="$work/debian/tunefetch"  # where dpkg-shlibdeps expects the package's files
"$here/install.sh" install "$build" /usr "$stage" >/dev/null
folder="$stage/usr/lib/tunefetch"
rm -f -- "$folder/.installed"  # dpkg keeps the package's file list
cat > "$folder/system-install" <<'MARK'
This file marks a system-wide install of Tunefetch (the Debian package):
each user's settings live in $XDG_CONFIG_HOME/tunefetch/ (default
~/.config/tunefetch/), and language files and skins are looked for in
$XDG_DATA_HOME/tunefetch/ before this folder.
MARK
chmod 0644 "$folder/system-install"
for program in tunefetch tunefetch-cli tunefetch-bridge; do
  strip --strip-unneeded --remove-section=.comment --remove-section=.note "$folder/$program"
done
gzip -9n "$stage"/usr/share/man/man1/*.1

doc="$stage/usr/share/doc/tunefetch"
install -D -m 0644 "$packaging/copyright" "$doc/copyright"
sed -e "s|@VERSION@|$version|g" -e "s|@DATE@|$date|" "$packaging/changelog" | gzip -9n > "$doc/changelog.gz"
chmod 0644 "$doc/changelog.gz"

# dpkg-shlibdeps reads the package's name from a debian/control beside it,
# and knows the package's root by its DEBIAN folder.
mkdir -p "$stage/DEBIAN"
printf 'Source: tunefetch\n\nPackage: tunefetch\nArchitecture: any\n' > "$work/debian/control"
depends=$(cd "$work" && dpkg-shlibdeps -O "${folder#"$work/"}"/tunefetch "${folder#"$work/"}"/tunefetch-cli \
  "${folder#"$work/"}"/tunefetch-bridge | sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || { echo "make-deb: dpkg-shlibdeps found no dependencies" >&2; exit 1; }

size=$(du -s -k --apparent-size --exclude=DEBIAN "$stage" | cut -f1)
sed -e "s|@VERSION@|$version|" -e "s|@ARCH@|$arch|" -e "s|@SIZE@|$size|" -e "s|@DEPENDS@|$depends|" \
  -e "s|@HOMEPAGE@|$homepage|" "$packaging/control" > "$stage/DEBIAN/control"
(cd "$stage" && find usr -type f -print0 | sort -z | xargs -0 md5sum) > "$stage/DEBIAN/md5sums"
chmod 0644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"

package="$out/tunefetch_${version}_${arch}.deb"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$package" >/dev/null
echo "$package"
