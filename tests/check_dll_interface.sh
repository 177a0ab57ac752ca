#!/usr/bin/env bash
# A DLL we ship must export exactly its entry points, undecorated, and import
# only system libraries (no mingw runtime DLL).
#   check_dll_interface.sh DLL EXPORT...
set -euo pipefail
dll="$1"
shift
dump="$(i686-w64-mingw32-objdump -p "$dll")"

exports="$(awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^[ \t]*\[ *[0-9]+\]/ {print $NF; next} on {on=0}' <<<"$dump" | LC_ALL=C sort | tr '\n' ' ')"
expected="$(printf '%s\n' "$@" | LC_ALL=C sort | tr '\n' ' ')"
if [ "$exports" != "$expected" ]; then
  echo "exports are: $exports"
  echo "expected:    $expected"
  exit 1
fi

imports="$(sed -nE 's/^\s*DLL Name: (.*)$/\1/p' <<<"$dump" | tr 'A-Z' 'a-z' | sort -u)"
allowed='^(kernel32|advapi32|user32|gdi32|comctl32|comdlg32|wininet|msvcrt|msimg32|shell32|ole32)\.dll$'
bad="$(grep -vE "$allowed" <<<"$imports" || true)"
if [ -n "$bad" ]; then
  echo "imports outside the system libraries: $bad"
  exit 1
fi
echo "exports: $exports"
echo "imports: $(tr '\n' ' ' <<<"$imports")"
