// Writes the shipped example: a synthetic pyroshock-like record with a zero
// shift, sampled at 20 kHz for 0.4 s. Run once; its output is
// examples/shock.txt.
//
//   make_example > examples/shock.txt
#include <cmath>
#include <cstdio>

int main() {
    const double rate = 20000.0;          // samples per second
    const int count = 8000;               // 0.4 s
    const double onset = 0.02;            // s: start of the shock
    const double pi = std::acos(-1.0);
    // Damped tones: frequency (Hz), amplitude (G), decay time (s).
    const double tones[][3] = {{180.0, 40.0, 0.030}, {650.0, 90.0, 0.012}, {1400.0, 140.0, 0.006},
                               {2900.0, 110.0, 0.003}, {4700.0, 60.0, 0.002}};
    unsigned noise = 12345u;
    std::printf("Synthetic shock record with a zero shift\n");
    std::printf("Time (sec), Accel (G)\n");
    for (int i = 0; i < count; ++i) {
        double t = i / rate;
        double a = 0.0;
        if (t >= onset) {
            double s = t - onset;
            for (const auto& tone : tones) a += tone[1] * std::exp(-s / tone[2]) * std::sin(2.0 * pi * tone[0] * s);
            // The zero shift: an offset that sets in with the shock and
            // relaxes slowly, as a transducer's does after a large transient.
            a += 6.0 * (1.0 - std::exp(-s / 0.004)) * std::exp(-s / 0.5);
        }
        noise = noise * 1103515245u + 12345u;
        a += ((noise >> 16) & 0x7FFF) / 32767.0 * 0.4 - 0.2;
        std::printf("%.8e, %.6e\n", t, a);
    }
    return 0;
}
