// Cost of PlayNote on the UI thread: read the file, decode, convert, hand to the mixer.
#include "BenchSupport.h"
#include "core/platform/Platform.h"
#include "core/sound/AudioOutput.h"
#include "core/sound/Mixer.h"
#include "core/sound/NotePlayer.h"
#include "core/sound/SoundFiles.h"
#include "core/sound/Voices.h"
#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QTemporaryDir tmp;
    qputenv("TMPDIR", tmp.path().toLocal8Bit());
    QCoreApplication app(argc, argv);

    NotePlayer player;
    PrepareSounds(player, Platform::UserTempDir());
    const char* names[22] = {"F", "G", "A", "B", "c", "d", "e", "f", "g", "a", "b",
                             "c1", "d1", "e1", "f1", "g1", "a1", "b1", "c2", "d2", "e2", "f2"};
    QStringList notes;
    for (const char* n : names)
        notes << QString::fromLatin1(n);

    for (int i = 0; i < 50; ++i)   // warm the file cache and the device
        player.PlayNote(notes[i % notes.size()], player.Voice());

    const int count = 1000;
    // Wall time is what the user waits; CPU time (of the process) shows the cost apart
    // from the time the thread spends preempted on a busy machine.
    std::vector<double> us, cpu;
    us.reserve(count);
    cpu.reserve(count);
    for (int i = 0; i < count; ++i) {
        const std::clock_t c0 = std::clock();
        const auto t0 = std::chrono::steady_clock::now();
        player.PlayNote(notes[(i * 7) % notes.size()], player.Voice());
        const auto t1 = std::chrono::steady_clock::now();
        const std::clock_t c1 = std::clock();
        us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        cpu.push_back(1e6 * double(c1 - c0) / CLOCKS_PER_SEC);
    }
    auto report = [&](const char* what, std::vector<double>& v) {
        std::sort(v.begin(), v.end());
        double sum = 0;
        for (double x : v)
            sum += x;
        std::printf("PlayNote %s over %d notes: median %.1f us, p99 %.1f us, max %.1f us, mean %.1f us\n", what,
                    count, v[v.size() / 2], v[size_t(v.size() * 0.99)], v.back(), sum / count);
    };
    report("wall time", us);
    report("CPU time", cpu);
    std::printf("audio device: %s, %d Hz, %d frames per period\n",
                player.Audio().IsOpen() ? "open" : "none (silent)", player.Audio().DeviceRate(),
                player.Audio().DeviceFrames());
    return 0;
}
