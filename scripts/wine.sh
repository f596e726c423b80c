#!/usr/bin/env bash
# Runs a Windows program under Wine (Debian's wine64) in the prefix named by WINEPREFIX, without
# Wine's debug chatter and without its offers to download Mono and Gecko (which would wait for
# an answer). The program's exit status is this script's.
# Usage: WINEPREFIX=<folder> scripts/wine.sh <program.exe> [arguments...]
#        WINEPREFIX=<folder> scripts/wine.sh --init    makes the prefix if it is missing; the
#                                                      first start takes 10–20 s
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix folder}"
# WINEDLLOVERRIDES given by the caller is kept (e2e_wine_no_d3dx.sh switches D3DX off with it).
export WINEPREFIX WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
command -v wine >/dev/null || { echo "wine is missing (apt-get install wine wine64)" >&2; exit 1; }

if [ "${1:-}" = --init ]; then
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making the Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot --init
    wineserver --wait
  fi
  exit 0
fi
[ -f "$WINEPREFIX/system.reg" ] || { echo "no Wine prefix in $WINEPREFIX (run $0 --init)" >&2; exit 1; }
exec wine "$@"
