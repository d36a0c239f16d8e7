#!/usr/bin/env bash
# make demo: the whole flow on this machine, touching none of the user's own
# settings. Makes a demo program folder under BUILD/demo, speaks and encodes
# the example tracks of res/demo/tracks.txt into MP3 files, serves them with
# lighttpd on a loopback port (slowed down so the progress can be watched),
# starts a player and opens the example list in the program. The player is a
# real Audacious, driven through tunefetch-bridge, when Audacious is installed
# (headless and silent, on a private session bus, when there is no display);
# otherwise the player test double.
#   scripts/demo.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-build}")
demo=$build/demo
pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

rm -rf "$demo"
mkdir -p "$demo/program" "$demo/www" "$demo/save" "$demo/home" "$demo/run"
chmod 700 "$demo/run"
for f in tunefetch tunefetch-cli Japanese.lng version.html; do cp -a "$build/bin/$f" "$demo/program/"; done
cp -a "$build/bin/Skins" "$demo/program/" 2>/dev/null || true

echo "demo: making the example tracks"
list=$demo/example.mpq
port=$(( 20000 + RANDOM % 20000 ))
echo "//!baseurl http://127.0.0.1:$port/" > "$list"
while read -r file title; do
  case $file in ''|'#'*) continue ;; esac
  mkdir -p "$demo/www/$(dirname "$file")"
  espeak-ng -s 150 -w "$demo/track.wav" "$title"
  lame --quiet -b 96 --tt "${title%%.*}" "$demo/track.wav" "$demo/www/$file"
  echo "$file|$(stat -c %s "$demo/www/$file")|${title%%.*}" >> "$list"
done < "$root/res/demo/tracks.txt"
rm -f "$demo/track.wav"

cat > "$demo/lighttpd.conf" <<CONF
server.document-root = "$demo/www"
server.port = $port
server.bind = "127.0.0.1"
connection.kbytes-per-second = 48
mimetype.assign = (".mp3" => "audio/mpeg")
CONF
lighttpd -D -f "$demo/lighttpd.conf" 2> "$demo/lighttpd.log" & pids+=($!)

cat > "$demo/program/tunefetch.ini" <<INI
[GENERAL]
LANGUAGE=English
[SITE]
PROXY_MODE=0
[CACHE]
SAVE_DIR=$demo/save/
[DISP]
AUTO_CLOSE=0
INI

export HOME=$demo/home XDG_CONFIG_HOME=$demo/home/.config XDG_RUNTIME_DIR=$demo/run
export TUNEFETCH_BUS=$demo/run/bus TUNEFETCH_REGISTRY=$demo/home/classes.reg
headless=yes
[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && headless=

audacious_call() {
  gdbus call --session --dest org.atheme.audacious --object-path /org/atheme/audacious \
    --method "org.atheme.audacious.$1" "${@:2}"
}

# The program, with the player chosen; run on a private session bus when
# headless.
run_program() {
  if [ "$player" = audacious ] && [ -n "$headless" ]; then
    export SDL_AUDIODRIVER=dummy
    audacious -H > "$demo/audacious.log" 2>&1 &
    gdbus wait --session --timeout 15 org.atheme.audacious
    # Silent output, so no sound card is needed; Audacious takes plugin calls
    # only a moment after its name appears.
    for _ in $(seq 50); do
      audacious_call PluginEnable sdlout true > /dev/null 2>&1 && break
      sleep 0.1
    done
  fi
  if [ -n "$headless" ]; then
    sed -i 's/^AUTO_CLOSE=0/AUTO_CLOSE=1/' "$demo/program/tunefetch.ini"
    xvfb-run -a -s "-screen 0 1280x1024x24" timeout 120 "$demo/program/tunefetch" "$list"
  else
    "$demo/program/tunefetch" "$list"
  fi
  if [ "$player" = audacious ]; then
    echo "demo: Audacious's playlist:"
    length=$(audacious_call Length | tr -dc 0-9)
    for position in $(seq 0 $(( ${length:-0} - 1 ))); do
      echo "  $(audacious_call SongFilename "$position" | sed "s/^('//; s/',)$//")"
    done
    [ -n "$headless" ] && audacious_call Quit > /dev/null || true
  fi
}

if command -v audacious > /dev/null; then
  player=audacious
  cp -a "$build/bin/tunefetch-bridge" "$demo/program/"
  [ -n "$headless" ] && printf '[BRIDGE]\nCOMMAND=audacious -H\n' > "$demo/program/tunefetch-bridge.ini"
  echo "demo: the player is Audacious, through tunefetch-bridge"
else
  player=double
  "$build/tools/player_double" --log "$demo/player.log" & pids+=($!)
  sleep 0.5
  echo "demo: Audacious is not installed, so the player is the test double (log: $demo/player.log)"
fi

if [ -n "$headless" ]; then
  echo "demo: no display, so the program runs under Xvfb and closes itself when the list is done"
else
  echo "demo: opening $list; close the window when you have seen enough"
fi
if [ "$player" = audacious ] && [ -n "$headless" ]; then
  export -f run_program audacious_call
  export demo list player headless
  NO_AT_BRIDGE=1 dbus-run-session -- bash -c run_program 2> >(grep -v '^dbus-daemon' >&2)
else
  run_program
fi

echo "demo: files in the save folder $demo/save:"
(cd "$demo/save" && find . -type f -printf '  %p (%s bytes)\n' | sort)
if [ "$player" = double ]; then
  echo "demo: what the player was given:"
  grep 'kind=100' "$demo/player.log" | grep -o 'data=[0-9a-f]*' | sed 's/data=//' | while read -r hex; do
    printf '  %s\n' "$(echo "$hex" | sed 's/00$//' | xxd -r -p)"
  done
fi
