#!/usr/bin/env bash
# tunefetch-cli against curl and wget on the same loopback lighttpd, in one
# run. Each workload is run RUNS (5) times per contender, the contenders
# taking turns after one untimed run of curl; the median wall time, the
# ratio to the fastest sequential peer (curl -K or wget -i, both with
# keep-alive), the median CPU time and the largest peak RSS are printed, and
# for the 1 GiB file the throughput. Times are taken to the microsecond
# (bench/tools/run_timed) and shown in milliseconds.
#
# Loopback hides what a user's line adds, a round trip per request. The
# workloads line-4m (20 x 4 MiB) and line-12k (200 x 12 KiB) go through
# bench/tools/line_relay, which adds LINE_RTT_MS (20) of round trip, one more
# per new connection (its handshake), and shares one downstream line of
# LINE_MBIT (200) Mbit/s; aria2c -j1 joins the sequential peers, and
# aria2c -j5 and curl -Z (five at a time) run for reference. Their "floor"
# column is each one's time over the floor of a sequential downloader: the
# bytes that cross the line (bodies and the server's response headers) at
# its rate, plus one round trip per request, plus the one round trip of
# opening the connection, which no downloader can avoid. The relay adds
# nothing of its own beyond that (it makes up for its own wake-up and send
# delays); what is left above the floor is the time the downloader and the
# server take for each request, start-up included. The relay measures both:
# srv_ms is the server's time from each request to its answer, cli_ms the
# downloader's from each answer's last byte to its next request, summed over
# a run (sequential contenders only; a parallel one's overlap). The
# bare-client contender (bench/tools/bare_client) only asks: it sends each
# request the moment the answer before it is in, and stores nothing. Its
# time is the least a one-at-a-time downloader can take on the line here. The workloads tls-mid
# and tls-small are mid and small over https (lighttpd's mod_openssl, an
# authority made for the run).
#
# tunefetch-cli-c5 is tunefetch-cli with GENERAL/CONNECTIONS=5 (five files
# fetched at once, handed on in list order). It runs on every workload of
# several files; its line after the table gives its time over the faster of
# aria2c -j5 and curl -Z on the line, and over tunefetch-cli (one at a time)
# on loopback. A line also tells when either's peak RSS passes 16 MiB, the
# most the terminal front end should take.
#
# Last comes the time from starting each program to its first request
# (bench/tools/first_request, median of 11 starts). Only ratios within one
# run mean anything on a shared machine.
#   bench/downloaders.sh BUILD_DIR
# RUNS (5) sets the runs per contender; WORKLOADS (all of "mid small auth big
# line-4m line-12k tls-mid tls-small") chooses and orders the workloads.
set -euo pipefail
build=${1:-build}
cli=$(realpath "$build/bin/tunefetch-cli")
first_request=$(realpath "$build/bench/tools/first_request")
run_timed=$(realpath "$build/bench/tools/run_timed")
line_relay=$(realpath "$build/bench/tools/line_relay")
bare_client=$(realpath "$build/bench/tools/bare_client")
runs=${RUNS:-5}
workloads=${WORKLOADS:-mid small auth big line-4m line-12k tls-mid tls-small}
line_rtt_ms=${LINE_RTT_MS:-20}
line_mbit=${LINE_MBIT:-200}
work=$(mktemp -d /dev/shm/tf-bench-XXXXXX 2>/dev/null || mktemp -d)
helpers=()
trap 'kill $server_pid "${helpers[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT

mkdir -p "$work/www/small" "$work/www/mid" "$work/www/auth" "$work/www/big" "$work/www/music" "$work/prog" "$work/prog-c5"
for i in $(seq -w 1 200); do head -c 1048576 /dev/urandom > "$work/www/mid/f$i.bin"; done
for i in $(seq -w 1 20); do head -c 4194304 /dev/urandom > "$work/www/music/f$i.bin"; done
for i in $(seq -w 1 1000); do head -c 12288 /dev/urandom > "$work/www/small/f$i.bin"; done
for i in $(seq -w 1 50); do cp "$work/www/mid/f0$(printf %02d $(( (10#$i % 99) + 1 ))).bin" "$work/www/auth/f$i.bin"; done
[[ " $workloads " == *" big "* ]] && head -c 1073741824 /dev/zero | tr '\0' 'x' > "$work/www/big/f1.bin"

