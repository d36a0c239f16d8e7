#!/usr/bin/env bash
# clang-tidy over the display-free libraries and front ends, with the checks of
# .clang-tidy, from the compile database of an existing build:
#
#   scripts/lint.sh BUILD_DIR
#
# Files run in parallel, one per core. A file that passed with the same text,
# the same headers of ours and the same .clang-tidy is not looked at again:
# its pass is remembered in BUILD_DIR/lint-passed/. Any warning fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: scripts/lint.sh BUILD_DIR}
tidy=$(command -v clang-tidy-14 || command -v clang-tidy || true)
[ -n "$tidy" ] || { echo "lint: clang-tidy-14 is not installed (scripts/install-deps.sh test)" >&2; exit 1; }
[ -f "$build/compile_commands.json" ] || { echo "lint: no $build/compile_commands.json; build first" >&2; exit 1; }

folders=(platform platform/bus config core skin app app/desktop cli bridge)
mapfile -t files < <(for f in "${folders[@]}"; do ls "$f"/*.cpp; done)
# Any change to a header of ours or to the checks makes every file due again.
shared_key=$(cat .clang-tidy $(for f in "${folders[@]}"; do ls "$f"/*.h; done) | sha256sum | cut -c1-16)
passed="$build/lint-passed"
mkdir -p "$passed"
# Passes under other headers or checks can never count again.
find "$passed" -type f ! -name "$shared_key-*" -delete

due=()
for f in "${files[@]}"; do
  key="$shared_key-$(sha256sum "$f" | cut -c1-16)"
  [ -e "$passed/$key" ] || due+=("$f")
done
echo "lint: ${#due[@]} of ${#files[@]} files to check"
[ ${#due[@]} -eq 0 ] && exit 0

check_one() {
  local file=$1
  if "$tidy" -p "$build" --quiet "$file" 2>/dev/null >"$passed/.out-$$-${file//\//_}"; then
    touch "$passed/$shared_key-$(sha256sum "$file" | cut -c1-16)"
    rm -f "$passed/.out-$$-${file//\//_}"
  else
    cat "$passed/.out-$$-${file//\//_}"
    rm -f "$passed/.out-$$-${file//\//_}"
    return 1
  fi
}
export -f check_one
export tidy build passed shared_key
printf '%s\n' "${due[@]}" | xargs -P "$(nproc)" -I{} bash -c 'check_one "$1"' _ {}
