// Cost of PlayNote on the UI thread: read the file, decode, convert, hand to the mixer.
#include "app/Platform.h"
#include "app/PubDef.h"
#include "sound/AudioOutput.h"
#include "sound/KeyBoard_1.h"
#include "sound/Mixer.h"
#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir tmp;
    qputenv("TMPDIR", tmp.path().toLocal8Bit());
    QApplication app(argc, argv);

    TempDir = Platform::UserTempDir();
    SoundNames.clear();
    FillVoiceTables();
    ListSoundNames();
    ExtractSounds();

    TFrmKeyBoard_1 kb;
    const char* names[22] = {"F", "G", "A", "B", "c", "d", "e", "f", "g", "a", "b",
                             "c1", "d1", "e1", "f1", "g1", "a1", "b1", "c2", "d2", "e2", "f2"};
    QStringList notes;
    for (const char* n : names)
        notes << QString::fromLatin1(n);

    for (int i = 0; i < 50; ++i)   // warm the file cache and the device
        kb.PlayNote(notes[i % notes.size()], CurrentVoice);

    const int count = 1000;
    std::vector<double> us;
    us.reserve(count);
    for (int i = 0; i < count; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        kb.PlayNote(notes[(i * 7) % notes.size()], CurrentVoice);
        const auto t1 = std::chrono::steady_clock::now();
        us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
    std::sort(us.begin(), us.end());
    double sum = 0;
    for (double v : us)
        sum += v;
    std::printf("PlayNote over %d notes: median %.1f us, p99 %.1f us, max %.1f us, mean %.1f us\n", count,
                us[us.size() / 2], us[size_t(us.size() * 0.99)], us.back(), sum / count);
    std::printf("audio device: %s, %d Hz, %d frames per period\n",
                AudioOutput::IsOpen() ? "open" : "none (silent)", AudioOutput::DeviceRate(),
                AudioOutput::DeviceFrames());
    return 0;
}