# An authority of the run's own and a certificate for 127.0.0.1 from it.
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 -subj /CN=bench-ca \
  -keyout "$work/ca.key" -out "$work/ca.pem" 2> /dev/null
openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj /CN=127.0.0.1 -keyout "$work/server.key" 2> /dev/null |
  openssl x509 -req -CA "$work/ca.pem" -CAkey "$work/ca.key" -days 2 -out "$work/server.crt" \
    -extfile <(printf 'subjectAltName=IP:127.0.0.1\n') 2> /dev/null
cat "$work/server.crt" "$work/server.key" > "$work/server.pem"
# curl and tunefetch-cli take the authority from here; wget is told.
export CURL_CA_BUNDLE="$work/ca.pem"

port=$(( 20000 + RANDOM % 20000 ))
tls_port=$(( port + 1 )) line_port=$(( port + 2 ))
echo "bench:bench" > "$work/htpasswd"
cat > "$work/lighttpd.conf" <<CONF
server.document-root = "$work/www"
server.port = $port
server.bind = "127.0.0.1"
server.modules = ("mod_auth", "mod_authn_file", "mod_openssl")
auth.backend = "plain"
auth.backend.plain.userfile = "$work/htpasswd"
auth.require = ("/auth/" => ("method" => "basic", "realm" => "bench", "require" => "valid-user"))
\$SERVER["socket"] == "127.0.0.1:$tls_port" {
  ssl.engine = "enable"
  ssl.pemfile = "$work/server.pem"
}
CONF
lighttpd -D -f "$work/lighttpd.conf" & server_pid=$!
"$line_relay" "$line_port" "$port" "$line_rtt_ms" "$line_mbit" 2> "$work/turns" & helpers+=($!)
sleep 0.5

# tunefetch-cli reads its settings beside itself: one copy per setting.
for prog in prog prog-c5; do
  ln "$cli" "$work/$prog/tunefetch-cli" 2>/dev/null || cp "$cli" "$work/$prog/tunefetch-cli"
done
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

# $1 workload, $2 base URL, $3 folder, $4 count, $5 digits of the names:
# list, curl config, wget and aria2c URL files for that workload.
prepare() {
  local workload=$1 base=$2 folder=$3 count=$4 width=$5
  { echo "//!baseurl $base/$folder/"; for i in $(seq -f "%0${width}g" 1 "$count"); do echo "f$i.bin"; done; } > "$work/$workload.mpq"
  : > "$work/$workload.curl"; : > "$work/$workload.wget"
  for i in $(seq -f "%0${width}g" 1 "$count"); do
    echo "url = \"$base/$folder/f$i.bin\"" >> "$work/$workload.curl"
    echo "output = \"$work/out/f$i.bin\"" >> "$work/$workload.curl"
    echo "$base/$folder/f$i.bin" >> "$work/$workload.wget"
  done
}
plain="http://127.0.0.1:$port" line="http://127.0.0.1:$line_port" tls="https://127.0.0.1:$tls_port"
prepare small "$plain" small 1000 4; prepare mid "$plain" mid 200 3; prepare auth "$plain" auth 50 2
prepare big "$plain" big 1 1
prepare line-4m "$line" music 20 2; prepare line-12k "$line" small 200 4
prepare tls-mid "$tls" mid 200 3; prepare tls-small "$tls" small 1000 4
# The line's floor in seconds: $1 bytes at its rate, plus a round trip for
# each of $2 requests and one for opening the connection.
floor_of() { echo "scale=6; $1 * 8 / ($line_mbit * 1000000) + ($2 + 1) * $line_rtt_ms / 1000" | bc; }

# Times "$@" once in a clean output folder; prints "wall cpu rss" (seconds,
# seconds, KiB).
time_once() {
  rm -rf "$work/out"; mkdir -p "$work/out"
  "$run_timed" "$@" || echo "failed: $1" >&2
}

