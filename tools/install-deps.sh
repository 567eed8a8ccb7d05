#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Quillon need.
# Does nothing when every package is present; uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libmpg123-dev libvorbis-dev libsndfile1-dev libopenmpt-dev
  portaudio19-dev libfftw3-dev libsamplerate0-dev libsoundtouch-dev libasound2-dev libpulse-dev pulseaudio pulseaudio-utils
  fonts-wine fonts-dejavu-core
  clang clang-format libclang-rt-14-dev
  nodejs python3 tesseract-ocr xvfb xauth x11-apps x11-utils imagemagick sox libsox-fmt-mp3 openbox xdotool xclip desktop-file-utils
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
# npm comes with some builds of nodejs and is a package of its own in Debian's.
command -v npm >/dev/null 2>&1 || missing+=(npm)

if ((${#missing[@]} == 0)); then
  exit 0
fi

sudo=()
if [[ $(id -u) -ne 0 ]]; then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
# The package manager's output goes to a log, shown only when something fails.
log=$(mktemp /tmp/quillon-install-XXXXXX.log)
echo "Installing ${#missing[@]} missing packages (log: $log): ${missing[*]}"
if ! "${sudo[@]}" apt-get update -qq >"$log" 2>&1 ||
   ! "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >>"$log" 2>&1; then
  cat "$log"
  echo "Installing the packages failed." >&2
  exit 1
fi
echo "Installed ${#missing[@]} packages."
