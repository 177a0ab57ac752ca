#!/usr/bin/env bash
# avexhost proxy under steady load while its configuration changes: wrk at 64
# connections through the filtering proxy (the real plug-in and stand-in
# engine, user alice) in front of the benchmark's own web server
# (bench/proxy_origin.cpp), once without configuration changes and once
# while the proxy applies two records in turn, one a second after the last
# apply ended, with the save on (--apply-records, --apply-every): 10,000
# entries in each list, the two differing in 100 entries
# (bench/soak_records.cpp, over the plug-in's defaults). Prints for both
# runs the failed requests (non-2xx replies and socket errors), the latency
# percentiles and the longest request, the proxy's resident memory at the
# start and at the end, and the applies' durations; then whether the
# registry holds the last record applied, whole: a later start of the
# plug-in gives it back through GetConfiguration byte for byte.
#
# Usage: bench/run_soak_bench.sh [native|win32] [SECONDS per run, default 120]
#   native: build/native, its registry a file of the run's own (AVEX_REGISTRY);
#   win32: build/win32, the proxy under Wine in the build's prefix, whose
#   plug-in settings are put back as they were at the end (the web server and
#   wrk always run natively). Loopback only; ends by itself.
set -euo pipefail

. "$(dirname "${BASH_SOURCE[0]}")/proxy_bench_common.sh"
proxy_bench_target "${1:-native}"
seconds=${2:-120}
[[ "$seconds" =~ ^[0-9]+$ ]] && [ "$seconds" -gt 0 ] || { echo "usage: $0 [native|win32] [SECONDS]" >&2; exit 2; }
proxy_bench_build bench_soak_records

work=$(mktemp -d "${TMPDIR:-/tmp}/avex-soak-bench.XXXXXX")
settings_key='HKLM\Software\Tarn Software\Aurivex for Corvane'
export AVEX_REGISTRY=$work/registry.reg  # natively only; Wine has its own registry

# A path as the program of the target sees it.
target_path() {
  if [ "$target" = win32 ]; then echo "Z:$1"; else echo "$1"; fi
}

# The target's avexhost with its arguments, from its build folder.
run_host() {
  if [ "$target" = win32 ]; then
    (cd "$build" && exec "$root/scripts/wine-run" "$build/$exe" "$@")
  else
    (cd "$build" && exec "$build/$exe" "$@")
  fi
}

