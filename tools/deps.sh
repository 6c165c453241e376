#!/bin/sh
# Installs the Debian packages the build and the tests need, where missing:
# the compiler and CMake, GoogleTest and Google Benchmark, CLI11 for the
# report program's options, libpng and Chromium (with a font) for the
# report's browser tests.
set -eu
packages="cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev libpng-dev chromium fonts-dejavu-core"
missing=""
for p in $packages; do
    dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
    apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
else
    sudo apt-get update -q && sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
fi
