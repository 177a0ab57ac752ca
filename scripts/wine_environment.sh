# The Wine environment of every Windows program run from this checkout, read
# by ./avex and scripts/wine-run: the build's private 32-bit prefix (a 64-bit
# one would give the 32-bit library a registry view it never reads), no debug
# output, and Wine's own .NET and HTML engines left out. AVEX_WINE_OVERRIDES
# adds DLL overrides of a test's own (a stand-in library beside the program
# that must be loaded in place of Wine's).
avex_checkout="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${AVEX_WINEPREFIX:-$avex_checkout/build/wineprefix}"
export WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=${AVEX_WINE_OVERRIDES:+;$AVEX_WINE_OVERRIDES}"
unset avex_checkout
