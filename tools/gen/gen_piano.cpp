// The heard voice: an additive piano. Each note is a set of slightly stretched partials from two or three
// slightly detuned strings, each partial decaying in two stages (higher ones faster), behind a short
// hammer transient and a rise of a few milliseconds.
#include "gen_synth.h"
#include <algorithm>

using namespace synth;

std::vector<double> SynthPiano(int slot, int frames)
{
    std::vector<double> out(frames, 0.0);
    Rng rng(0x5049414E4Full + std::uint64_t(slot) * 7919);   // same note, same samples, every build
    const double f0 = SlotFrequency(slot);
    const double pos = slot / 47.0;   // 0 at the lowest key, 1 at the highest

    // Stiff strings stretch their overtones; thinner treble strings are stiffer.
    const double inharm = 1e-4 * std::pow(8.0, pos);
    // Two or three strings per note, struck together and tuned a cent or so apart: their slow beat makes
    // the note live. One string leads so the beat never cancels it and the heard pitch stays on the slot.
    const int strings = slot < 10 ? 2 : 3;
    const double spread = 0.7 + 0.5 * rng.Uniform();   // cents
    const double detune2[2] = {0.0, spread}, weight2[2] = {0.58, 0.42};
    const double detune3[3] = {-spread, 0.0, spread}, weight3[3] = {0.22, 0.56, 0.22};
    const double* detune = strings == 2 ? detune2 : detune3;
    const double* weight = strings == 2 ? weight2 : weight3;
    const double hammerPos = 1.0 / (7.6 + 0.8 * rng.Uniform());
    const double brightness = 1100 + 1500 * pos;   // corner of the hammer's roll-off, Hz
    const double slopeExp = 0.75;

    for (int n = 1; n <= 40; ++n) {
        const double fn = n * f0 * std::sqrt((1 + inharm * n * n) / (1 + inharm));
        if (fn >= TopPartial)
            break;
        double a = std::max(0.08, std::abs(std::sin(Pi * n * hammerPos))) / std::pow(n, slopeExp);
        a /= 1 + (fn / brightness) * (fn / brightness);
        a *= fn * fn / (fn * fn + 80.0 * 80.0);   // the soundboard radiates little of the deep bass
        if (fn > 2900) {                           // ease the last partials out instead of a hard edge
            const double t = std::min(1.0, (fn - 2900) / 1000);
            a *= std::cos(0.5 * Pi * t) * std::cos(0.5 * Pi * t);
        }
        // Decay rates: bass rings longer; losses grow with the square of the partial's frequency.
        const double fk = fn / 1000;
        const double after = DbPerSecond(1.5 + 5.0 * pos + 4.0 * fk * fk);
        const double prompt = DbPerSecond(7.0 + 12.0 * pos + 12.0 * fk * fk);
        const double phase = 2 * Pi * rng.Uniform();
        const double promptShare = 0.68 + 0.08 * rng.Uniform();
        const double afterRate = after * (0.9 + 0.2 * rng.Uniform());
        for (int s = 0; s < strings; ++s) {
            DecayingSine ds;
            ds.freq = fn * Cents(detune[s]);
            ds.phase = phase;
            ds.amp = a * weight[s];
            ds.promptShare = promptShare;
            ds.promptRate = prompt;
            ds.afterRate = afterRate;
            AddSine(out, ds);
        }
    }

    // Rise of the string sound: a few milliseconds, quicker in the treble.
    const int rise = int(Rate * (0.004 - 0.002 * pos));
    for (int i = 0; i < rise && i < frames; ++i)
        out[i] *= 0.5 - 0.5 * std::cos(Pi * i / rise);

    // Hammer transient: a short burst of band-limited noise plus a low knock from the frame.
    const double level = Rms(out, 0, Rate / 10);
    Biquad lp1 = Biquad::LowPass(2600, 0.7), lp2 = Biquad::LowPass(2600, 0.7);
    Biquad hp = Biquad::HighPass(150 + 250 * pos, 0.7);
    const double tau = 0.008 - 0.004 * pos;
    const double knockF = 90 + 60 * pos;
    const int burst = std::min(frames, Rate / 20);
    for (int i = 0; i < burst; ++i) {
        const double t = double(i) / Rate;
        const double env = (1 - std::exp(-t / 0.0006)) * std::exp(-t / tau);
        const double noise = lp2.Step(lp1.Step(hp.Step(rng.Signed())));
        const double knock = std::sin(2 * Pi * knockF * t) * (1 - std::exp(-t / 0.001)) * std::exp(-t / 0.012);
        out[i] += level * ((0.9 + 0.8 * pos) * env * noise + 0.35 * knock);
    }
    return out;
}
