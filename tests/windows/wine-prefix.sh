#!/usr/bin/env bash
# Makes the build's own Wine prefix when it is missing and starts one Wine server that every test under
# Wine shares; "stop" ends that server. Without Wine this is an error in CI and a note elsewhere, where the
# tests under Wine skip themselves.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX names the prefix in the build folder}"
export WINEDEBUG=-all
if ! command -v wine >/dev/null || ! command -v wineserver >/dev/null; then
    if [[ -n "${CI:-}" ]]; then
        echo "wine-prefix: wine is not installed (tools/bootstrap.sh installs wine64)" >&2
        exit 1
    fi
    echo "wine-prefix: wine is not installed; the tests under Wine are skipped"
    exit 0
fi
if [[ "${1:-}" == stop ]]; then
    wineserver -k || true
    exit 0
fi
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    started=$(date +%s)
    # No Mono or Gecko: the tests run console programs only.
    WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot --init >/dev/null 2>&1
    wineserver -w
    echo "wine-prefix: made $WINEPREFIX in $(($(date +%s) - started)) s"
fi
# The server stays up between the tests and goes a minute after the last one, should "stop" never run.
wineserver -p60 </dev/null >/dev/null 2>&1
