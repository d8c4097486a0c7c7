// Writes the 192 note samples: four voice sets of 48 semitone slots, each a PCM mono 8000 Hz 16-bit WAVE.
#include "gen.h"
#include "gen_synth.h"
#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace synth;

namespace {

struct SetShape {
    int fileBytes;      // whole file, 44-byte header included
    double rmsTarget;   // level of the first half second, as a share of full scale
    double fadeSeconds;
    std::vector<double> (*voice)(int slot, int frames);
};

// Index = voice set. Sizes are fixed: the program and its users know the samples by these lengths.
const SetShape Sets[5] = {
    {0, 0, 0, nullptr},
    {45734, 0.10, 0.05, SynthElectricPiano},
    {42208, 0.10, 0.05, SynthMusicBox},
    {96174, 0.10, 0.08, SynthMellow},
    {96918, 0.11, 0.08, SynthPiano},
};

constexpr double PeakLimit = 0.7;   // share of full scale; leaves headroom for the players' mixing

QByteArray Wave(const std::vector<qint16>& pcm)
{
    const int dataBytes = int(pcm.size()) * 2;
    QByteArray d(44 + dataBytes, 0);
    auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, d.data() + at); };
    auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, d.data() + at); };
    memcpy(d.data(), "RIFF", 4);
    put32(4, d.size() - 8);
    memcpy(d.data() + 8, "WAVEfmt ", 8);
    put32(16, 16);            // fmt chunk size
    put16(20, 1);             // PCM
    put16(22, 1);             // mono
    put32(24, Rate);
    put32(28, Rate * 2);      // bytes per second
    put16(32, 2);             // bytes per frame
    put16(34, 16);            // bits per sample
    memcpy(d.data() + 36, "data", 4);
    put32(40, dataBytes);
    for (size_t i = 0; i < pcm.size(); ++i)
        qToLittleEndian(quint16(pcm[i]), d.data() + 44 + 2 * i);
    return d;
}

// Even loudness across the keyboard, headroom, and a click-free end that lands on exact zero.
std::vector<qint16> Finish(std::vector<double> x, const SetShape& shape)
{
    const double rms = Rms(x, 0, Rate / 2);
    double gain = rms > 0 ? shape.rmsTarget / rms : 0.0;
    double peak = 0;
    for (double v : x)
        peak = std::max(peak, std::abs(v));
    if (peak * gain > PeakLimit)
        gain = PeakLimit / peak;
    const int n = int(x.size());
    const int fade = std::min(n, int(Rate * shape.fadeSeconds));
    for (int i = 0; i < fade; ++i) {
        const double c = std::cos(0.5 * Pi * (i + 1) / fade);   // reaches 0 on the last sample
        x[n - fade + i] *= c * c;
    }
    std::vector<qint16> pcm(n);
    for (int i = 0; i < n; ++i)
        pcm[i] = qint16(std::lround(std::clamp(x[i] * gain * 32767.0, -32767.0, 32767.0)));
    return pcm;
}

} // namespace

bool GenerateSounds(const QString& outDir, const QVector<VoiceEntry>& voices)
{
    for (const auto& v : voices) {
        if (v.set < 1 || v.set > 4 || v.slot < 0 || v.slot > 47) {
            std::fprintf(stderr, "tavogen: no voice set %d slot %d\n", v.set, v.slot);
            return false;
        }
        const SetShape& shape = Sets[v.set];
        const int frames = (shape.fileBytes - 44) / 2;
        const QByteArray bytes = Wave(Finish(shape.voice(v.slot, frames), shape));
        QFile f(outDir + "/wave/" + v.name + ".wav");
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "tavogen: cannot write %s\n", qPrintable(f.fileName()));
            return false;
        }
    }
    return true;
}
