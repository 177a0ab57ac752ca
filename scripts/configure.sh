#!/usr/bin/env bash
# The configuration dialog for a person: the engine process's configuration
# (as stored in the prefix's registry) is carried to the console, the dialog
# opens on the display, and the record that OK gives is carried back to the
# engine process, which applies and saves it.
set -euo pipefail
stage="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
host() { "$here/wine-run" avexhost.exe "$@" </dev/null | tr -d '\r'; }

cd "$stage/install"
echo "== The engine process gives its configuration"
host AVex.dll --start-type 1 --console 0 config get engine.cfg | grep -E 'PlugStart|GetConfiguration'
echo "== The console shows the dialog: change what you like, then OK or Cancel"
result="$(host AVex.dll --start-type 1 --console 1 config apply engine.cfg configure config get console.cfg)"
grep -E 'ApplyConfiguration|ShowConfiguration|GetConfiguration' <<<"$result"
if grep -q 'ShowConfiguration = ResultOk' <<<"$result"; then
  echo "== The engine process applies and saves the console's record"
  host AVex.dll --start-type 1 --console 0 config apply console.cfg | grep -E 'ApplyConfiguration'
else
  echo "== Closed without OK: nothing changes"
fi
