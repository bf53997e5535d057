#!/usr/bin/env bash
# Installs the Debian packages Orvane needs to build, run and test. Safe to run again.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake ninja-build pkg-config git
  # Qt 6.4 and the QML runtime modules the screens import
  qt6-base-dev qt6-declarative-dev qt6-declarative-dev-tools qt6-multimedia-dev libqt6multimedia6
  qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-layouts
  qml6-module-qtquick-shapes qml6-module-qtquick-dialogs qml6-module-qtquick-window
  qml6-module-qtquick-templates qml6-module-qtmultimedia qml6-module-qttest
  qml6-module-qtqml qml6-module-qtqml-models qml6-module-qtqml-workerscript qt6-qpa-plugins
  # the non-native folder dialog of QtQuick.Dialogs lists folders with this labs module
  qml6-module-qt-labs-folderlistmodel
  # media: FFmpeg 5.1 libraries (with libx264/libx265) and the ffmpeg program
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev ffmpeg
  # fonts for Chinese texts and burned-in labels; icon font
  fonts-noto-cjk fonts-material-design-icons-iconfont
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth libgl1-mesa-dri
  # fuzzing (clang with libFuzzer)
  clang libclang-rt-dev
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
