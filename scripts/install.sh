#!/usr/bin/env bash
# Installs or removes Tunefetch for one user (make install / make uninstall).
#
#   scripts/install.sh install   BUILD PREFIX [DESTDIR]
#   scripts/install.sh uninstall PREFIX [DESTDIR]
#
# install puts the program folder (the executables, the bridge, tunefetch-cli,
# the language file, the example skin, the version page) in
# PREFIX/lib/tunefetch, links to the executables in PREFIX/bin, the menu entry
# in PREFIX/share/applications and the icons in PREFIX/share/icons/hicolor.
# Every file it puts is listed in PREFIX/lib/tunefetch/.installed, so
# uninstall removes exactly those and keeps what the user made there:
# tunefetch.ini, tunefetch-bridge.ini, skins of one's own. DESTDIR, when
# given, is put before every path written, while links and the menu entry
# name the final PREFIX (for staging a package).
set -euo pipefail

usage() { echo "usage: $0 install BUILD PREFIX [DESTDIR] | uninstall PREFIX [DESTDIR]" >&2; exit 2; }

EXECUTABLES=(tunefetch tunefetch-cli tunefetch-bridge)
PROGRAM_FILES=(Japanese.lng version.html Skins)

install_files() {
  local build=$1 prefix=$2 root=$3
  local bin="$build/bin" folder="$root$prefix/lib/tunefetch"
  case "$prefix" in
    /*) ;;
    *) echo "install: PREFIX must be an absolute path, not \"$prefix\"" >&2; exit 2 ;;
  esac
  case "$prefix" in
    *[\"\`\$\\%]*) echo "install: PREFIX must not hold \" \` \$ \\ or %: \"$prefix\"" >&2; exit 2 ;;
  esac
  for required in tunefetch-cli tunefetch-bridge "${PROGRAM_FILES[@]}"; do
    [ -e "$bin/$required" ] || { echo "install: $bin/$required is missing; build first (make build)" >&2; exit 1; }
  done

  local manifest=()
  mkdir -p "$folder" "$root$prefix/bin" "$root$prefix/share/applications"
  for name in "${EXECUTABLES[@]}"; do
    [ -e "$bin/$name" ] || continue  # the window program is left out of a build without it
    install -m 0755 "$bin/$name" "$folder/$name"
    ln -sfn "$prefix/lib/tunefetch/$name" "$root$prefix/bin/$name"
    manifest+=("$folder/$name" "$root$prefix/bin/$name")
  done
  install -m 0644 "$bin/Japanese.lng" "$bin/version.html" "$folder/"
  manifest+=("$folder/Japanese.lng" "$folder/version.html")
  while IFS= read -r -d '' file; do
    install -D -m 0644 "$file" "$folder/${file#"$bin"/}"
    manifest+=("$folder/${file#"$bin"/}")
  done < <(find "$bin/Skins" -type f -print0)

  for size in 16 32; do
    local icon="$root$prefix/share/icons/hicolor/${size}x${size}/apps/tunefetch.png"
    install -D -m 0644 "$(dirname "$0")/../res/icon_app_$size.png" "$icon"
    manifest+=("$icon")
  done
  local entry="$root$prefix/share/applications/tunefetch.desktop"
  cat > "$entry" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Tunefetch
Comment=Download the music files of a download list
Exec="$prefix/lib/tunefetch/tunefetch" %f
Icon=tunefetch
Terminal=false
Categories=AudioVideo;Audio;Network;
DESKTOP
  manifest+=("$entry")
  printf '%s\n' "${manifest[@]}" > "$folder/.installed"
  echo "Installed in $folder; links in $root$prefix/bin"
}

uninstall_files() {
  local prefix=$1 root=$2
  local folder="$root$prefix/lib/tunefetch"
  [ -f "$folder/.installed" ] || { echo "uninstall: nothing installed in $folder" >&2; exit 1; }
  while IFS= read -r file; do
    case "$file" in
      "$root$prefix"/*) rm -f -- "$file" ;;  # only ever below the prefix
    esac
  done < "$folder/.installed"
  rm -f -- "$folder/.installed"
  # Folders the install made, when nothing of the user's is left in them.
  find "$folder" -depth -type d -empty -delete 2>/dev/null || true
  for size in 16 32; do
    rmdir "$root$prefix/share/icons/hicolor/${size}x${size}/apps" "$root$prefix/share/icons/hicolor/${size}x${size}" \
      2>/dev/null || true
  done
  echo "Removed Tunefetch from $root$prefix (settings files are kept)"
}

case "${1:-}" in
  install) [ $# -ge 3 ] || usage; install_files "$2" "$3" "${4:-}" ;;
  uninstall) [ $# -ge 2 ] || usage; uninstall_files "$2" "${3:-}" ;;
  *) usage ;;
esac
