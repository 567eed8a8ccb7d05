#!/usr/bin/env bash
# Runs each scene of the sound check against a PulseAudio server of its own with a null sink,
# recording the sink's monitor. The check's program is the argument; further arguments choose
# scenes (all by default).
set -uo pipefail
check=$1
shift
scenes=("$@")
[ ${#scenes[@]} -gt 0 ] || scenes=(play seeks restart hang slow)
support="$(cd "$(dirname "$0")/../../support" && pwd)"
source "$support/pulse-server.sh"
status=0
for scene in "${scenes[@]}"; do
  runtime=$(mktemp -d /tmp/quillon-pulse-XXXXXX)
  start_pulse_server quillon_check "$runtime" || exit 1
  # The check kills the server and starts it again with this.
  export QUILLON_PULSE_START="bash -c 'source $support/pulse-server.sh && start_pulse_server quillon_check $runtime'"
  echo "== $scene"
  "$check" quillon_check.monitor "$scene" || status=1
  stop_pulse_server
  # A server the check started again, and its keep-alive stream.
  pkill -f "file:$runtime/server.log" 2>/dev/null || true
  sleep 0.2
  rm -rf "$runtime"
done
exit $status
