#!/usr/bin/env bash
# Writes small seed files of each format into the fuzzing corpus folder given as argument:
# short sines as wav, ogg and mp3 (through sox when present) and a tiny module.
set -euo pipefail
corpus=$1
mkdir -p "$corpus"
python3 - "$corpus" <<'PY'
import math, struct, sys, os
folder = sys.argv[1]
rate, frames = 8000, 400
data = b''.join(struct.pack('<hh', int(8000*math.sin(i/5)), int(8000*math.sin(i/5))) for i in range(frames))
wav = b'RIFF' + struct.pack('<I', 36 + len(data)) + b'WAVEfmt ' + struct.pack('<IHHIIHH', 16, 1, 2, rate, rate*4, 4, 16) + b'data' + struct.pack('<I', len(data)) + data
open(os.path.join(folder, 'seed.wav'), 'wb').write(wav)
mod = bytearray(1084)
mod[0:4] = b'seed'
mod[20:26] = b'square'; mod[43] = 8; mod[45] = 64; mod[49] = 8
mod[950] = 1; mod[951] = 127; mod[1080:1084] = b'M.K.'
pattern = bytearray(1024); pattern[0:4] = bytes([0x00, 214, 0x10, 0x00])
open(os.path.join(folder, 'seed.mod'), 'wb').write(bytes(mod) + bytes(pattern) + bytes([0x60]*8 + [0xA0]*8))
PY
if command -v sox >/dev/null; then
  sox -n -r 8000 -c 2 "$corpus/seed.ogg" synth 0.2 sine 440 2>/dev/null || true
  sox -n -r 8000 -c 2 "$corpus/seed.mp3" synth 0.2 sine 440 2>/dev/null || true
fi