# The server's and the downloader's time on the line (seconds, summed) in
# the relay's lines after the first $1, once a run's connections have ended.
turns_since() {
  for _ in $(seq 40); do (( $(wc -l < "$work/turns") > $1 )) && break; sleep 0.05; done
  sleep 0.05 # a parallel contender's other connections
  tail -n +"$(( $1 + 1 ))" "$work/turns" | awk '{s += $3; c += $4} END {printf "%.6f %.6f", s / 1e6, c / 1e6}'
}

# Field $1 (1 wall, 2 cpu, 4 server, 5 downloader) of the lines of "$2":
# their median.
median_of() {
  printf '%s' "$2" | cut -d' ' -f"$1" | sort -n | sed -n "$(( (runs + 1) / 2 ))p"
}

# $1 user, $2 password: the settings of every program copy; prog-c5
# fetches five files at once.
settings() {
  local prog connections
  for prog in prog prog-c5; do
    connections=1
    [ "$prog" = prog-c5 ] && connections=5
    # The stored credentials go only to the server SITE/URL names.
    printf '[GENERAL]\nLANGUAGE=English\nCONNECTIONS=%s\n[SITE]\nPROXY_MODE=0\nURL=%s/\nUSERID=%s\nPASSWORD=%s\n[PLAY]\nAUTO_CLEAR=0\nAUTO_PLAY=0\n[CACHE]\nWITH_DIR=0\nSAVE_DIR=%s/out/\n[DISP]\nAUTO_CLOSE=1\n' \
      "$connections" "$plain" "$1" "$2" "$work" > "$work/$prog/tunefetch.ini"
  done
}

