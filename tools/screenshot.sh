#!/usr/bin/env bash
# Starts the program and the button demo under a virtual X server and captures their windows
# into shots/. Usage: tools/screenshot.sh BUILD_DIR
set -euo pipefail
build=${1:-build}
mkdir -p shots
capture() {  # program, output file
  local program=$1 output=$2
  xvfb-run -a -s "-screen 0 800x600x24" bash -c "
    '$program' & pid=\$!
    sleep 2
    import -window root '$output'
    kill \$pid"
}
capture "$build/bin/quillon" shots/quillon.png
capture "$build/tools/quillon-button-demo" shots/button-demo.png
echo "written: shots/quillon.png shots/button-demo.png"
