# Sourced by the scripts that run 64-bit Windows programs: like wine-env.sh, but the project's 64-bit
# Wine prefix (build/wineprefix64, WINEARCH=win64; `wine` hands a 64-bit program to the wine64
# loader), which setup.sh creates; made here on first use when it is missing.
_blankwise_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="$_blankwise_root/build/wineprefix64"
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree=;mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"
export LANG=ja_JP.UTF-8
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w || true
fi
unset _blankwise_root