printf '%-10s %-16s %9s %7s %7s %8s %9s %9s %7s %7s\n' workload contender median_ms ratio floor cpu_ms rss_kib MiB/s srv_ms cli_ms
for workload in $workloads; do
  auth_curl=() auth_wget=() tls_wget=()
  if [ "$workload" = auth ]; then settings bench bench; auth_curl=(-u bench:bench); auth_wget=(--user=bench --password=bench --auth-no-challenge)
  else settings "" ""; fi
  [[ $workload == tls-* ]] && tls_wget=(--ca-certificate="$work/ca.pem")
  declare -A command=() samples=()
  command[tunefetch-cli]="$work/prog/tunefetch-cli --quiet --save-dir $work/out $work/$workload.mpq"
  command[tunefetch-cli-c5]="$work/prog-c5/tunefetch-cli --quiet --save-dir $work/out $work/$workload.mpq"
  command[curl]="curl -s ${auth_curl[*]} -K $work/$workload.curl"
  command[wget]="wget -q ${auth_wget[*]} ${tls_wget[*]} -P $work/out -i $work/$workload.wget"
  command[tunefetch]="$work/prog/tunefetch $work/$workload.mpq"
  aria=(aria2c -q --allow-overwrite=true --auto-file-renaming=false --file-allocation=none -d "$work/out" -i "$work/$workload.wget")
  command[aria2c-j1]="${aria[*]} -j1"
  command[aria2c-j5]="${aria[*]} -j5"
  command[curl-Z5]="curl -s -Z --parallel-max 5 -K $work/$workload.curl"
  command[bare-client]="$bare_client $work/$workload.wget"
  contenders=(tunefetch-cli curl wget)
  [ "$workload" != big ] && contenders+=(tunefetch-cli-c5)
  [ "$workload" = mid ] && contenders+=("${gui[@]}")
  [[ $workload == line-* ]] && contenders+=(aria2c-j1 aria2c-j5 curl-Z5 bare-client)
  # Round by round, each contender once, so that a busy spell of the
  # machine falls on all of them alike; each round starts one contender
  # further on, since a run is slowed or sped up by the one before it (by
  # up to a tenth over https, from what that one leaves behind).
  # One untimed run first, so that no contender pays for the server's cold
  # caches.
  # shellcheck disable=SC2086 # the command is split into words on purpose
  time_once ${command[curl]} > /dev/null
  for round in $(seq 0 $(( runs - 1 ))); do
    for i in "${!contenders[@]}"; do
      contender=${contenders[$(( (i + round) % ${#contenders[@]} ))]}
      turns_before=$(wc -l < "$work/turns")
      # shellcheck disable=SC2086 # the commands are split into words on purpose
      sample=$(time_once ${command[$contender]})
      [[ $workload == line-* ]] && sample+=" $(turns_since "$turns_before")"
      samples[$contender]+="$sample"$'\n'
    done
  done
  # The fastest sequential peer; the parallel ones are for reference only.
  peers=(curl wget)
  [[ $workload == line-* ]] && peers+=(aria2c-j1)
  fastest=$(for peer in "${peers[@]}"; do median_of 1 "${samples[$peer]}"; done | sort -n | head -1)
  floor=
  if [[ $workload == line-* ]]; then
    # Every file the workload names, by its path under the document root,
    # and the server's response headers, as long for each of them.
    bytes=$(sed "s|^[^/]*//[^/]*/|$work/www/|" "$work/$workload.wget" | xargs stat -c %s | paste -sd+ | bc)
    requests=$(wc -l < "$work/$workload.wget")
    header=$(curl -s -o /dev/null -w '%{size_header}' "$(head -1 "$work/$workload.wget")")
    floor=$(floor_of "$(( bytes + requests * header ))" "$requests")
  fi
  for contender in "${contenders[@]}"; do
    median=$(median_of 1 "${samples[$contender]}")
    cpu=$(median_of 2 "${samples[$contender]}")
    rss=$(printf '%s' "${samples[$contender]}" | cut -d' ' -f3 | sort -n | tail -1)
    ratio=$(echo "scale=6; $median / $fastest" | bc)
    over_floor=-
    [ -n "$floor" ] && over_floor=$(printf '%.3f' "$(echo "scale=6; $median / $floor" | bc)")
    rate=-
    [ "$workload" = big ] && rate=$(echo "scale=0; 1024 / $median" | bc)
    server=- client=-
    if [ -n "$floor" ] && [[ " ${peers[*]} tunefetch-cli bare-client " == *" $contender "* ]]; then
      server=$(printf '%.1f' "$(echo "$(median_of 4 "${samples[$contender]}") * 1000" | bc)")
      client=$(printf '%.1f' "$(echo "$(median_of 5 "${samples[$contender]}") * 1000" | bc)")
    fi
    printf '%-10s %-16s %9.1f %7.3f %7s %8.1f %9s %9s %7s %7s\n' "$workload" "$contender" "$(echo "$median * 1000" | bc)" \
      "$ratio" "$over_floor" "$(echo "$cpu * 1000" | bc)" "$rss" "$rate" "$server" "$client"
    if [[ $contender == tunefetch-cli* ]] && (( rss > 16384 )); then
      printf '%-10s %-16s peak RSS %s KiB, over 16 MiB\n' "$workload" "$contender" "$rss"
    fi
  done
  [ -n "$floor" ] && printf '%-10s %-16s %9.1f\n' "$workload" floor "$(echo "$floor * 1000" | bc)"
  # Five at a time against the parallel tools on the line, against one at a
  # time on loopback.
  if [ -n "${samples[tunefetch-cli-c5]:-}" ]; then
    references=(tunefetch-cli)
    [[ $workload == line-* ]] && references=(aria2c-j5 curl-Z5)
    reference=$(for peer in "${references[@]}"; do echo "$(median_of 1 "${samples[$peer]}") $peer"; done | sort -n | head -1)
    printf '%-10s %-16s %7.3f x %s\n' "$workload" tunefetch-cli-c5 \
      "$(echo "scale=6; $(median_of 1 "${samples[tunefetch-cli-c5]}") / ${reference% *}" | bc)" "${reference#* }"
  fi
  unset command samples
done

settings "" ""
printf '\n%-10s %-16s %9s\n' start-up contender ms_to_first_request
for contender in tunefetch-cli curl wget; do
  case $contender in
    tunefetch-cli) starter=("$work/prog/tunefetch-cli" --quiet --save-dir "$work/out" "$work/first.mpq") ;;
    curl) starter=(curl -s -o /dev/null @URL@) ;;
    wget) starter=(wget -q -O /dev/null @URL@) ;;
  esac
  printf '%-10s %-16s %9s\n' start-up "$contender" "$("$first_request" 11 "$work/first.mpq" "${starter[@]}" 2>/dev/null)"
done
