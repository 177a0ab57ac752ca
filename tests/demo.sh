#!/usr/bin/env bash
# The demo: the staged plug-in and the stand-in engine driven by the host
# harness under Wine, as the proxy's engine process runs them for a school.
set -euo pipefail
stage="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
run() { "$here/wine-run" "$@" </dev/null | tr -d '\r'; }

cd "$stage/install"
cp -r "$here/demo" traffic
run reg delete 'HKLM\SOFTWARE\Orlo Ltd\Aurivex PlugIn' /f >/dev/null 2>&1 || true
run regedit /S 'traffic\settings.reg' >/dev/null 2>&1

echo "== The proxy's engine process starts AVex.dll (start type 0, console flag 0),"
echo "== publishes its users and runs the school's morning traffic"
rm -f trace.txt
AVEX_TRACE=trace.txt run avexhost.exe AVex.dll --start-type 0 --console 0 --vendor-key \
  --users traffic/users.txt --requests traffic/requests.txt --html \
  --config-out engine.cfg
echo
echo "== The engine's start sequence, from the diagnostic trace"
sed -n '/Corvane Startup/,/Initialised Interface without problems/p' trace.txt | tr -d '\r' | sed 's/^/  /'
echo
echo "== The console takes the configuration record, and a host of interface version 1 is refused"
run avexhost.exe AVex.dll --start-type 1 --console 1 --config-in engine.cfg --no-save | grep -E 'PlugStart|ApplyConfiguration'
run avexhost.exe AVex.dll --api-version 1 | grep -E 'PlugDisplayName\(\) =|PlugStart'
