// The embedded note samples: complete WAVE files of the right sizes, at their slot pitch, clean and even.
#include "CoreTestSupport.h"
#include <QRegularExpression>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace {

constexpr int Rate = 8000;
constexpr int SetBytes[5] = {0, 45734, 42208, 96174, 96918};
constexpr double Pi = 3.14159265358979323846;

struct Voice {
    int set = 0;
    int slot = 0;
    QString name;
};

// The one table of sample names, as the build reads it.
QVector<Voice> ReadVoices()
{
    QVector<Voice> v;
    QFile f(QStringLiteral(TAVO_SOURCE_DIR "/assets/voices.txt"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return v;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QStringList p = line.split(' ', Qt::SkipEmptyParts);
        if (p.size() == 3)
            v.push_back({p[0].toInt(), p[1].toInt(), p[2]});
    }
    return v;
}

QString NameAt(int set, int slot)
{
    static const QVector<Voice> voices = ReadVoices();
    for (const auto& v : voices)
        if (v.set == set && v.slot == slot)
            return v.name;
    return {};
}

QByteArray Resource(const QString& name)
{
    QFile f(QStringLiteral(":/wave/") + name + QStringLiteral(".wav"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::vector<double> Pcm(const QByteArray& wav)
{
    std::vector<double> x;
    for (qsizetype i = 44; i + 1 < wav.size(); i += 2)
        x.push_back(qFromLittleEndian<qint16>(wav.constData() + i));
    return x;
}

std::vector<double> SamplesOf(int set, int slot) { return Pcm(Resource(NameAt(set, slot))); }

double SlotHz(int slot) { return 440.0 * std::pow(2.0, (slot - 33) / 12.0); }

double Rms(const std::vector<double>& x, int from, int count)
{
    double e = 0;
    for (int i = from; i < from + count; ++i)
        e += x[i] * x[i];
    return std::sqrt(e / count);
}

// Period from the normalised square difference of the signal with itself: the first strong peak, so an
// overtone-rich tone does not slip to an octave. Returns Hz, 0 when no period is found.
double CoarsePitch(const std::vector<double>& x, int from, int len)
{
    const int maxLag = Rate / 50;
    if (from + len + maxLag > int(x.size()))
        return 0;
    std::vector<double> n(maxLag + 1);
    for (int tau = 0; tau <= maxLag; ++tau) {
        double r = 0, m = 0;
        for (int i = from; i < from + len; ++i) {
            r += x[i] * x[i + tau];
            m += x[i] * x[i] + x[i + tau] * x[i + tau];
        }
        n[tau] = m > 0 ? 2 * r / m : 0;
    }
    // One peak per positive stretch after the first dip below zero.
    std::vector<int> peaks;
    int tau = 1;
    while (tau <= maxLag && n[tau] > 0)
        ++tau;
    while (tau <= maxLag) {
        while (tau <= maxLag && n[tau] <= 0)
            ++tau;
        int best = -1;
        while (tau <= maxLag && n[tau] > 0) {
            if (best < 0 || n[tau] > n[best])
                best = tau;
            ++tau;
        }
        if (best > 0 && best < maxLag)
            peaks.push_back(best);
    }
    if (peaks.empty())
        return 0;
    double top = 0;
    for (int p : peaks)
        top = std::max(top, n[p]);
    for (int p : peaks) {
        if (n[p] >= 0.9 * top) {
            const double a = n[p - 1], b = n[p], c = n[p + 1];
            const double d = a - 2 * b + c;
            const double shift = d != 0 ? 0.5 * (a - c) / d : 0;
            return Rate / (p + shift);
        }
    }
    return 0;
}

// Hann-windowed spectral power of x[from, from+len) at frequency f.
double Power(const std::vector<double>& x, int from, int len, double f)
{
    const std::complex<double> step = std::polar(1.0, -2 * Pi * f / Rate);
    std::complex<double> rot(1, 0), acc(0, 0);
    for (int i = 0; i < len; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2 * Pi * i / (len - 1));
        acc += w * x[from + i] * rot;
        rot *= step;
        if ((i & 1023) == 1023)
            rot = std::polar(1.0, -2 * Pi * f * (i + 1) / Rate);
    }
    return std::norm(acc);
}

// Fine search for the spectral peak within 60 cents of guess, interpolated between grid points.
double FinePitch(const std::vector<double>& x, int from, int len, double guess)
{
    const double lo = guess * std::pow(2.0, -60 / 1200.0), hi = guess * std::pow(2.0, 60 / 1200.0);
    const double step = 0.125 * Rate / len;   // an eighth of a bin
    std::vector<double> f, p;
    for (double g = lo; g <= hi; g += step) {
        f.push_back(g);
        p.push_back(std::log(Power(x, from, len, g) + 1e-30));
    }
    const int best = int(std::max_element(p.begin(), p.end()) - p.begin());
    if (best == 0 || best == int(p.size()) - 1)
        return f[best];   // no peak inside the range: report the edge, far off the mark
    const double d = p[best - 1] - 2 * p[best] + p[best + 1];
    return f[best] + (d != 0 ? 0.5 * (p[best - 1] - p[best + 1]) / d * step : 0);
}

struct PitchReading {
    double coarseCents = 1e9;
    double fineCents = 1e9;
};

// Measured over a steady second after the strike.
PitchReading MeasurePitch(const std::vector<double>& x, double expected)
{
    PitchReading r;
    const int from = Rate / 10;
    const double coarse = CoarsePitch(x, from, Rate / 4);
    if (coarse <= 0)
        return r;
    r.coarseCents = 1200 * std::log2(coarse / expected);
    r.fineCents = 1200 * std::log2(FinePitch(x, from, Rate, coarse) / expected);
    return r;
}

// Share of the signal's energy above 3.85 kHz (a steep high-pass: four second-order sections).
double TopBandShare(const std::vector<double>& x)
{
    const double w = 2 * Pi * 3850.0 / Rate, c = std::cos(w), al = std::sin(w) / (2 * 0.7071), a0 = 1 + al;
    const double b0 = (1 + c) / 2 / a0, b1 = -(1 + c) / a0, a1 = -2 * c / a0, a2 = (1 - al) / a0;
    std::vector<double> y = x;
    for (int stage = 0; stage < 4; ++stage) {
        double z1 = 0, z2 = 0;
        for (double& v : y) {
            const double out = b0 * v + z1;
            z1 = b1 * v - a1 * out + z2;
            z2 = b0 * v - a2 * out;
            v = out;
        }
    }
    double ex = 0, ey = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        ex += x[i] * x[i];
        ey += y[i] * y[i];
    }
    return ex > 0 ? ey / ex : 1.0;
}

double Peak(const std::vector<double>& x, int from, int to)
{
    double p = 0;
    for (int i = from; i < to; ++i)
        p = std::max(p, std::abs(x[i]));
    return p;
}

std::vector<double> Tone(double hz, int frames, double amp)
{
    std::vector<double> x(frames);
    for (int i = 0; i < frames; ++i)
        x[i] = amp * std::sin(2 * Pi * hz * i / Rate) * std::exp(-1.5 * i / Rate);
    return x;
}

} // namespace

class TestSamples : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The measuring tools themselves must see the faults they are meant to catch.
    void measuresSeeKnownFaults()
    {
        const auto sharp = Tone(SlotHz(5) * std::pow(2.0, 7 / 1200.0), 20000, 8000);
        const PitchReading r = MeasurePitch(sharp, SlotHz(5));
        QVERIFY2(std::abs(r.fineCents - 7) < 0.3, qPrintable(QString::number(r.fineCents)));
        // A tone a semitone off, and one an octave off, are far outside the tolerance.
        QVERIFY(std::abs(MeasurePitch(Tone(SlotHz(25), 20000, 8000), SlotHz(24)).fineCents) > 50);
        QVERIFY(std::abs(MeasurePitch(Tone(SlotHz(36), 20000, 8000), SlotHz(24)).coarseCents) > 1000);
        auto clean = Tone(SlotHz(24), 20000, 8000);
        QVERIFY(TopBandShare(clean) < 1e-6);
        auto buzz = clean;
        for (int i = 0; i < int(buzz.size()); ++i)
            buzz[i] += 80 * std::sin(2 * Pi * 3950.0 * i / Rate);
        QVERIFY(TopBandShare(buzz) > 1e-4);
    }

    void tableNamesEverySlotOnce()
    {
        const QVector<Voice> voices = ReadVoices();
        QCOMPARE(voices.size(), 192);
        QSet<QString> names;
        int seen[5][48] = {};
        const QRegularExpression form(QStringLiteral("^VOIC_[0-9]{9}$"));
        for (const auto& v : voices) {
            QVERIFY2(v.set >= 1 && v.set <= 4 && v.slot >= 0 && v.slot < 48, qPrintable(v.name));
            QVERIFY2(form.match(v.name).hasMatch(), qPrintable(v.name));
            ++seen[v.set][v.slot];
            names.insert(v.name);
        }
        QCOMPARE(names.size(), 192);
        for (int s = 1; s <= 4; ++s)
            for (int k = 0; k < 48; ++k)
                QCOMPARE(seen[s][k], 1);
    }

    void tellingNamesAtTheirSlots_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("name");
        QTest::newRow("set 1 slot 0") << 1 << 0 << "VOIC_957244428";
        QTest::newRow("set 2 slot 0") << 2 << 0 << "VOIC_504231545";
        QTest::newRow("set 3 slot 0") << 3 << 0 << "VOIC_361609876";
        QTest::newRow("set 4 slot 0") << 4 << 0 << "VOIC_188727228";
        QTest::newRow("set 4 slot 24 c1") << 4 << 24 << "VOIC_487641321";
        QTest::newRow("set 4 slot 33 a1") << 4 << 33 << "VOIC_070776465";
    }
    void tellingNamesAtTheirSlots()
    {
        QFETCH(int, set);
        QFETCH(int, slot);
        QFETCH(QString, name);
        QCOMPARE(NameAt(set, slot), name);
        QCOMPARE(Resource(name).size(), SetBytes[set]);
    }

    void everySampleIsACompleteWave()
    {
        for (const auto& v : ReadVoices()) {
            const QByteArray d = Resource(v.name);
            const char* at = d.constData();
            QVERIFY2(d.size() == SetBytes[v.set], qPrintable(v.name));
            QVERIFY2(d.startsWith("RIFF") && d.mid(8, 8) == "WAVEfmt " && d.mid(36, 4) == "data", qPrintable(v.name));
            QCOMPARE(qFromLittleEndian<quint32>(at + 4), quint32(d.size() - 8));
            QCOMPARE(qFromLittleEndian<quint32>(at + 16), 16u);      // plain PCM format chunk
            QCOMPARE(qFromLittleEndian<quint16>(at + 20), quint16(1));
            QCOMPARE(qFromLittleEndian<quint16>(at + 22), quint16(1));
            QCOMPARE(qFromLittleEndian<quint32>(at + 24), 8000u);
            QCOMPARE(qFromLittleEndian<quint32>(at + 28), 16000u);
            QCOMPARE(qFromLittleEndian<quint16>(at + 32), quint16(2));
            QCOMPARE(qFromLittleEndian<quint16>(at + 34), quint16(16));
            QCOMPARE(qFromLittleEndian<quint32>(at + 40), quint32(d.size() - 44));
        }
    }

    // Every slot of every set is its own tone, k semitones above the set's lowest C (no octave copies).
    void sampleSoundsAtItsSlot_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("slot");
        for (int set : {4, 1, 2, 3})
            for (int slot = 0; slot < 48; ++slot)
                QTest::addRow("set %d slot %d", set, slot) << set << slot;
    }
    void sampleSoundsAtItsSlot()
    {
        QFETCH(int, set);
        QFETCH(int, slot);
        const PitchReading r = MeasurePitch(SamplesOf(set, slot), SlotHz(slot));
        qInfo("%.2f Hz, off by %+.3f cents", SlotHz(slot), r.fineCents);
        QVERIFY2(std::abs(r.coarseCents) < 50, qPrintable(QString::number(r.coarseCents)));
        QVERIFY2(std::abs(r.fineCents) < 5, qPrintable(QString::number(r.fineCents)));
    }

    void noClippingNoClicksAndADecay()
    {
        for (const auto& v : ReadVoices()) {
            const auto x = SamplesOf(v.set, v.slot);
            const int n = int(x.size());
            const double peak = Peak(x, 0, n);
            const QByteArray what = QStringLiteral("%1 (set %2 slot %3)").arg(v.name).arg(v.set).arg(v.slot).toUtf8();
            QVERIFY2(peak < 32767 * 0.98, what);
            QVERIFY2(peak > 3000, what);                                    // a real note, not near-silence
            QVERIFY2(std::abs(x.front()) <= 1 && std::abs(x.back()) <= 1, what);
            QVERIFY2(Peak(x, 0, 4) < 0.25 * peak, what);                    // rises from zero, no step
            QVERIFY2(Peak(x, n - Rate / 200, n) < 0.01 * peak, what);       // fades out, no cut
            const int half = Rate / 2;
            const double early = Rms(x, 0, half), middle = Rms(x, n / 2 - half / 2, half),
                         late = Rms(x, n - half - Rate / 10, half);
            QVERIFY2(early > middle && middle > late && early > 3 * late, what);
        }
    }

    void playedVoiceHasEvenLoudness()
    {
        double lo = 1e9, hi = 0;
        int loSlot = -1, hiSlot = -1;
        for (int slot = 5; slot <= 41; ++slot) {
            const double rms = Rms(SamplesOf(4, slot), 0, Rate / 2);
            if (rms < lo) { lo = rms; loSlot = slot; }
            if (rms > hi) { hi = rms; hiSlot = slot; }
        }
        qInfo("set 4 loudness (RMS of the first 0.5 s): %.0f at slot %d to %.0f at slot %d, ratio %.3f",
              lo, loSlot, hi, hiSlot, hi / lo);
        QVERIFY(lo > 1000);
        QVERIFY2(hi / lo < 1.3, qPrintable(QString::number(hi / lo)));
    }

    void nothingNearTheTopOfTheBand()
    {
        double worst = 0;
        QString worstName;
        for (const auto& v : ReadVoices()) {
            const double share = TopBandShare(SamplesOf(v.set, v.slot));
            if (share > worst) { worst = share; worstName = v.name; }
        }
        qInfo("largest share of energy above 3.85 kHz: %.2e (%s)", worst, qPrintable(worstName));
        QVERIFY2(worst < 1e-5, qPrintable(QString::number(worst)));
    }
};

TAVO_CORE_TEST_MAIN(TestSamples)
#include "test_samples.moc"
