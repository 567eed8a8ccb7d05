#!/usr/bin/env bash
# The folders keep to their layers (tools/layers.txt), and the check finds an include that does not:
# the editor reaching into the engine's internals, the settings reaching up to a dialog.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
status=0
python3 "$top/tools/layers.py" --check || status=1

scratch=$(mktemp -d /tmp/quillon-layers-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/tools" "$scratch/editor" "$scratch/engine/include" "$scratch/settings" "$scratch/dialogs"
cp "$top/tools/layers.txt" "$scratch/tools/"
touch "$scratch/engine/Engine.h" "$scratch/engine/include/QuillonAudio.h" "$scratch/dialogs/DialogWindow.h"
printf '#include "QuillonAudio.h"\n#include "engine/Engine.h"\n' > "$scratch/editor/Unit1.cpp"
printf '#include "dialogs/DialogWindow.h"\n' > "$scratch/settings/Settings.h"
report=$(python3 "$top/tools/layers.py" --check --root "$scratch")
found=$?
expect() {  # text the report must hold
  if ! grep -qF "$1" <<<"$report"; then echo "FAILED: not reported: $1"; status=1; fi
}
[ "$found" -eq 1 ] || { echo "FAILED: a broken layer passed the check"; status=1; }
expect 'editor/Unit1.cpp: includes "engine/Engine.h", from engine/, which editor/ may not use'
expect 'settings/Settings.h: includes "dialogs/DialogWindow.h", from dialogs/, which settings/ may not use'
if grep -q 'QuillonAudio.h' <<<"$report"; then echo "FAILED: the engine's public header was reported"; status=1; fi
[ "$status" -eq 0 ] && echo "ok: the layers hold, and the check finds the includes that break them"
exit $status
