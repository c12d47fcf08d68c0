# Sourced with a Windows program's path: the Wine environment its machine type needs, wine-env.sh for
# a 32-bit program, wine64-env.sh for an x86_64 one (the PE header's machine field is 0x8664).
_blankwise_tools="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
_blankwise_header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
if [ "$(od -An -tx2 -j$((_blankwise_header + 4)) -N2 "$1" | tr -d ' ')" = 8664 ]; then
    source "$_blankwise_tools/wine64-env.sh"
else
    source "$_blankwise_tools/wine-env.sh"
fi
unset _blankwise_tools _blankwise_header
