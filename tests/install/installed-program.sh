#!/usr/bin/env bash
# make install's program: stripped of its debugging information, and it starts on its own from
# the installed place (it carries its audio library inside).
#   installed-program.sh BUILD_DIR
set -u
build=$(readlink -f "$1")
stage=$(mktemp -d /tmp/quillon-install-XXXXXX)
trap 'rm -rf "$stage"' EXIT
cmake --install "$build" --prefix "$stage/usr" --strip >/dev/null || { echo "FAILED: install"; exit 1; }
program=$stage/usr/bin/quillon
failed=0
if readelf -S "$program" | grep -q '\.debug_'; then
  echo "FAILED: the installed program still has debugging sections"; failed=1
else
  echo "ok: stripped ($(stat -c %s "$program") bytes, the build's copy $(stat -c %s "$build/bin/quillon"))"
fi
# Started away from the build folder, it runs until it is ended (a missing library would end it at once).
cd "$stage" && XDG_CONFIG_HOME=$stage/config XDG_RUNTIME_DIR=$stage QT_QPA_PLATFORM=offscreen timeout 3 "$program" >/dev/null 2>&1
status=$?
if [ "$status" -eq 124 ]; then echo "ok: the installed program runs on its own"; else echo "FAILED: it ended with $status"; failed=1; fi
exit $failed
