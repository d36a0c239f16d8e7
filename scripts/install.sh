#!/usr/bin/env bash
# Installs or removes Tunefetch for one user (make install / make uninstall).
#
#   scripts/install.sh install   BUILD PREFIX [DESTDIR]
#   scripts/install.sh uninstall PREFIX [DESTDIR]
#
# install puts the program folder (the executables, the bridge, tunefetch-cli,
# the language file, the example skin, the version page) in
# PREFIX/lib/tunefetch, relative links to the executables in PREFIX/bin, and
# what the build prepared in BUILD/share (the menu entry, the download list's
# MIME type, the AppStream data, the icons, the manual pages) in
# PREFIX/share. Every file it puts is listed in PREFIX/lib/tunefetch/.installed,
# so uninstall removes exactly those and keeps what the user made there:
# tunefetch.ini, tunefetch-bridge.ini, skins of one's own. DESTDIR, when
# given, is put before every path written, while the menu entry names the
# final PREFIX (for staging a package); the desktop's caches are then left
# to the package's tools.
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
  for required in bin/tunefetch-cli bin/tunefetch-bridge "${PROGRAM_FILES[@]/#/bin/}" share/applications; do
    [ -e "$build/$required" ] || { echo "install: $build/$required is missing; build first (make build)" >&2; exit 1; }
  done

  local manifest=()
  mkdir -p "$folder" "$root$prefix/bin" "$root$prefix/share/applications"
  for name in "${EXECUTABLES[@]}"; do
    [ -e "$bin/$name" ] || continue  # the window program is left out of a build without it
    install -m 0755 "$bin/$name" "$folder/$name"
    ln -sfn "../lib/tunefetch/$name" "$root$prefix/bin/$name"
    manifest+=("$folder/$name" "$root$prefix/bin/$name")
  done
  install -m 0644 "$bin/Japanese.lng" "$bin/version.html" "$folder/"
  manifest+=("$folder/Japanese.lng" "$folder/version.html")
  while IFS= read -r -d '' file; do
    install -D -m 0644 "$file" "$folder/${file#"$bin"/}"
    manifest+=("$folder/${file#"$bin"/}")
  done < <(find "$bin/Skins" -type f -print0)

  while IFS= read -r -d '' file; do
    local target="$root$prefix/share/${file#"$build/share/"}"
    case "$file" in
      *.desktop)  # the Exec line names the installed program
        local entry program="$prefix/lib/tunefetch/tunefetch"
        entry=$(<"$file")
        mkdir -p "$(dirname "$target")"
        printf '%s\n' "${entry//@PROGRAM@/"$program"}" > "$target"
        chmod 0644 "$target" ;;
      *) install -D -m 0644 "$file" "$target" ;;
    esac
    manifest+=("$target")
  done < <(find "$build/share" -type f -print0)
  printf '%s\n' "${manifest[@]}" > "$folder/.installed"
  [ -n "$root" ] || update_desktop_caches "$prefix/share"
  echo "Installed in $folder; links in $root$prefix/bin"
}

# Tells the desktop of the installed (or removed) MIME type and menu entry,
# where its tools are installed; a database left with nothing to describe is
# removed, so an uninstall leaves nothing of ours behind.
update_desktop_caches() {
  local share=$1
  if command -v update-mime-database >/dev/null; then
    if compgen -G "$share/mime/packages/*.xml" >/dev/null; then
      update-mime-database "$share/mime" >/dev/null 2>&1 || true
    elif [ -d "$share/mime" ] && [ ! -d "$share/mime/packages" ]; then
      rm -rf -- "$share/mime"
    fi
  fi
  if command -v update-desktop-database >/dev/null; then
    if compgen -G "$share/applications/*.desktop" >/dev/null; then
      update-desktop-database "$share/applications" >/dev/null 2>&1 || true
    else
      rm -f -- "$share/applications/mimeinfo.cache"
      rmdir "$share/applications" 2>/dev/null || true
    fi
  fi
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
  find "$root$prefix/share/icons/hicolor" "$root$prefix/share/man/man1" "$root$prefix/share/metainfo" \
    "$root$prefix/share/mime/packages" -depth -type d -empty -delete 2>/dev/null || true
  [ -n "$root" ] || update_desktop_caches "$prefix/share"
  echo "Removed Tunefetch from $root$prefix (settings files are kept)"
}

case "${1:-}" in
  install) [ $# -ge 3 ] || usage; install_files "$2" "$3" "${4:-}" ;;
  uninstall) [ $# -ge 2 ] || usage; uninstall_files "$2" "${3:-}" ;;
  *) usage ;;
esac
