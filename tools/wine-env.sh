# Sourced by the scripts that run 32-bit Windows programs: a project-local Wine prefix, a Japanese
# locale (so that the system code page is 932) and no prompts for Mono or Gecko. A WINEPREFIX set
# beforehand is kept, except the project's 64-bit one (wine64-env.sh), which a 32-bit program cannot
# use with WINEARCH=win32.
_blankwise_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ "${WINEPREFIX:-}" = "$_blankwise_root/build/wineprefix64" ]; then
    unset WINEPREFIX
fi
export WINEPREFIX="${WINEPREFIX:-$_blankwise_root/build/wineprefix}"
export WINEARCH=win32
export WINEDLLOVERRIDES="mscoree=;mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"
export LANG=ja_JP.UTF-8
# The command that runs a program in this prefix.
export BLANKWISE_WINE=wine
source "$_blankwise_root/tools/wine-common.sh"
unset _blankwise_root
