#!/usr/bin/env bash
# Starts a PulseAudio server of its own with a null sink and runs the sound check against the
# sink's monitor. The check's program is the argument.
set -euo pipefail
check=$1
runtime=$(mktemp -d /tmp/quillon-pulse-XXXXXX)
source "$(dirname "$0")/../../support/pulse-server.sh"
cleanup() {
  stop_pulse_server
  rm -rf "$runtime"
}
trap cleanup EXIT
start_pulse_server quillon_check "$runtime"
"$check" quillon_check.monitor
