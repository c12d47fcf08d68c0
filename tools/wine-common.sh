# Sourced by wine-env.sh and wine64-env.sh once they have set WINEPREFIX and BLANKWISE_WINE: what
# the scripts do in a prefix, always through that loader.

# Creates the prefix, without prompts or downloads.
blankwise_init_prefix() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    "$BLANKWISE_WINE" wineboot.exe --init >/dev/null 2>&1 || true
    blankwise_wait_for_wine
}

# Waits until every program in the prefix has ended and the server with them, so that nothing of
# Wine outlives the display or the files it was given. Under tools/wine-keep-server.sh the server
# stays up until that script stops it, and there is nothing to wait for.
blankwise_wait_for_wine() {
    [ -n "${BLANKWISE_WINE_SERVER_KEPT:-}" ] || wineserver -w || true
}

# The Windows name of a Linux path: Wine's drive Z: is the root of the file system.
blankwise_windows_path() {
    local path
    path="$(realpath -m "$1")"
    echo "Z:${path//\//\\}"
}
