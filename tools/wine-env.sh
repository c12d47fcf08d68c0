# Sourced by the scripts that run Windows programs: a project-local Wine prefix, a Japanese
# locale (so that the system code page is 932) and no prompts for Mono or Gecko.
_blankwise_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$_blankwise_root/build/wineprefix}"
export WINEARCH=win32
export WINEDLLOVERRIDES="mscoree=;mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"
export LANG=ja_JP.UTF-8
unset _blankwise_root
