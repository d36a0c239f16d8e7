#!/usr/bin/env bash
# tunefetch-cli against curl and wget on the same loopback lighttpd, in one
# run. Each workload is run 5 times per contender, the contenders taking
# turns; the median wall time, the ratio to the fastest peer (curl -K or
# wget -i, both with keep-alive), the median CPU time and the largest peak
# RSS are printed, and for the 1 GiB file the throughput. Times are taken to
# the microsecond (bench/tools/run_timed) and shown in milliseconds.
# Last comes the time from starting each program to its first request
# (bench/tools/first_request, median of 11 starts). Only ratios within one
# run mean anything on a shared machine.
#   bench/downloaders.sh BUILD_DIR
set -euo pipefail
build=${1:-build}
cli=$(realpath "$build/bin/tunefetch-cli")
first_request=$(realpath "$build/bench/tools/first_request")
run_timed=$(realpath "$build/bench/tools/run_timed")
runs=${RUNS:-5}
work=$(mktemp -d /dev/shm/tf-bench-XXXXXX 2>/dev/null || mktemp -d)
helpers=()
trap 'kill $server_pid "${helpers[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT

mkdir -p "$work/www/small" "$work/www/mid" "$work/www/auth" "$work/www/big" "$work/prog"
for i in $(seq -w 1 200); do head -c 1048576 /dev/urandom > "$work/www/mid/f$i.bin"; done
for i in $(seq -w 1 1000); do head -c 12288 /dev/urandom > "$work/www/small/f$i.bin"; done
for i in $(seq -w 1 50); do cp "$work/www/mid/f0$(printf %02d $(( (10#$i % 99) + 1 ))).bin" "$work/www/auth/f$i.bin"; done
head -c 1073741824 /dev/zero | tr '\0' 'x' > "$work/www/big/f1.bin"

port=$(( 20000 + RANDOM % 20000 ))
echo "bench:bench" > "$work/htpasswd"
cat > "$work/lighttpd.conf" <<CONF
server.document-root = "$work/www"
server.port = $port
server.bind = "127.0.0.1"
server.modules = ("mod_auth", "mod_authn_file")
auth.backend = "plain"
auth.backend.plain.userfile = "$work/htpasswd"
auth.require = ("/auth/" => ("method" => "basic", "realm" => "bench", "require" => "valid-user"))
CONF
lighttpd -D -f "$work/lighttpd.conf" & server_pid=$!
sleep 0.5
base="http://127.0.0.1:$port"

ln "$cli" "$work/prog/tunefetch-cli" 2>/dev/null || cp "$cli" "$work/prog/tunefetch-cli"
export TUNEFETCH_BUS="$work/bus"

# The window program joins the 200 x 1 MiB workload, start-up and closing
# included (AUTO_CLOSE): on this display, or on an Xvfb of its own. Like
# tunefetch-cli it runs with no player (AUTO_CLEAR off, so nobody is asked
# for one), as curl and wget hand their files to nobody.
gui=()
if [ -x "$build/bin/tunefetch" ]; then
  ln "$(realpath "$build/bin/tunefetch")" "$work/prog/tunefetch" 2>/dev/null || cp "$build/bin/tunefetch" "$work/prog/"
  if [ -z "${DISPLAY:-}" ]; then
    display=$(( 50 + RANDOM % 400 ))
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp 2> /dev/null & helpers+=($!)
    export DISPLAY=":$display"
    sleep 1
  fi
  gui=(tunefetch)
fi

# $1 folder, $2 count: list, curl config and wget URL file for that workload.
prepare() {
  local folder=$1 count=$2 width=$3
  { echo "//!baseurl $base/$folder/"; for i in $(seq -f "%0${width}g" 1 "$count"); do echo "f$i.bin"; done; } > "$work/$folder.mpq"
  : > "$work/$folder.curl"; : > "$work/$folder.wget"
  for i in $(seq -f "%0${width}g" 1 "$count"); do
    echo "url = \"$base/$folder/f$i.bin\"" >> "$work/$folder.curl"
    echo "output = \"$work/out/f$i.bin\"" >> "$work/$folder.curl"
    echo "$base/$folder/f$i.bin" >> "$work/$folder.wget"
  done
}
prepare small 1000 4; prepare mid 200 3; prepare auth 50 2; prepare big 1 1

