// The sampled voice: its render cost against one 256-frame period at 48 kHz (the mixer alone
// beside it), the delay from a MIDI note-on to its first sound (the built-in voice beside it),
// and the PC key to built-in voice time with and without the voice switch in the path.
#include "BenchSupport.h"
#include "core/practice/NoteTap.h"
#include "core/sound/MediaPlayer.h"
#include "core/sound/SampledVoice.h"
#include "core/sound/VoiceSwitch.h"
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
constexpr int Rate = 48000;
constexpr int Period = 256;

double At(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(q * double(v.size())))];
}

double Us(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::micro>(b - a).count(); }

// This thread's CPU time: other programs on a shared machine do not count.
double CpuUs()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

struct Times {
    std::vector<double> wall, cpu;
    void Print(const char* what, double reference = 0) const
    {
        std::printf("%-48s wall median %7.1f us  p99 %7.1f us | cpu median %7.1f us  p99 %7.1f us", what, At(wall, 0.5),
                    At(wall, 0.99), At(cpu, 0.5), At(cpu, 0.99));
        if (reference > 0)
            std::printf("  (cpu p99 %.1f %% of %.0f us)", 100 * At(cpu, 0.99) / reference, reference);
        std::printf("\n");
    }
};

// Frames from the start of the first render after `press` to its first sound.
int FramesToSound(Mixer& m, const std::function<void()>& press)
{
    std::vector<float> out(Period);
    for (int i = 0; i < 400; ++i)
        m.Render(out.data(), Period, Rate);   // let what played before die away
    press();
    for (int p = 0; p < 8; ++p) {
        m.Render(out.data(), Period, Rate);
        for (int i = 0; i < Period; ++i)
            if (out[size_t(i)] != 0.0f)
                return p * Period + i;
    }
    return -1;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temp;
    const QString font = SampledVoice::FindSoundFont({});
    if (font.isEmpty()) {
        std::printf("no SoundFont found: install fluid-soundfont-gm\n");
        return 1;
    }
    NotePlayer player;
    player.Audio().SetDeviceAllowed(false);   // this program renders the mixer itself
    PrepareSounds(player, temp.path() + QLatin1Char('/'));
    Mixer& mixer = player.Audio().GetMixer();
    SampledVoice sampled(mixer);
    QEventLoop wait;
    QObject::connect(&sampled, &SampledVoice::loaded, &wait, &QEventLoop::quit);
    QTimer::singleShot(60000, &wait, &QEventLoop::quit);
    const auto l0 = Clock::now();
    sampled.Load(font, Rate);
    wait.exec();
    if (!sampled.Ready()) {
        std::printf("%s did not load\n", qPrintable(font));
        return 1;
    }
    std::printf("%s loaded on the worker in %.0f ms\n", qPrintable(font), Us(l0, Clock::now()) / 1000);

    // 1. Render cost of one period, 10 held notes, against the mixer without the source.
    std::vector<float> out(Period);
    float quietest = 1;
    auto renderCost = [&](int periods) {
        Times t;
        for (int i = 0; i < periods; ++i) {
            if (i % 1000 == 0)
                for (int k = 0; k < 10; ++k)
                    sampled.NoteOn(48 + 3 * k, 100);   // struck again before they fade
            const double c0 = CpuUs();
            const auto t0 = Clock::now();
            mixer.Render(out.data(), Period, Rate);
            t.wall.push_back(Us(t0, Clock::now()));
            t.cpu.push_back(CpuUs() - c0);
            float peak = 0;
            for (float v : out)
                peak = std::max(peak, std::fabs(v));
            if (i % 1000 > 10)
                quietest = std::min(quietest, peak);
        }
        return t;
    };
    const double periodUs = 1e6 * Period / Rate;
    renderCost(4000).Print("render 256 frames, 10 held notes", periodUs);
    std::printf("  (quietest period while held: peak %.3f)\n", quietest);
    mixer.SetSource(nullptr);
    renderCost(4000).Print("render 256 frames, the mixer alone", periodUs);
    mixer.SetSource(&sampled);
    sampled.Pedal(false);
    for (int k = 0; k < 128; ++k)
        sampled.NoteOff(k);

    // 2. MIDI note-on (as it leaves the UI thread's queue) to the first sound in the output.
    VoiceSwitch voice(player, sampled);
    NoteTap tap(voice);
    std::vector<double> sampledFrames, builtinFrames;
    for (int i = 0; i < 50; ++i) {
        voice.SetSampled(true);
        sampledFrames.push_back(FramesToSound(mixer, [&] {
            tap.PressKey(60, 100);
            tap.ReleaseKey(60);
        }));
        voice.SetSampled(false);
        builtinFrames.push_back(FramesToSound(mixer, [&] { tap.PressKey(60, 100); }));
    }
    std::printf("MIDI note-on to first sound, sampled voice:  median %4.0f frames  max %4.0f (one period: %d)\n",
                At(sampledFrames, 0.5), At(sampledFrames, 1.0), Period);
    std::printf("MIDI note-on to first sound, built-in voice: median %4.0f frames  max %4.0f\n", At(builtinFrames, 0.5),
                At(builtinFrames, 1.0));

    // 3. PC key to the built-in voice's note live: the player alone, then through the voice
    //    switch with the sampled voice loaded but not chosen; interleaved, same run.
    voice.SetSampled(false);
    NoteTap direct(player);
    const QStringList notes{"c1", "d1", "e1", "f1", "g1", "a1", "b1"};
    auto plays = [&] { return player.Player(1)->PlayCount() + player.Player(2)->PlayCount() + player.Player(3)->PlayCount(); };
    Times before, after;
    for (int i = 0; i < 4000; ++i) {
        INoteInput& path = i % 2 ? static_cast<INoteInput&>(tap) : direct;
        const int n = plays();
        const double c0 = CpuUs();
        const auto t0 = Clock::now();
        path.PressNote(notes[i % notes.size()]);
        const auto t1 = Clock::now();
        const double c1 = CpuUs();
        if (plays() != n + 1)
            return std::printf("a press started no note\n"), 1;
        Times& t = i % 2 ? after : before;
        t.wall.push_back(Us(t0, t1));
        t.cpu.push_back(c1 - c0);
        mixer.Render(out.data(), Period, Rate);
        mixer.Collect();
    }
    before.Print("PC key -> built-in voice, before (player)");
    after.Print("PC key -> built-in voice, after (voice switch)");
    return 0;
}
