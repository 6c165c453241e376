#!/bin/sh
# Builds basetrim and runs every test: a release build, then a build with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")/.."
tools/deps.sh
jobs=$(nproc)
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release
cmake --build build/release -j"$jobs"
(cd build/release && ctest --output-on-failure -j"$jobs")
cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBASETRIM_SANITIZE=ON
cmake --build build/sanitize -j"$jobs"
(cd build/sanitize && ctest --output-on-failure -j"$jobs")