# Times "$@" once in a clean output folder; prints "wall cpu rss" (seconds,
# seconds, KiB).
time_once() {
  rm -rf "$work/out"; mkdir -p "$work/out"
  "$run_timed" "$@" || echo "failed: $1" >&2
}

# Field $1 (1 wall, 2 cpu) of the lines of "$2": their median.
median_of() {
  printf '%s' "$2" | cut -d' ' -f"$1" | sort -n | sed -n "$(( (runs + 1) / 2 ))p"
}

settings() {
  # The stored credentials go only to the server SITE/URL names.
  printf '[GENERAL]\nLANGUAGE=English\n[SITE]\nPROXY_MODE=0\nURL=%s/\nUSERID=%s\nPASSWORD=%s\n[PLAY]\nAUTO_CLEAR=0\nAUTO_PLAY=0\n[CACHE]\nWITH_DIR=0\nSAVE_DIR=%s/out/\n[DISP]\nAUTO_CLOSE=1\n' \
    "$base" "$1" "$2" "$work" > "$work/prog/tunefetch.ini"
}

printf '%-18s %-14s %9s %7s %8s %9s %9s\n' workload contender median_ms ratio cpu_ms rss_kib MiB/s
for workload in mid small auth big; do
  auth_curl=() auth_wget=()
  if [ "$workload" = auth ]; then settings bench bench; auth_curl=(-u bench:bench); auth_wget=(--user=bench --password=bench --auth-no-challenge)
  else settings "" ""; fi
  declare -A command=() samples=()
  command[tunefetch-cli]="$work/prog/tunefetch-cli --quiet --save-dir $work/out $work/$workload.mpq"
  command[curl]="curl -s ${auth_curl[*]} -K $work/$workload.curl"
  command[wget]="wget -q ${auth_wget[*]} -P $work/out -i $work/$workload.wget"
  command[tunefetch]="$work/prog/tunefetch $work/$workload.mpq"
  contenders=(tunefetch-cli curl wget)
  [ "$workload" = mid ] && contenders+=("${gui[@]}")
  # Round by round, each contender once, so that a busy spell of the
  # machine falls on all of them alike.
  for _ in $(seq "$runs"); do
    for contender in "${contenders[@]}"; do
      # shellcheck disable=SC2086 # the commands are split into words on purpose
      samples[$contender]+="$(time_once ${command[$contender]})"$'\n'
    done
  done
  fastest=$(printf '%s\n' "$(median_of 1 "${samples[curl]}")" "$(median_of 1 "${samples[wget]}")" | sort -n | head -1)
  for contender in "${contenders[@]}"; do
    median=$(median_of 1 "${samples[$contender]}")
    cpu=$(median_of 2 "${samples[$contender]}")
    rss=$(printf '%s' "${samples[$contender]}" | cut -d' ' -f3 | sort -n | tail -1)
    ratio=$(echo "scale=3; $median / $fastest" | bc)
    rate=-
    [ "$workload" = big ] && rate=$(echo "scale=0; 1024 / $median" | bc)
    printf '%-18s %-14s %9.1f %7.3f %8.1f %9s %9s\n' "$workload" "$contender" "$(echo "$median * 1000" | bc)" \
      "$ratio" "$(echo "$cpu * 1000" | bc)" "$rss" "$rate"
  done
  unset command samples
done

settings "" ""
printf '\n%-18s %-14s %9s\n' start-up contender ms_to_first_request
for contender in tunefetch-cli curl wget; do
  case $contender in
    tunefetch-cli) command=("$work/prog/tunefetch-cli" --quiet --save-dir "$work/out" "$work/first.mpq") ;;
    curl) command=(curl -s -o /dev/null @URL@) ;;
    wget) command=(wget -q -O /dev/null @URL@) ;;
  esac
  printf '%-18s %-14s %9s\n' start-up "$contender" "$("$first_request" 11 "$work/first.mpq" "${command[@]}" 2>/dev/null)"
done
