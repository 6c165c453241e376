#!/bin/sh
# Builds basetrim and basetrim-report, runs basetrim on the shipped example
# record with its answers file in out/example/, then writes the report of
# that run, out/example/report.html. The result files and temp_file.out
# land there too.
set -eu
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DBASETRIM_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)" --target basetrim basetrim-report
mkdir -p out/example
cp examples/shock.txt out/example/
cd out/example
status=0
../../build/release/basetrim < ../../examples/answers.txt > transcript.txt || status=$?
echo "basetrim ended with status $status (97 is the key a); transcript in out/example/transcript.txt"
tail -n 4 transcript.txt; echo
# The report reads the same answers, so it finds the same files here.
../../build/release/src/report/basetrim-report --answers ../../examples/answers.txt --output report.html
echo "open out/example/report.html in a browser"
