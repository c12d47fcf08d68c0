# Sourced by the scripts that run 64-bit Windows programs: like wine-env.sh, but the project's 64-bit
# Wine prefix (build/wineprefix64, WINEARCH=win64), which setup.sh creates; made here on first use
# when it is missing.
_blankwise_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="$_blankwise_root/build/wineprefix64"
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree=;mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"
export LANG=ja_JP.UTF-8
# The command that runs a program in this prefix: the 64-bit loader itself, since `wine` (and every
# Wine tool, winepath and wineboot among them) starts each program through the 32-bit one when wine32
# is installed, which then hands a 64-bit program over, and which a kernel without 32-bit support
# cannot start at all.
export BLANKWISE_WINE=wine
for _blankwise_loader in /usr/lib/wine/wine64 "$(command -v wine64 || true)"; do
    if [ -n "$_blankwise_loader" ] && [ -x "$_blankwise_loader" ]; then
        BLANKWISE_WINE="$_blankwise_loader"
        break
    fi
done
unset _blankwise_loader
source "$_blankwise_root/tools/wine-common.sh"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    blankwise_init_prefix
fi
unset _blankwise_root
