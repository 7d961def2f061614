#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest (the cross build's emulator).
# The caller chooses the prefix (WINEPREFIX); Wine's own chatter is off and
# carriage returns are dropped so that test listings parse as on Linux.
set -o pipefail
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine "$@" | tr -d '\r'
