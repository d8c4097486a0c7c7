// Cost of mixing one 256-frame period with three voices, against the period's length.
#include "core/sound/Mixer.h"
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

static std::shared_ptr<SoundData> Tone(double f0, double seconds)
{
    const int rate = 8000;
    const int frames = int(seconds * rate);
    auto s = SoundData::Allocate(frames, rate);
    float* x = s->memory.get() + SoundData::Pad;
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        double v = 0;
        for (int k = 1; k <= 6 && k * f0 < 3900; ++k)
            v += std::sin(2 * M_PI * k * f0 * t) * std::exp(-t * k) / k;
        x[i] = float(0.6 * v);
    }
    return s;
}

int main()
{
    const int rate = 48000;
    const int period = 256;
    const double periodUs = 1e6 * period / rate;
    Mixer m;
    std::vector<std::shared_ptr<SoundData>> tones{Tone(261.63, 6.0), Tone(329.63, 6.0), Tone(392.0, 6.0)};
    for (int v = 0; v < Mixer::Voices; ++v)
        m.Start(v, tones[size_t(v)]);
    std::vector<float> out(period);
    for (int i = 0; i < 100; ++i)
        m.Render(out.data(), period, rate);

    const int count = 20000;   // about 107 s of sound
    std::vector<double> us;
    us.reserve(count);
    for (int i = 0; i < count; ++i) {
        if (m.ActiveVoices() < Mixer::Voices)   // keep three voices sounding
            for (int v = 0; v < Mixer::Voices; ++v)
                m.Start(v, tones[size_t(v)]);
        const auto t0 = std::chrono::steady_clock::now();
        m.Render(out.data(), period, rate);
        const auto t1 = std::chrono::steady_clock::now();
        us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
    std::sort(us.begin(), us.end());
    double sum = 0;
    for (double v : us)
        sum += v;
    const double median = us[us.size() / 2], p99 = us[size_t(us.size() * 0.99)];
    std::printf("Mixer, 3 voices, %d frames at %d Hz (period %.0f us): median %.2f us (%.2f%%), p99 %.2f us "
                "(%.2f%%), mean %.2f us (%.2f%%)\n",
                period, rate, periodUs, median, 100 * median / periodUs, p99, 100 * p99 / periodUs, sum / count,
                100 * sum / count / periodUs);
    return 0;
}
