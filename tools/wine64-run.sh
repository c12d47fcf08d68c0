#!/usr/bin/env bash
# Runs a 64-bit Windows program under Wine in the project's 64-bit prefix with code page 932 and
# passes on its exit status.
source "$(dirname "${BASH_SOURCE[0]}")/wine64-env.sh"
exec "$BLANKWISE_WINE" "$@"
