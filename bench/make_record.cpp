// Writes a synthetic shock record for the benchmarks and the sameness tests:
//
//   make_record RATE COUNT [decreasing|late] > record.txt
//
// RATE samples per second, COUNT samples, starting at time zero: decaying
// tones with a zero shift. "late" starts the record at 2.5 s; "decreasing"
// moves a few times backwards in the middle, and the last one back before
// the two samples ahead of it, so that those lie after the last time, with
// a large last amplitude.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_record RATE COUNT [decreasing|late]\n");
        return 1;
    }
    const double rate = std::atof(argv[1]);
    const long count = std::atol(argv[2]);
    const bool decreasing = argc > 3 && std::strcmp(argv[3], "decreasing") == 0;
    const double start = argc > 3 && std::strcmp(argv[3], "late") == 0 ? 2.5 : 0.0;
    const double pi = std::acos(-1.0);
    const double onset = count / rate * 0.1;
    unsigned noise = 777u;
    std::printf("Benchmark shock record\nTime (s), Accel (m/s^2)\n");
    for (long i = 0; i < count; ++i) {
        double t = i / rate;
        if (decreasing && (i == count / 2 || i == count / 2 + 7)) t -= 30.0 / rate;
        if (decreasing && i == count - 1) t -= 2.5 / rate;
        double a = 0;
        if (t > onset) {
            double s = t - onset;
            a = 300.0 * std::exp(-s * 200.0) * std::sin(2 * pi * 1200.0 * s) +
                90.0 * std::exp(-s * 60.0) * std::sin(2 * pi * 310.0 * s) + 4.0 * (1 - std::exp(-s * 300.0));
        }
        noise = noise * 1103515245u + 12345u;
        a += ((noise >> 16) & 0x7FFF) / 32767.0 - 0.5;
        // A large last value: the baselines end there, so the samples after
        // the last time feel whether a trial's intervals reach them.
        if (decreasing && i == count - 1) a = 2000.0;
        std::printf("%.9e %.6e\n", start + t, a);
    }
    return 0;
}
