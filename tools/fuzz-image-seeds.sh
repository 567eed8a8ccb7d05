#!/usr/bin/env bash
# Seeds for the loader's fuzz target: the PE32 images the fuzz build's seed tool writes, and a
# small shared object compiled on the spot.
set -euo pipefail
build=$1
corpus=$2
mkdir -p "$corpus"
"$build/fuzz/quillon-loader-seeds" "$corpus"
printf 'int seed_value = 3;\nint seed_answer(int x) { return x + seed_value; }\n' |
  cc -shared -fPIC -O1 -x c - -o "$corpus/seed-object.so"
strip "$corpus/seed-object.so"
# A hidden indirect function reached through a jump slot, and the same object with an empty load
# segment on that slot's page (which once crashed the loader).
printf '%s\n' 'static int one(void) { return 1; }' 'static void* pick(void) { return (void*)one; }' \
  'int chosen(void) __attribute__((visibility("hidden"), ifunc("pick")));' 'int call_chosen(void) { return chosen() + 1; }' |
  cc -shared -fPIC -O0 -x c - -o "$corpus/seed-ifunc.so"
"$build/fuzz/quillon-loader-seeds" "$corpus" "$corpus/seed-ifunc.so"
