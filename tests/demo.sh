#!/usr/bin/env bash
# The demo: the staged plug-in started by the host harness under Wine, as the
# proxy's engine process starts it, on a machine that has never seen it.
set -euo pipefail
stage="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
run() { "$here/wine-run" "$@"; }

cd "$stage/install"
run reg delete 'HKLM\SOFTWARE\Orlo Ltd\Aurivex PlugIn' /f >/dev/null 2>&1 || true

echo "== The proxy's engine process loads AVex.dll and starts it (start type 0, console flag 0)"
run avexhost.exe AVex.dll --api-version 2 --start-type 0 --console 0 --vendor-key | tr -d '\r'
echo
echo "== A host that speaks interface version 1 is refused"
run avexhost.exe AVex.dll --api-version 1 --start-type 0 --console 0 | tr -d '\r'
