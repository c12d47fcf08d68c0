#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages and prepares the
# project-local Wine prefixes: build/wineprefix (32-bit, for the win32 preset) and
# build/wineprefix64 (64-bit, for the win64 preset). Idempotent: quiet and quick when everything is
# already there.
#
# The 32-bit Wine (wine32:i386) is the one package whose absence is not an error: when apt cannot
# install it, setup says why, notes the reason for tools/win32-support.sh and goes on, so that
# everything but the 32-bit Windows stages can still be built and tested. Any other package that
# cannot be installed fails setup.
#
# For its own test: BLANKWISE_SETUP_SIMULATE=1 has apt only simulate (nothing is installed, nothing
# prepared), BLANKWISE_SETUP_REINSTALL names packages to treat as missing, BLANKWISE_SETUP_PAUSE sets
# the first pause between tries in seconds, and BLANKWISE_SETUP_STATE the folder of the notes.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$here/tools/win32-support.sh"

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev llvm googletest libgtest-dev libbenchmark-dev
    g++-mingw-w64-i686-posix binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine32:i386 wine64 xvfb x11-apps imagemagick fonts-ipafont-gothic locales python3 zip unzip
    pre-commit acl attr libeditorconfig-dev python3-editorconfig
    dpkg-dev lintian man-db mandoc zsh fish
)
simulate="${BLANKWISE_SETUP_SIMULATE:-}"
first_pause="${BLANKWISE_SETUP_PAUSE:-5}"
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"

missing=()
for package in "${packages[@]}"; do
    if [[ " ${BLANKWISE_SETUP_REINSTALL:-} " == *" $package "* ]] ||
        ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing+=("$package")
    fi
done

# Runs a command up to three times, pausing longer after each failure: a mirror in mid-sync or a
# dropped connection often heals within seconds. Its output is kept in $apt_log.
apt_log="$(mktemp)"
trap 'rm -f "$apt_log"' EXIT
with_retries() {
    local try pause="$first_pause"
    for try in 1 2 3; do
        if "$@" >"$apt_log" 2>&1; then
            return 0
        fi
        [ "$try" -lt 3 ] || break
        sleep "$pause"
        pause=$((pause * 2))
    done
    return 1
}

apt_install() {
    local simulate_flag=()
    [ -n "$simulate" ] && simulate_flag=(--simulate)
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends --no-remove \
        "${simulate_flag[@]}" "$@"
}

# Apt's own words for a failed install: its error lines, or its last lines when it gave none.
apt_reason() {
    local reason
    reason=$(grep -E '^(E: | [^ ].* : Depends: )' "$apt_log" | head -n 3 | sed 's/^ *//' | paste -sd ';' -)
    [ -n "$reason" ] || reason=$(tail -n 2 "$apt_log" | paste -sd ';' -)
    echo "${reason//;/; }"
}

