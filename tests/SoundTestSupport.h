#pragma once
// Test signals for the sound tests: WAVE bytes, tones, and simple measurements.
#include "core/sound/Mixer.h"
#include <QByteArray>
#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <vector>

namespace SoundTest {

// A RIFF WAVE file: PCM 16 bit, interleaved frames.
inline QByteArray WaveBytes(const std::vector<qint16>& samples, int rate, int channels = 1)
{
    const int dataBytes = int(samples.size() * 2);
    QByteArray d(44 + dataBytes, 0);
    auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, d.data() + at); };
    auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, d.data() + at); };
    memcpy(d.data(), "RIFF", 4);
    put32(4, quint32(d.size() - 8));
    memcpy(d.data() + 8, "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);
    put16(22, quint16(channels));
    put32(24, quint32(rate));
    put32(28, quint32(rate * channels * 2));
    put16(32, quint16(channels * 2));
    put16(34, 16);
    memcpy(d.data() + 36, "data", 4);
    put32(40, quint32(dataBytes));
    for (size_t i = 0; i < samples.size(); ++i)
        qToLittleEndian(samples[i], d.data() + 44 + 2 * i);
    return d;
}

inline std::vector<qint16> SineSamples(double freq, double amplitude, double seconds, int rate = 8000)
{
    std::vector<qint16> s(size_t(seconds * rate));
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = qint16(std::lround(amplitude * 32767.0 * std::sin(2 * M_PI * freq * double(i) / rate)));
    return s;
}

inline bool WriteSineWave(const QString& path, double freq, double amplitude = 0.5, double seconds = 2.0)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(WaveBytes(SineSamples(freq, amplitude, seconds), 8000)) > 0;
}

// A mono float sound for the mixer, sample i = fn(i).
template <typename Fn>
std::shared_ptr<SoundData> MakeSound(int frames, int rate, Fn fn)
{
    auto s = SoundData::Allocate(frames, rate);
    float* x = s->memory.get() + SoundData::Pad;
    for (int i = 0; i < frames; ++i)
        x[i] = float(fn(i));
    return s;
}

inline std::shared_ptr<SoundData> Sine(double freq, double amplitude, double seconds, int rate = 8000)
{
    return MakeSound(int(seconds * rate), rate,
                     [&](int i) { return amplitude * std::sin(2 * M_PI * freq * double(i) / rate); });
}

// Frequency from upward zero crossings, interpolated between samples.
inline double ZeroCrossingFrequency(const float* x, int n, int rate)
{
    double first = -1, last = -1;
    int count = 0;
    for (int i = 1; i < n; ++i) {
        if (x[i - 1] < 0 && x[i] >= 0) {
            const double t = (i - 1) + double(-x[i - 1]) / double(x[i] - x[i - 1]);
            if (first < 0)
                first = t;
            last = t;
            ++count;
        }
    }
    if (count < 2)
        return 0;
    return (count - 1) * double(rate) / (last - first);
}

// Amplitude of one frequency in a Hann-windowed stretch (Goertzel).
inline double ToneAmplitude(const float* x, int n, int rate, double freq)
{
    const double w = 2 * M_PI * freq / rate;
    const double c = 2 * std::cos(w);
    double s1 = 0, s2 = 0, windowSum = 0;
    for (int i = 0; i < n; ++i) {
        const double hann = 0.5 - 0.5 * std::cos(2 * M_PI * i / (n - 1));
        windowSum += hann;
        const double s0 = x[i] * hann + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double re = s1 - s2 * std::cos(w);
    const double im = s2 * std::sin(w);
    return 2 * std::sqrt(re * re + im * im) / windowSum;
}

// A tiny SoundFont: one preset (bank 0, `program`) whose one zone loops a 441 Hz sine
// recorded as key 69.
inline QByteArray SoundFontBytes(int program)
{
    auto le = [](std::initializer_list<std::pair<int, int>> fields) {   // (value, bytes)
        QByteArray b;
        for (auto [v, n] : fields)
            for (int i = 0; i < n; ++i)
                b += char((quint32(v) >> (8 * i)) & 0xFF);
        return b;
    };
    auto chunk = [&](const char* id, const QByteArray& body) { return QByteArray(id, 4) + le({{int(body.size()), 4}}) + body; };
    auto list = [&](const char* type, const QByteArray& body) { return chunk("LIST", QByteArray(type, 4) + body); };
    auto name = [](const char* s) { QByteArray b(s); b.resize(20, '\0'); return b; };
    const int frames = 4410;
    QByteArray smpl;
    for (int i = 0; i < frames + 46; ++i)
        smpl += le({{i < frames ? int(std::lround(16000 * std::sin(2 * M_PI * i / 100.0))) : 0, 2}});
    const QByteArray info = list("INFO", chunk("ifil", le({{2, 2}, {1, 2}})) + chunk("isng", QByteArray("EMU8000\0", 8)));
    const QByteArray pdta = list(
        "pdta", chunk("phdr", name("Tone") + le({{program, 2}, {0, 2}, {0, 2}, {0, 4}, {0, 4}, {0, 4}}) + name("EOP") +
                                  le({{0, 2}, {0, 2}, {1, 2}, {0, 4}, {0, 4}, {0, 4}})) +
                    chunk("pbag", le({{0, 2}, {0, 2}, {1, 2}, {0, 2}})) + chunk("pmod", QByteArray(10, 0)) +
                    chunk("pgen", le({{41, 2}, {0, 2}, {0, 2}, {0, 2}})) +
                    chunk("inst", name("Tone") + le({{0, 2}}) + name("EOI") + le({{1, 2}})) +
                    chunk("ibag", le({{0, 2}, {0, 2}, {2, 2}, {0, 2}})) + chunk("imod", QByteArray(10, 0)) +
                    chunk("igen", le({{54, 2}, {1, 2}, {53, 2}, {0, 2}, {0, 2}, {0, 2}})) +
                    chunk("shdr", name("Tone") +
                                      le({{0, 4}, {frames, 4}, {0, 4}, {4400, 4}, {44100, 4}, {69, 1}, {0, 1}, {0, 2}, {1, 2}}) +
                                      name("EOS") + QByteArray(26, 0)));
    return chunk("RIFF", QByteArray("sfbk", 4) + info + list("sdta", chunk("smpl", smpl)) + pdta);
}

inline double Db(double ratio)
{
    return 20 * std::log10(std::max(ratio, 1e-12));
}

// The largest magnitude of a signal.
inline float Peak(const std::vector<float>& x)
{
    float p = 0;
    for (float v : x)
        p = std::max(p, std::fabs(v));
    return p;
}

} // namespace SoundTest
