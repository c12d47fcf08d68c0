#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's prefix with code page 932 and passes on
# its exit status.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
exec "$BLANKWISE_WINE" "$@"
