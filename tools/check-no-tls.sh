#!/bin/bash
# Fails when a shared object uses thread-local storage (a TLS segment or a TLS relocation), which
# the program's in-memory loader cannot give it. Run on the audio library after every build.
set -euo pipefail
library=$1
if readelf -lW "$library" | grep -q '^ *TLS '; then
  echo "$library: has a thread-local storage segment; the in-memory loader cannot map it" >&2
  exit 1
fi
found=$(readelf -rW "$library" | grep -E 'R_X86_64_(DTPMOD64|DTPOFF64|TPOFF64|TPOFF32|TLSGD|TLSLD|DTPOFF32|GOTTPOFF|TLSDESC|GOTPC32_TLSDESC)' || true)
if [ -n "$found" ]; then
  echo "$library: uses thread-local storage (no thread_local, no std::call_once):" >&2
  echo "$found" | head -5 >&2
  exit 1
fi
