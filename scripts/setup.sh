#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need; only missing ones.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-dev
  googletest libgtest-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev
  libvorbis-dev libsdl2-dev qt6-base-dev fonts-liberation
  ffmpeg sox espeak-ng pulseaudio pulseaudio-utils
  time
  scdoc dpkg-dev lintian desktop-file-utils appstream shared-mime-info libglib2.0-bin man-db bash-completion
)

source "$(dirname "$0")/debian-packages.sh"
install_missing "${packages[@]}"
