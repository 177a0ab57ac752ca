#!/usr/bin/env bash
# The demo: the staged plug-in and the stand-in engine driven by the host
# harness under Wine, as the proxy runs them for a school: its engine process
# filtering a morning's traffic, then a configuration change carried from the
# console back to the engine process.
set -euo pipefail
stage="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
run() { "$here/wine-run" "$@" </dev/null | tr -d '\r'; }
host() { run avexhost.exe "$@"; }

cd "$stage/install"
cp -r "$here/../tests/demo" traffic
run reg delete 'HKLM\SOFTWARE\Orlo Ltd\Aurivex PlugIn' /f >/dev/null 2>&1 || true
run regedit /S 'traffic\settings.reg' >/dev/null 2>&1
export AVEX_TRACE=trace.txt
rm -f trace.txt

echo "== 1. The proxy's engine process starts AVex.dll (start type 0, console flag 0),"
echo "==    publishes its users and replays the school's morning traffic"
host AVex.dll --start-type 0 --console 0 --vendor-key --users traffic/users.txt \
  --requests traffic/requests.txt --pages pages config get engine.cfg
echo
echo "== The engine's start sequence, from the diagnostic trace"
sed -n '/Corvane Startup/,/Initialised Interface without problems/p' trace.txt | tr -d '\r' | sed 's/^/  /'
echo
echo "== One HTML block page, as the pupil's browser gets it (pages/09.html)"
cat pages/09.html; echo
echo
echo "== 2. The engine's URL lookup fails (fault injected into the stand-in engine): the page is scanned"
CSDK_FAULTS=request=0x80004005 host AVex.dll --start-type 0 --users traffic/users.txt \
  --requests traffic/engine-failure.txt |
  sed -n '/^  *#/,$p' | grep -v '^PlugReleaseInterface\|^PlugStop'
echo
echo "== 3. The console takes the engine's configuration (start type 1, console flag 1, no save);"
echo "==    the administrator raises the Gambling level to 99; the engine process applies it"
host AVex.dll --start-type 1 --console 1 config apply engine.cfg config get console.cfg |
  grep -E 'PlugStart|ApplyConfiguration|GetConfiguration'
host config edit console.cfg level Gambling 99
host AVex.dll --start-type 0 --users traffic/users.txt config apply console.cfg \
  --requests traffic/poker-night.txt |
  sed -n '/kind 1,\|^ApplyConfiguration/,$p' | grep -v '^PlugReleaseInterface\|^PlugStop'
echo
echo "== 4. A host that speaks interface version 1 is refused"
host AVex.dll --api-version 1 | grep -E 'PlugDisplayName\(\) =|PlugStart'
echo
echo "== 5. The console opens the configuration dialog (on a virtual display), tests a page that a"
echo "==    web server on 127.0.0.1 serves on its Test URL page, and saves a picture of each page"
mkdir -p ../screens
port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
python3 -m http.server "$port" --bind 127.0.0.1 --directory traffic/pages >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
python3 - "$port" <<'WAIT'
import socket, sys, time
for _ in range(100):
    try:
        socket.create_connection(("127.0.0.1", int(sys.argv[1])), 0.2).close()
        break
    except OSError:
        time.sleep(0.1)
WAIT
host AVex.dll --start-type 1 --console 1 config apply engine.cfg configure --screens '..\screens' \
  --test-url "127.0.0.1:$port/poker-night.html" config get console-dialog.cfg |
  grep -E 'ShowConfiguration|Test URL of|^    '
kill "$server" 2>/dev/null || true
for picture in ../screens/*.png; do
  echo "  $(cd "$(dirname "$picture")" && pwd)/$(basename "$picture")"
done
