// The three voices that are listed and written out but never played: still real tones at their slot pitch.
#include "gen_synth.h"
#include <algorithm>
#include <utility>

using namespace synth;

namespace {

void Rise(std::vector<double>& out, double seconds)
{
    const int n = std::max(1, int(Rate * seconds));
    for (int i = 0; i < n && i < int(out.size()); ++i)
        out[i] *= 0.5 - 0.5 * std::cos(Pi * i / n);
}

// Keeps a partial clear of the 4 kHz limit, easing the top ones out.
double BandLimit(double f)
{
    if (f >= TopPartial)
        return 0.0;
    if (f <= 3000)
        return 1.0;
    const double c = std::cos(0.5 * Pi * (f - 3000) / (TopPartial - 3000));
    return c * c;
}

} // namespace

// Set 1: a tine electric piano: nearly sinusoidal body, a short bell partial on the strike.
std::vector<double> SynthElectricPiano(int slot, int frames)
{
    std::vector<double> out(frames, 0.0);
    Rng rng(0x4550ull + std::uint64_t(slot) * 104729);
    const double f0 = SlotFrequency(slot);
    const double pos = slot / 47.0;
    const double amps[6] = {1.0, 0.38, 0.14, 0.07, 0.035, 0.02};
    for (int n = 1; n <= 6; ++n) {
        const double fn = n * f0;
        DecayingSine s;
        s.freq = fn;
        s.phase = 2 * Pi * rng.Uniform();
        s.amp = amps[n - 1] * BandLimit(fn);
        s.promptShare = 0.5;
        s.promptRate = DbPerSecond(10 + 6 * n + 10 * pos);
        s.afterRate = DbPerSecond(4 + 3 * n + 6 * pos);
        if (s.amp > 0)
            AddSine(out, s);
    }
    DecayingSine bell;   // the tine's inharmonic ping
    bell.freq = 7.1 * f0;
    bell.phase = 0;
    bell.amp = 0.25 * BandLimit(bell.freq);
    bell.promptShare = 1.0;
    bell.promptRate = DbPerSecond(90);
    if (bell.amp > 0)
        AddSine(out, bell);
    Rise(out, 0.002);
    return out;
}

// Set 2: a music-box comb: a plucked steel tooth, whose overtones are the bending modes of a bar.
std::vector<double> SynthMusicBox(int slot, int frames)
{
    std::vector<double> out(frames, 0.0);
    Rng rng(0x4D42ull + std::uint64_t(slot) * 15485863);
    const double f0 = SlotFrequency(slot);
    const struct { double ratio, amp, decayDb; } modes[] = {
        {1.0, 1.0, 11}, {2.0, 0.12, 18}, {6.267, 0.3, 40}, {17.55, 0.12, 80}};
    for (const auto& m : modes) {
        DecayingSine s;
        s.freq = m.ratio * f0;
        s.phase = 2 * Pi * rng.Uniform();
        s.amp = m.amp * BandLimit(s.freq);
        s.promptShare = 0.3;
        s.promptRate = DbPerSecond(2.5 * m.decayDb);
        s.afterRate = DbPerSecond(m.decayDb);
        if (s.amp > 0)
            AddSine(out, s);
    }
    Rise(out, 0.002);
    return out;
}

// Set 3: a mellow, long voice: few soft partials, a gentle swell and a slow chorus of two voices.
std::vector<double> SynthMellow(int slot, int frames)
{
    std::vector<double> out(frames, 0.0);
    Rng rng(0x4D454Cull + std::uint64_t(slot) * 32452843);
    const double f0 = SlotFrequency(slot);
    const double amps[4] = {1.0, 0.3, 0.08, 0.03};
    for (int n = 1; n <= 4; ++n) {
        const double fn = n * f0;
        const double phase = 2 * Pi * rng.Uniform();
        // A quieter second voice a little sharp gives a slow chorus; the leading voice keeps the pitch.
        for (const auto& [c, share] : {std::pair{0.0, 0.68}, std::pair{1.8, 0.32}}) {
            DecayingSine s;
            s.freq = fn * Cents(c);
            s.phase = phase;
            s.amp = share * amps[n - 1] * BandLimit(s.freq);
            s.promptShare = 0.35;
            s.promptRate = DbPerSecond(6 + 3 * n);
            s.afterRate = DbPerSecond(2.5 + 2 * n);
            if (s.amp > 0)
                AddSine(out, s);
        }
    }
    Rise(out, 0.03);
    return out;
}
