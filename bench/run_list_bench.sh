#!/usr/bin/env bash
# The manual-list stage beside squidGuard: both decide the same synthetic lists
# and requests (bench/peer_workload.py) in one run, and the ratio of
# their decisions per second is the result.
#
# Usage: bench/run_list_bench.sh [native|win32] [N_ENTRIES] [N_PARTIALS] [N_REQUESTS]
#   native: the Linux build, build/native (or $AVEX_BUILD_DIR)
#   win32:  the Windows build, build/win32 (or $AVEX_BUILD_DIR), run under Wine
# squidGuard, a Debian package, is installed when missing, and always runs natively.
set -euo pipefail

target=${1:-native}
n=${2:-100000}
p=${3:-1000}
r=${4:-200000}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${AVEX_BUILD_DIR:-$root/build/$target}

case "$target" in
  native) toolchain=() ;;
  win32) toolchain=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686-posix.cmake") ;;
  *) echo "usage: $0 [native|win32] [N_ENTRIES] [N_PARTIALS] [N_REQUESTS]" >&2; exit 2 ;;
esac
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${toolchain[@]}" >/dev/null
fi
cmake --build "$build" --target bench_list_lookup

work=$(mktemp -d "${TMPDIR:-/tmp}/avex-list-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
python3 "$root/bench/peer_workload.py" "$work/lists" "$n" "$p" "$r"

echo "== AVex ($target), $n sites, $n URLs, $p partials, $r requests"
if [ "$target" = win32 ]; then
  # Wine's drive Z: is the Unix root; its console output ends lines with CR LF.
  "$root/scripts/wine-run" "$build/bench_list_lookup.exe" --peer "Z:$work/lists" | tr -d '\r' > "$work/avex.txt"
else
  "$build/bench_list_lookup" --peer "$work/lists" > "$work/avex.txt"
fi
cat "$work/avex.txt"

echo "== squidGuard (native)"
bash "$root/bench/run_squidguard.sh" "$work/sg" "$n" "$p" "$r" | tee "$work/sg.txt"
for list in domains urls partials requests.txt; do
  cmp -s "$work/lists/$list" "$work/sg/lists/$list" || { echo "the two runs saw different $list" >&2; exit 1; }
done

rate() { sed -nE "s/^$1.*; ([0-9]+) decisions\/s.*/\1/p" "$2" | head -n 1; }
avex_lists=$(rate 'AVex lists \(' "$work/avex.txt")
avex_partials=$(rate 'AVex lists \+' "$work/avex.txt")
sg_lists=$(rate 'squidGuard lists \(' "$work/sg.txt")
sg_expr=$(rate 'squidGuard lists \+' "$work/sg.txt")
echo "== ratio (AVex $target / squidGuard), decisions per second"
printf '%-34s %12s %12s %8s\n' "" AVex squidGuard ratio
printf '%-34s %12s %12s %7.1fx\n' "sites + URLs" "$avex_lists" "$sg_lists" \
  "$(python3 -c "print($avex_lists / $sg_lists)")"
printf '%-34s %12s %12s %7.1fx\n' "sites + URLs + partials/expressions" "$avex_partials" "$sg_expr" \
  "$(python3 -c "print($avex_partials / $sg_expr)")"
