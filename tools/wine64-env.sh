# Sourced by the scripts that run 64-bit Windows programs: like wine-env.sh, but a 64-bit Wine prefix
# of the project's own (build/wineprefix64), created on first use.
_blankwise_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="$_blankwise_root/build/wineprefix64"
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree=;mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"
export LANG=ja_JP.UTF-8
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w || true
fi
unset _blankwise_root
