# Sourced by the scripts that build and test: whether this machine can run the 32-bit Windows
# programs of the win32 build, and if not, why. Two things can stand in the way, both outside the
# project: the 32-bit Wine (wine32:i386) that apt could not install (setup.sh notes apt's reason), and
# a kernel that runs no 32-bit code at all (some virtual machines allow 64-bit user code only), which
# the 32-bit Wine loader's own start shows.
#
# BLANKWISE_WINE32_LOADER names another loader to try, such as a stand-in that fails as such a kernel
# would.

_blankwise_support_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Where setup.sh notes why wine32 could not be installed.
blankwise_win32_reason_file() {
    echo "${BLANKWISE_SETUP_STATE:-$_blankwise_support_root/build/setup}/wine32-unavailable"
}

# Succeeds and prints the reason when 32-bit Windows programs cannot run here; fails when they can.
blankwise_win32_unavailable() {
    if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "ok installed"; then
        if [ -s "$(blankwise_win32_reason_file)" ]; then
            cat "$(blankwise_win32_reason_file)"
        else
            echo "wine32:i386 is not installed"
        fi
        return 0
    fi
    local loader="${BLANKWISE_WINE32_LOADER:-/usr/lib/wine/wine}" output
    if ! output=$("$loader" --version 2>&1); then
        echo "this machine cannot run 32-bit programs: $loader --version failed ($(head -n 1 <<<"$output"))"
        return 0
    fi
    return 1
}
