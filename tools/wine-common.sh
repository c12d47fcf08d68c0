# Sourced by wine-env.sh and wine64-env.sh once they have set WINEPREFIX and BLANKWISE_WINE: what
# the scripts do in a prefix, always through that loader.

# Creates the prefix, without prompts or downloads.
blankwise_init_prefix() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    "$BLANKWISE_WINE" wineboot.exe --init >/dev/null 2>&1 || true
    wineserver -w || true
}

# The Windows name of a Linux path: Wine's drive Z: is the root of the file system.
blankwise_windows_path() {
    local path
    path="$(realpath -m "$1")"
    echo "Z:${path//\//\\}"
}
