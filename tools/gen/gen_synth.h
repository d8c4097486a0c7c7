#pragma once
// Small building blocks for the sample synthesiser: seeded noise, filters, decaying sines.
#include <cmath>
#include <cstdint>
#include <vector>

namespace synth {

constexpr int Rate = 8000;
// Partials at or above this would sit on top of the 4 kHz limit of an 8 kHz file (or fold back below it).
constexpr double TopPartial = 3900.0;
constexpr double Pi = 3.14159265358979323846;

// Frequency of slot k of a voice set: slot 33 is A440, slot 0 the C two octaves below middle C.
inline double SlotFrequency(int slot) { return 440.0 * std::pow(2.0, (slot - 33) / 12.0); }

inline double Cents(double c) { return std::pow(2.0, c / 1200.0); }

// splitmix64: the same seed gives the same stream on every compiler (std distributions do not).
class Rng {
public:
    explicit Rng(std::uint64_t seed) : s_(seed) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Uniform() { return double(Next() >> 11) * (1.0 / 9007199254740992.0); }   // [0, 1)
    double Signed() { return 2.0 * Uniform() - 1.0; }                                 // [-1, 1)

private:
    std::uint64_t s_;
};

// Second-order section (bilinear designs, so low-passes have their zero right at 4 kHz).
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double z1 = 0, z2 = 0;

    static Biquad LowPass(double f, double q)
    {
        const double w = 2 * Pi * f / Rate, c = std::cos(w), al = std::sin(w) / (2 * q), a0 = 1 + al;
        Biquad b;
        b.b0 = (1 - c) / 2 / a0; b.b1 = (1 - c) / a0; b.b2 = b.b0;
        b.a1 = -2 * c / a0; b.a2 = (1 - al) / a0;
        return b;
    }
    static Biquad HighPass(double f, double q)
    {
        const double w = 2 * Pi * f / Rate, c = std::cos(w), al = std::sin(w) / (2 * q), a0 = 1 + al;
        Biquad b;
        b.b0 = (1 + c) / 2 / a0; b.b1 = -(1 + c) / a0; b.b2 = b.b0;
        b.a1 = -2 * c / a0; b.a2 = (1 - al) / a0;
        return b;
    }
    double Step(double x)
    {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

// One sinusoid whose amplitude falls in two stages: a prompt part and a slow aftersound.
struct DecayingSine {
    double freq = 0;         // Hz
    double phase = 0;        // radians at t = 0
    double amp = 0;          // initial amplitude
    double promptShare = 0;  // share of amp that decays at promptRate, the rest at afterRate
    double promptRate = 0;   // nepers per second
    double afterRate = 0;    // nepers per second
};

inline double DbPerSecond(double db) { return db / 8.685889638; }

// Adds s to out from sample `from`; stops once the sine has died away.
inline void AddSine(std::vector<double>& out, const DecayingSine& s, int from = 0)
{
    const int n = int(out.size());
    const double w = 2 * Pi * s.freq / Rate;
    const double cw = std::cos(w), sw = std::sin(w);
    const double dp = std::exp(-s.promptRate / Rate), da = std::exp(-s.afterRate / Rate);
    double ep = s.amp * s.promptShare, ea = s.amp * (1 - s.promptShare);
    double re = std::cos(s.phase), im = std::sin(s.phase);
    for (int i = from; i < n; ++i) {
        const int k = i - from;
        if ((k & 4095) == 0 && k) {
            // Re-seat the rotation on the exact phase so rounding never drifts the pitch or level.
            const double ph = s.phase + w * k;
            re = std::cos(ph); im = std::sin(ph);
            if (ep + ea < 1e-7)
                return;
        }
        out[i] += (ep + ea) * im;
        const double r = re * cw - im * sw;
        im = re * sw + im * cw;
        re = r;
        ep *= dp;
        ea *= da;
    }
}

inline double Rms(const std::vector<double>& x, int from, int count)
{
    double e = 0;
    int n = 0;
    for (int i = from; i < from + count && i < int(x.size()); ++i, ++n)
        e += x[i] * x[i];
    return n ? std::sqrt(e / n) : 0.0;
}

} // namespace synth

// Voices of the four sets; each returns `frames` samples of one note, roughly unit level, unfaded.
std::vector<double> SynthPiano(int slot, int frames);          // set 4, the one that is heard
std::vector<double> SynthElectricPiano(int slot, int frames);  // set 1
std::vector<double> SynthMusicBox(int slot, int frames);       // set 2
std::vector<double> SynthMellow(int slot, int frames);         // set 3