# The 32-bit Wine from the release's main archive rather than from the newest index: a mirror that
# is mid-sync may serve the amd64 security index but not the i386 one, so the amd64 twins of the
# 32-bit libraries come out newer than those libraries, and Multi-Arch: same packages must have equal
# versions on both architectures. With the release as the default, each pair whose candidates still
# differ is pinned on both architectures to the i386 candidate, which the release then has for amd64
# too. wine64 and wine are named with it, so that apt cannot make room for wine32 by removing them.
install_wine32_from_release() {
    local codename names pins
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    [ -n "$codename" ] || return 1
    names=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
        --no-replaces --no-enhances wine32:i386 2>/dev/null | sed -nE 's/^([a-z0-9][^ ]*):i386$/\1:i386 \1:amd64/p' | sort -u)
    [ -n "$names" ] || return 1
    # shellcheck disable=SC2086 # one package name a word
    pins=$(apt-cache -o "APT::Default-Release=$codename" policy $names 2>/dev/null |
        awk '/^[^ ]/ { name = $1; sub(/:$/, "", name) } /Candidate:/ { candidate[name] = $2 }
             END {
                 for (name in candidate) {
                     if (name !~ /:i386$/ || candidate[name] == "(none)") continue
                     base = name; sub(/:i386$/, "", base)
                     twin = (base ":amd64") in candidate ? candidate[base ":amd64"] : candidate[base]
                     if (twin != "" && twin != "(none)" && twin != candidate[name])
                         print base ":i386=" candidate[name], base ":amd64=" candidate[name]
                 }
             }')
    # shellcheck disable=SC2086
    with_retries apt_install -t "$codename" wine wine64 wine32:i386 $pins
}

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386 && [ -z "$simulate" ]; then
        $sudo_cmd dpkg --add-architecture i386
    fi
    if [ -z "$simulate" ] && ! with_retries $sudo_cmd apt-get update -q; then
        echo "setup: apt-get update failed three times; going on with the indexes it could fetch:"
        grep -E '^(E|W): ' "$apt_log" | head -n 4 | sed 's/^/  /'
    fi
    if ! with_retries apt_install "${missing[@]}"; then
        # Everything but Wine first, from the newest indexes; then Wine for both architectures at
        # once, so that the amd64 libraries it brings match their i386 twins; without wine32 when
        # that cannot be.
        others=()
        wines=()
        for package in "${missing[@]}"; do
            case "$package" in
                wine | wine64 | wine32:i386) wines+=("$package") ;;
                *) others+=("$package") ;;
            esac
        done
        if [ ${#others[@]} -gt 0 ] && ! with_retries apt_install "${others[@]}"; then
            cat "$apt_log"
            echo "setup: apt-get install ${others[*]} failed three times"
            exit 1
        fi
        if [[ " ${wines[*]} " == *" wine32:i386 "* ]]; then
            echo "setup: wine32:i386 did not install from the newest indexes; trying the release's main archive"
            if install_wine32_from_release; then
                rm -f "$(blankwise_win32_reason_file)"
            else
                reason="wine32:i386 cannot be installed: $(apt_reason)"
                echo "setup: $reason"
                echo "setup: the 32-bit Windows stages will not run; everything else will"
                mkdir -p "$(dirname "$(blankwise_win32_reason_file)")"
                echo "$reason" >"$(blankwise_win32_reason_file)"
                if ! with_retries apt_install wine wine64; then
                    cat "$apt_log"
                    echo "setup: apt-get install wine wine64 failed three times"
                    exit 1
                fi
            fi
        elif [ ${#wines[@]} -gt 0 ] && ! with_retries apt_install "${wines[@]}"; then
            cat "$apt_log"
            echo "setup: apt-get install ${wines[*]} failed three times"
            exit 1
        fi
    fi
fi
[ -z "$simulate" ] || exit 0
if dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "ok installed"; then
    rm -f "$(blankwise_win32_reason_file)"
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "setup: generating the ja_JP.UTF-8 locale"
    $sudo_cmd sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo_cmd tee -a /etc/locale.gen >/dev/null
    $sudo_cmd locale-gen >/dev/null
fi

# The Wine prefixes of the project's own, each created once, without prompts or downloads: a
# 32-bit one for the win32 build and a 64-bit one for the win64 build. Each is made in a subshell,
# since the two environments differ (WINEARCH, WINEPREFIX), and through its own loader, since
# `wine` and the tools that call it start everything through the 32-bit one when wine32 is there.
# A program that crashes in them writes its backtrace and ends, rather than waiting for someone to
# close Wine's crash dialog.
prepare_prefix() {
    local env_script="$1" arch="$2"
    (
        source "$here/tools/$env_script"
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            echo "setup: creating the $arch Wine prefix in $WINEPREFIX"
            blankwise_init_prefix
        fi
        grep -qx "#arch=$arch" "$WINEPREFIX/system.reg" || {
            echo "setup: $WINEPREFIX is not a $arch Wine prefix"
            exit 1
        }
        if ! grep -q '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg"; then
            "$BLANKWISE_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
            wineserver -w || true
        fi
    )
}
if ! win32_reason=$(blankwise_win32_unavailable); then
    prepare_prefix wine-env.sh win32
fi
prepare_prefix wine64-env.sh win64
