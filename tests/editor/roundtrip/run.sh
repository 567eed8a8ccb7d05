#!/usr/bin/env bash
# Round trip through a third-party LRC parser (from the npm registry, pinned in package-lock.json):
# the line and word times it reads from a word-timed file the program wrote equal the program's,
# and a parser of line tags alone reads every line's time.
#   run.sh PATH_TO_QUILLON_LRC_TIMES NODE_FOLDER
set -u
tool=$1
node_folder=$2
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -d "$node_folder/node_modules/clrc" ]; then
  mkdir -p "$node_folder"
  cp "$here/package.json" "$here/package-lock.json" "$node_folder/"
  (cd "$node_folder" && npm ci --no-audit --no-fund --silent) || { echo "FAILED: npm ci"; exit 1; }
fi
work=$(mktemp -d /tmp/quillon-roundtrip-XXXXXX)
trap 'rm -rf "$work"' EXIT
"$tool" "$work/song.lrc" >"$work/ours.json" || { echo "FAILED: the program's side"; exit 1; }
export NODE_PATH=$node_folder/node_modules
node "$here/clrc-times.js" "$work/song.lrc" >"$work/theirs.json" || { echo "FAILED: the parser's side"; exit 1; }
node "$here/clrc-times.js" "$work/song.lrc" --lines >"$work/lines.json" || exit 1
echo "file:";   cat "$work/song.lrc"
echo "ours:   $(cat "$work/ours.json")"
echo "theirs: $(cat "$work/theirs.json")"
echo "lines:  $(cat "$work/lines.json")"
python3 - "$work" <<'PY'
import json, sys
work = sys.argv[1]
ours = json.load(open(work + "/ours.json"))
theirs = json.load(open(work + "/theirs.json"))
lines = json.load(open(work + "/lines.json"))
ok = len(ours) >= 3 and all(len(line["words"]) >= 2 for line in ours)
ok = ok and ours == theirs
ok = ok and [line["line"] for line in ours] == [line["line"] for line in lines]
print("equal" if ok else "FAILED: the times differ")
sys.exit(0 if ok else 1)
PY