pids=()
settings_saved=no
cleanup() {
  exec 3>&- 2>/dev/null || true
  touch "$work/stop-quiet" "$work/stop-applying"
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  if [ "$target" = win32 ]; then
    "$root/scripts/wine-run" reg delete "$settings_key" /f >/dev/null 2>&1 || true
    if [ "$settings_saved" = yes ]; then
      "$root/scripts/wine-run" reg import "Z:$work/settings-before.reg" >/dev/null 2>&1 || true
    fi
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# Both runs start from the plug-in's defaults.
if [ "$target" = win32 ]; then
  if "$root/scripts/wine-run" reg export "$settings_key" "Z:$work/settings-before.reg" /y >/dev/null 2>&1; then
    settings_saved=yes
  fi
  "$root/scripts/wine-run" reg delete "$settings_key" /f >/dev/null 2>&1 || true
fi
run_host "$(target_path "$build/AVex.dll")" --start-type 1 config get "$(target_path "$work/defaults.rec")" >/dev/null
"$native/bench_soak_records" "$work/defaults.rec" "$work/first.rec" "$work/second.rec" --entries 10000 --differing 100

start_origin "$work"
printf 'wrk.path = "http://127.0.0.1:%s/page.html"\n' "$origin" >"$work/target.lua"

# The resident memory of the process that serves the run's proxy (under Wine
# the wine process that runs avexhost.exe), in MB.
resident_mb() {
  local name=$1 pid kb largest=0
  for pid in $(pgrep -f -- "$work/stop-$name" || true); do
    grep -q 'proxy' "/proc/$pid/cmdline" 2>/dev/null || continue
    kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
    [ -n "$kb" ] && [ "$kb" -gt "$largest" ] && largest=$kb
  done
  if [ "$largest" -gt 0 ]; then awk -v kb="$largest" 'BEGIN { printf "%.1f", kb / 1024 }'; else printf 'n/a'; fi
}

# One run: the proxy with the extra arguments, wrk for the run's seconds,
# the figures into $work/NAME.figures.
soak() {
  local name=$1; shift
  (cd "$build" && if [ "$target" = win32 ]; then
     exec "$root/scripts/wine-run" "$build/$exe" proxy --listen 127.0.0.1:0 --stop-file "Z:$work/stop-$name" \
       --user alice "$@" </dev/null >"$work/$name.log" 2>&1
   else
     exec "$build/$exe" proxy --listen 127.0.0.1:0 --stop-file "$work/stop-$name" --user alice "$@" \
       </dev/null >"$work/$name.log" 2>&1
   fi) &
  local proxy=$!
  pids+=("$proxy")
  for _ in $(seq 600); do grep -q 'listening on' "$work/$name.log" 2>/dev/null && break; sleep 0.1; done
  local port
  port=$(sed -nE 's/.*listening on [0-9.]+:([0-9]+).*/\1/p' "$work/$name.log" | head -n 1)
  [ -n "$port" ] || { cat "$work/$name.log"; exit 1; }
  local before after
  before=$(resident_mb "$name")
  # Requests that wait for a configuration change are measured, not given up on.
  wrk -t 2 -c 64 -d "${seconds}s" --timeout 60s --latency -s "$work/target.lua" "http://127.0.0.1:$port/" \
    >"$work/$name.wrk" 2>&1
  after=$(resident_mb "$name")
  touch "$work/stop-$name"
  wait "$proxy" || true
  awk -v before="$before" -v after="$after" '
    function ms(v) { if (v ~ /us$/) return v / 1000; if (v ~ /ms$/) return v + 0; if (v ~ /m$/) return v * 60000; if (v ~ /s$/) return v * 1000; return v }
    /^ +Latency +[0-9]/ { max = ms($4) }
    /^ +50%/ { p50 = ms($2) }
    /^ +99%/ { p99 = ms($2) }
    /requests in/ { requests = $1 }
    /Non-2xx/ { bad = $NF }
    /Socket errors:/ { gsub(",", ""); errors = $4 + $6 + $8 + $10; detail = $3 " " $4 ", " $5 " " $6 ", " $7 " " $8 ", " $9 " " $10 }
    END {
      printf "%s %d %d %.2f %.2f %.2f %s %s %s\n", requests, bad, errors, p50, p99, max, before, after, detail ? ": " detail : "-"
    }' "$work/$name.wrk" >"$work/$name.figures"
}

echo "== avexhost proxy soak ($target), $(nproc) cores, ${seconds}s per run, 64 connections, $(date -u +%FT%TZ)"
soak quiet
soak applying --apply-records "$(target_path "$work/first.rec"),$(target_path "$work/second.rec")" --apply-every 1

for name in quiet applying; do
  read -r requests bad errors p50 p99 max before after detail <"$work/$name.figures"
  label="without applies:"
  [ "$name" = applying ] && label="applying every 1 s:"
  printf '%-20s %s requests, failed %s (non-2xx %s, socket errors %s%s); latency p50 %s ms, p99 %s ms, max %s ms;\n' \
    "$label" "$requests" "$((bad + errors))" "$bad" "$errors" "${detail/#-/}" "$p50" "$p99" "$max"
  printf '%-20s resident memory of the proxy %s MB at the start, %s MB at the end\n' "" "$before" "$after"
done

applies=$work/applying.applies
sed -nE 's/^configuration apply ([0-9]+): (.*), ([0-9]+) bytes: ([A-Za-z]+) in ([0-9.]+) ms\r?$/\1 \2 \4 \5/p' \
  "$work/applying.log" >"$applies"
if [ ! -s "$applies" ]; then
  echo "== no configuration was applied:"
  tail "$work/applying.log"
  exit 1
fi
sort -n -k4 "$applies" | awk '
  { ms[NR] = $4; if ($3 != "ResultOk") failed++ }
  END {
    printf "== configuration applies of a %s-entry record: %d (%d not ResultOk); shortest %.0f ms, median %.0f ms, longest %.0f ms\n",
      "10,000", NR, failed, ms[1], ms[int((NR + 1) / 2)], ms[NR]
  }'
last=$(tail -n 1 "$applies" | awk '{ print $2 }')
last_file=$work/$(basename "${last//\\//}")
run_host "$(target_path "$build/AVex.dll")" --start-type 1 config get "$(target_path "$work/read-back.rec")" >/dev/null
if cmp -s "$last_file" "$work/read-back.rec"; then
  echo "== the registry holds the last record applied ($(basename "$last_file")), whole: $(stat -c %s "$last_file") bytes read back the same"
else
  echo "== the registry does NOT hold the last record applied ($(basename "$last_file"), $(stat -c %s "$last_file") bytes):" \
       "$(stat -c %s "$work/read-back.rec") bytes read back, $(cmp "$last_file" "$work/read-back.rec" 2>&1 | head -n 1)"
fi
