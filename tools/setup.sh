#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages and prepares the
# project-local Wine prefixes: build/wineprefix (32-bit, for the win32 preset) and
# build/wineprefix64 (64-bit, for the win64 preset). Idempotent: quiet and quick when everything is
# already there.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev llvm googletest libgtest-dev libbenchmark-dev
    g++-mingw-w64-i686-posix binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine32 wine64 xvfb x11-apps imagemagick fonts-ipafont-gothic locales python3 zip unzip
    pre-commit
)

missing=()
for package in "${packages[@]}"; do
    arch_suffix=""
    [ "$package" = wine32 ] && arch_suffix=":i386"
    if ! dpkg-query -W -f='${Status}' "$package$arch_suffix" 2>/dev/null | grep -q "ok installed"; then
        missing+=("$package$arch_suffix")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $sudo_cmd dpkg --add-architecture i386
    fi
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "setup: generating the ja_JP.UTF-8 locale"
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo_cmd tee -a /etc/locale.gen >/dev/null
    $sudo_cmd locale-gen >/dev/null
fi

# The Wine prefixes of the project's own, each created once, without prompts or downloads: a
# 32-bit one for the win32 build and a 64-bit one for the win64 build. Each is made in a subshell,
# since the two environments differ (WINEARCH, WINEPREFIX). A program that crashes in them writes
# its backtrace and ends, rather than waiting for someone to close Wine's crash dialog.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
prepare_prefix() {
    local env_script="$1" arch="$2"
    (
        source "$here/tools/$env_script"
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            echo "setup: creating the $arch Wine prefix in $WINEPREFIX"
            mkdir -p "$(dirname "$WINEPREFIX")"
            wineboot --init >/dev/null 2>&1 || true
            wineserver -w || true
        fi
        grep -qx "#arch=$arch" "$WINEPREFIX/system.reg" || {
            echo "setup: $WINEPREFIX is not a $arch Wine prefix"
            exit 1
        }
        if ! grep -q '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg"; then
            wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
            wineserver -w || true
        fi
    )
}
prepare_prefix wine-env.sh win32
prepare_prefix wine64-env.sh win64
