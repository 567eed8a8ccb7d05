#!/usr/bin/env bash
# A test executable leaves nothing in the temporary folder: its run's settings folder goes with it,
# whether it runs tests or only lists them (as CTest does before every test).
#   leaves-no-settings-folder.sh TEST_EXECUTABLE
set -u
scratch=$(mktemp -d /tmp/quillon-scratch-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
TMPDIR=$scratch "$1" --gtest_list_tests >/dev/null || { echo "FAILED: listing the tests"; exit 1; }
TMPDIR=$scratch "$1" --gtest_filter='MessageDialogPlacement.*' >/dev/null || { echo "FAILED: running the tests"; exit 1; }
left=$(ls -A "$scratch")
if [ -n "$left" ]; then
  echo "FAILED: left behind in the temporary folder: $left"
  exit 1
fi
echo "ok: nothing left behind"
