#!/usr/bin/env bash
# avexhost proxy under load: wrk through two proxies that run side by side,
# one filtering through the real plug-in and stand-in engine (the demo's
# configuration, user alice, who is filtered), one with --pass-through, in
# front of one web server of the benchmark's own (bench/proxy_origin.cpp).
# The two are measured in turns at 1, 16 and 64 connections, for requests
# that a manual list decides (a partial entry allows "/kids/") and for
# 20 KiB text pages that the engine scores; the ratio of the two is the
# result. Natively, perf then shows where the filtering proxy's time goes on
# the scored pages, by library.
#
# Usage: bench/run_proxy_bench.sh [native|win32] [SECONDS per measurement]
#   native: build/native; win32: build/win32, the proxies under Wine (the
#   web server and wrk always run natively). Loopback only; ends by itself.
set -euo pipefail

. "$(dirname "${BASH_SOURCE[0]}")/proxy_bench_common.sh"
proxy_bench_target "${1:-native}"
seconds=${2:-5}
proxy_bench_build

work=$(mktemp -d "${TMPDIR:-/tmp}/avex-proxy-bench.XXXXXX")
pids=()
cleanup() {
  touch "$work/stop-plugin" "$work/stop-pass-through"
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

start_origin "$work"

start_proxy() {
  local name=$1; shift
  local path=$build
  [ "$target" = win32 ] && path="Z:$build"
  if [ "$target" = win32 ]; then
    (cd "$build" && exec "$root/scripts/wine-run" "$build/$exe" proxy --listen 127.0.0.1:0 --stop-file "Z:$work/stop-$name" \
       --settings "$path/demo/settings.reg" --users "$path/demo/users.txt" --user alice "$@" </dev/null >"$work/$name.log" 2>&1) &
  else
    (cd "$build" && AVEX_REGISTRY="$work/registry-$name.reg" exec "$build/$exe" proxy --listen 127.0.0.1:0 \
       --stop-file "$work/stop-$name" --settings "$path/demo/settings.reg" --users "$path/demo/users.txt" \
       --user alice "$@" </dev/null >"$work/$name.log" 2>&1) &
  fi
  pids+=($!)
  for _ in $(seq 600); do grep -q 'listening on' "$work/$name.log" 2>/dev/null && break; sleep 0.1; done
  sed -nE 's/.*listening on [0-9.]+:([0-9]+).*/\1/p' "$work/$name.log" | head -n 1
}
plugin_port=$(start_proxy plugin)
pass_port=$(start_proxy pass-through --pass-through)
[ -n "$plugin_port" ] && [ -n "$pass_port" ] || { cat "$work"/*.log; exit 1; }

# wrk asks the proxy for the absolute URL, as a browser asks its proxy.
measure() {
  local port=$1 path=$2 connections=$3 threads=2
  [ "$connections" = 1 ] && threads=1
  printf 'wrk.path = "http://127.0.0.1:%s%s"\n' "$origin" "$path" >"$work/target.lua"
  wrk -t "$threads" -c "$connections" -d "${seconds}s" --latency -s "$work/target.lua" "http://127.0.0.1:$port/" |
    awk '
      function ms(v) { if (v ~ /us$/) return v / 1000; if (v ~ /ms$/) return v + 0; if (v ~ /s$/) return v * 1000; return v }
      /Requests\/sec:/ { rps = $2 }
      /^ +50%/ { p50 = ms($2) }
      /^ +99%/ { p99 = ms($2) }
      /Non-2xx/ { bad = $NF }
      END { printf "%10.0f %9.2f %9.2f%s\n", rps, p50, p99, bad ? "  (" bad " non-2xx)" : "" }'
}

echo "== avexhost proxy ($target), $(nproc) cores, ${seconds}s per measurement, $(date -u +%FT%TZ)"
printf '%-24s %5s  %-12s %10s %9s %9s\n' workload conns proxy "req/s" "p50 ms" "p99 ms"
for workload in "list-decided:/kids/page.html" "scored-20KiB:/page20k.html"; do
  name=${workload%%:*} path=${workload#*:}
  for connections in 1 16 64; do
    with=$(measure "$plugin_port" "$path" "$connections")
    without=$(measure "$pass_port" "$path" "$connections")
    printf '%-24s %5s  %-12s %s\n' "$name" "$connections" plug-in "$with"
    printf '%-24s %5s  %-12s %s\n' "" "" pass-through "$without"
    printf '%-24s %5s  %-12s %9.0f%%\n' "" "" "ratio" "$(awk -v a="$with" -v b="$without" 'BEGIN { split(a, x, " "); split(b, y, " "); print 100 * x[1] / y[1] }')"
  done
done
grep -c 'ResultPass' "$work/plugin.log" >/dev/null || { echo "the plug-in proxy decided nothing:"; tail "$work/plugin.log"; exit 1; }
echo "== decisions of the plug-in proxy (request log): $(grep -o ' request [^ ]* [^ ]* GET [^ ]* [0-9]* [A-Za-z-]*' "$work/plugin.log" | awk '{print $6, $7}' | sort | uniq -c | tr '\n' ';')"

if [ "$target" = native ] && command -v perf >/dev/null; then
  pid=$(pgrep -f "avexhost proxy --listen 127.0.0.1:0 --stop-file $work/stop-plugin" | head -n 1)
  echo "== where the filtering proxy's time goes on scored 20 KiB pages (perf, 16 connections, by library)"
  printf 'wrk.path = "http://127.0.0.1:%s/page20k.html"\n' "$origin" >"$work/target.lua"
  wrk -t 2 -c 16 -d "$((seconds + 2))s" -s "$work/target.lua" "http://127.0.0.1:$plugin_port/" >/dev/null &
  load=$!
  sleep 1
  perf record -q -F 2000 -p "$pid" -o "$work/perf.data" -- sleep "$seconds" >/dev/null 2>&1 || true
  wait "$load"
  perf report -q -i "$work/perf.data" --sort dso --stdio 2>/dev/null | sed -n '1,12p'
  echo "-- the plug-in's and the engine's busiest functions"
  perf report -q -i "$work/perf.data" --sort dso,sym --stdio --dsos AVex.dll,csdk.dll 2>/dev/null | sed -n '1,10p'
fi
