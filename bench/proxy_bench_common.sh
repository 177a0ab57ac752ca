# Sourced by the proxy benchmarks (run_proxy_bench.sh, run_soak_bench.sh):
# their target, their builds and the benchmark's own web server.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
native=$root/build/native

# proxy_bench_target TARGET: sets target, build (its build folder) and exe
# (its avexhost); any other target ends the benchmark with its usage.
proxy_bench_target() {
  target=$1
  build=$root/build/$target
  case "$target" in
    native) exe=avexhost ;;
    win32) exe=avexhost.exe ;;
    *) echo "usage: $0 [native|win32] [SECONDS]" >&2; exit 2 ;;
  esac
}

# proxy_bench_build [NATIVE TARGETS...]: the web server, the host, the
# plug-in and the stand-in engine of the target, and the native extras.
proxy_bench_build() {
  cmake --preset native -S "$root" >/dev/null
  cmake --build --preset native -j "$(nproc)" --target bench_proxy_origin avexhost AVex csdk "$@"
  if [ "$target" = win32 ]; then
    cmake --preset win32 -S "$root" >/dev/null
    cmake --build --preset win32 -j "$(nproc)" --target avexhost AVex csdk
  fi
}

# start_origin WORK: the web server, natively, its pid added to pids; sets
# origin to its port. It stops when file descriptor 3 closes.
start_origin() {
  local work=$1
  mkfifo "$work/origin-in"
  "$native/bench_proxy_origin" <"$work/origin-in" >"$work/origin.port" &
  pids+=($!)
  exec 3>"$work/origin-in"
  for _ in $(seq 100); do [ -s "$work/origin.port" ] && break; sleep 0.1; done
  origin=$(head -n 1 "$work/origin.port")
}
