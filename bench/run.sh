#!/bin/sh
# Speed figures of basetrim on this machine: filter updates per second of
# each filter-bank kernel, and whole runs of fixed cases against a build of
# the same program with the optimisations switched off (one thread, the
# scalar filter loop, the scans over all samples and intervals, the
# quadratic sorts and rank search, printf formatting). Every pair of runs is
# also checked to leave the same bytes.
#
#   bench/run.sh [THREADS]      THREADS for the optimised runs (default: all cores)
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
threads=${1:-$(nproc)}
jobs=$(nproc)
tools/deps.sh
cmake -S . -B build/bench-fast -DCMAKE_BUILD_TYPE=Release -DBASETRIM_TESTS=OFF >/dev/null
cmake --build build/bench-fast -j"$jobs" --target basetrim basetrim_bench bench_make_record bench_measure >/dev/null
cmake -S . -B build/bench-plain -DCMAKE_BUILD_TYPE=Release -DBASETRIM_TESTS=OFF -DBASETRIM_STRAIGHTFORWARD=ON >/dev/null
cmake --build build/bench-plain -j"$jobs" --target basetrim >/dev/null
fast=$root/build/bench-fast/basetrim
plain=$root/build/bench-plain/basetrim
measure=$root/build/bench-fast/bench_measure
make_record=$root/build/bench-fast/bench_make_record
work=$root/out/bench
rm -rf "$work"
mkdir -p "$work"

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores"
echo
echo "== filter bank, one core (61 frequencies, 100,000 samples)"
"$root/build/bench-fast/basetrim_bench" --benchmark_min_time=1 2>/dev/null |
    awk '/^bm_bank/ { for (i = 1; i <= NF; ++i) if ($i ~ /updates_per_s=/) { sub("updates_per_s=", "", $i); sub("/s$", "", $i); printf "  %-7s %s filter updates/s\n", $NF, $i } }'

# run_case NAME RECORD ANSWERS [THREADS-FOR-MEMORY]
run_case() {
    name=$1 record=$2 answers=$3
    for v in plain fast; do
        d=$work/$name-$v
        mkdir -p "$d"
        cp "$record" "$d/in.txt"
        printf '%s\n' "$answers" > "$d/answers.txt"
    done
    set -- $($measure "$work/$name-plain/answers.txt" "$work/$name-plain/stdout.txt" "$work/$name-plain" env OMP_NUM_THREADS=1 "$plain")
    p_wall=$1 p_rss=$3
    set -- $($measure "$work/$name-fast/answers.txt" "$work/$name-fast/stdout.txt" "$work/$name-fast" env OMP_NUM_THREADS="$threads" "$fast")
    f_wall=$1 f_cpu=$2 f_rss=$3
    same=same
    for f in base.txt corr.txt srs.txt coef.txt temp_file.out; do
        cmp -s "$work/$name-plain/$f" "$work/$name-fast/$f" || same="DIFFERENT ($f)"
    done
    mask='-e 4,5d -e /Current.time/{n;d} -e s/^.\([0-9]*00\)..[0-9]*.sec$/\1/'
    sed $mask "$work/$name-plain/stdout.txt" > "$work/$name-plain/masked.txt"
    sed $mask "$work/$name-fast/stdout.txt" > "$work/$name-fast/masked.txt"
    cmp -s "$work/$name-plain/masked.txt" "$work/$name-fast/masked.txt" || same="DIFFERENT (transcript)"
    trials=$(printf '%s\n' "$answers" | awk 'NR==8')
    awk -v n="$name" -v pw="$p_wall" -v fw="$f_wall" -v fc="$f_cpu" -v pr="$p_rss" -v fr="$f_rss" -v t="$trials" -v s="$same" -v th="$threads" 'BEGIN {
        printf "  %-26s straightforward %7.2f s   optimised (%d threads) %6.2f s (cpu %.2f s)   speed-up %5.1fx   %8.0f trials/s   peak memory %.0f / %.0f MB = %.2f   output %s\n",
               n, pw, th, fw, fc, pw / fw, t / fw, fr / 1024, pr / 1024, fr / pr, s }'
}

echo
echo "== whole runs"
if [ -f "$root/../shared/data/drop_017.lvm" ]; then
    run_case "drop_017, 600 trials" "$root/../shared/data/drop_017.lvm" \
        "$(printf 'in.txt\nbase.txt\ncorr.txt\nsrs.txt\ncoef.txt\n1\n1\n600\n0\n20 10000\n2000 300000\n0.5\n200\na')"
else
    echo "  drop_017: ../shared/data is absent, case skipped"
fi
"$make_record" 1000000 1000000 > "$work/record_1m.txt"
run_case "1,000,000 samples, 40 trials" "$work/record_1m.txt" \
    "$(printf 'in.txt\nbase.txt\ncorr.txt\nsrs.txt\ncoef.txt\n1\n1\n40\n0\n20 10\n1000 200\n0.5\n200\na')"
"$make_record" 10000 500 > "$work/record_500.txt"
run_case "500 samples, 40,000 trials" "$work/record_500.txt" \
    "$(printf 'in.txt\nbase.txt\ncorr.txt\nsrs.txt\ncoef.txt\n1\n1\n40000\n0\n20 10\n500 200\n0.5\n60\na')"
