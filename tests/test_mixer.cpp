// The mixer rendered offline: pitch, interpolation quality, level safety, cut-offs,
// and the hand-over of sounds between the threads.
#include "SoundTestSupport.h"
#include "CoreTestSupport.h"
#include "core/sound/Mixer.h"
#include <algorithm>
#include <atomic>
#include <random>
#include <thread>

using namespace SoundTest;

namespace {

std::vector<float> RenderFor(Mixer& m, int frames, int rate, int period = 256)
{
    std::vector<float> out(static_cast<size_t>(frames));
    for (int done = 0; done < frames; done += period)
        m.Render(out.data() + done, std::min(period, frames - done), rate);
    return out;
}

} // namespace

class TestMixer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // ---- Pitch and interpolation ----
    void pitchIsKeptAtEveryDeviceRate_data()
    {
        QTest::addColumn<double>("freq");
        QTest::addColumn<int>("rate");
        for (int rate : {48000, 44100, 96000, 22050})
            for (double f : {65.41, 440.0, 1396.9})
                QTest::addRow("%g Hz at %d", f, rate) << f << rate;
    }
    void pitchIsKeptAtEveryDeviceRate()
    {
        QFETCH(double, freq);
        QFETCH(int, rate);
        Mixer m;
        m.Start(0, Sine(freq, 0.5, 2.0));
        const auto out = RenderFor(m, rate, rate);
        // Skip the onset, measure over the steady part.
        const double got = ZeroCrossingFrequency(out.data() + rate / 10, rate * 8 / 10, rate);
        QVERIFY2(std::abs(got - freq) < freq * 2e-4, qPrintable(QString::number(got)));
    }

    void imagesOfTheEightKilohertzSamplesAreSuppressed_data()
    {
        QTest::addColumn<double>("tone");
        QTest::addColumn<double>("image");
        QTest::newRow("1 kHz, image at 7 kHz") << 1000.0 << 7000.0;
        QTest::newRow("1 kHz, image at 9 kHz") << 1000.0 << 9000.0;
        QTest::newRow("3 kHz, image at 5 kHz") << 3000.0 << 5000.0;
        QTest::newRow("2 kHz, image at 6 kHz") << 2000.0 << 6000.0;
    }
    void imagesOfTheEightKilohertzSamplesAreSuppressed()
    {
        QFETCH(double, tone);
        QFETCH(double, image);
        const int rate = 48000;
        Mixer m;
        m.Start(0, Sine(tone, 0.5, 2.0));
        const auto out = RenderFor(m, rate, rate);
        const float* x = out.data() + rate / 4;
        const int n = rate / 2;
        const double wanted = ToneAmplitude(x, n, rate, tone);
        const double unwanted = ToneAmplitude(x, n, rate, image);
        QVERIFY(wanted > 0.1);
        // Linear interpolation leaves these images around -13 to -25 dB.
        QVERIFY2(Db(unwanted / wanted) < -60, qPrintable(QString::number(Db(unwanted / wanted))));
    }

    void passBandIsFlat()
    {
        const int rate = 48000;
        QList<double> levels;
        for (double f : {200.0, 1000.0, 2000.0, 2800.0}) {
            Mixer m;
            m.Start(0, Sine(f, 0.5, 1.0));
            const auto out = RenderFor(m, rate / 2, rate);
            levels << ToneAmplitude(out.data() + rate / 8, rate / 4, rate, f);
        }
        for (double l : levels)
            QVERIFY2(std::abs(Db(l / levels[0])) < 1.0, qPrintable(QString::number(Db(l / levels[0]))));
        QCOMPARE_GT(levels[0], 0.5 * Mixer::VoiceGain * 0.9);
    }

    // ---- Level safety ----
    void loudOverlappingNotesStayInRangeWithoutWrapping_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::newRow("in-phase sines") << QStringLiteral("sine");
        QTest::newRow("full-scale squares") << QStringLiteral("square");
    }
    void loudOverlappingNotesStayInRangeWithoutWrapping()
    {
        QFETCH(QString, shape);
        const int rate = 48000;
        const bool square = shape == QLatin1String("square");
        auto wave = [&](double t) {
            const double s = std::sin(2 * M_PI * 220.0 * t);
            return square ? (s >= 0 ? 1.0 : -1.0) : s;
        };
        auto sound = MakeSound(16000, 8000, [&](int i) { return wave(i / 8000.0); });

        Mixer single;
        single.Start(0, sound);
        const auto one = RenderFor(single, rate, rate);
        float onePeak = 0;
        for (float y : one)
            onePeak = std::max(onePeak, std::abs(y));

        Mixer m;
        for (int v = 0; v < Mixer::Voices; ++v)
            m.Start(v, sound);
        const auto out = RenderFor(m, rate, rate);
        float peak = 0;
        for (int i = 0; i < rate; ++i) {
            const float y = out[size_t(i)];
            QVERIFY2(std::isfinite(y) && std::abs(y) <= 1.0f, qPrintable(QString::number(y)));
            peak = std::max(peak, std::abs(y));
            // No wrap-around: where the notes swing clearly one way, so does the mix.
            const double ref = std::sin(2 * M_PI * 220.0 * i / rate);
            if (std::abs(ref) > 0.5 && i > 200)
                QVERIFY2((y > 0) == (ref > 0), qPrintable(QStringLiteral("frame %1").arg(i)));
        }
        // Limited, but still louder than one note alone.
        QCOMPARE_GT(peak, onePeak);
        QCOMPARE_LT(peak, 1.0f);
    }

    void quietNotesPassTheLimiterUntouched()
    {
        const int rate = 48000;
        Mixer m;
        m.Start(0, Sine(440, 0.4, 1.0));
        const auto out = RenderFor(m, rate / 2, rate);
        const double level = ToneAmplitude(out.data() + rate / 8, rate / 4, rate, 440);
        QVERIFY2(std::abs(level - 0.4 * Mixer::VoiceGain) < 0.01, qPrintable(QString::number(level)));
    }

    // ---- Cut-off and stop ----
    void reusedVoiceIsCutWithAShortFade_data()
    {
        QTest::addColumn<bool>("byStop");
        QTest::newRow("a new sound on the voice") << false;
        QTest::newRow("stop") << true;
    }
    void reusedVoiceIsCutWithAShortFade()
    {
        QFETCH(bool, byStop);
        const int rate = 48000;
        Mixer m;
        auto steady = MakeSound(16000, 8000, [](int) { return 1.0; });
        m.Start(0, steady);
        const auto before = RenderFor(m, rate / 10, rate);
        QVERIFY(std::abs(before.back() - Mixer::VoiceGain) < 1e-3);

        if (byStop)
            m.Stop(0);
        else
            m.Start(0, MakeSound(16000, 8000, [](int) { return 0.0; }));
        const auto after = RenderFor(m, rate / 10, rate);
        const int fade = int(rate * Mixer::CutFadeSeconds);
        // It falls smoothly: no step bigger than a fraction of the level...
        float prev = before.back();
        for (int i = 0; i < fade + 10; ++i) {
            QVERIFY2(std::abs(after[size_t(i)] - prev) < 0.01f, qPrintable(QStringLiteral("frame %1").arg(i)));
            prev = after[size_t(i)];
        }
        // ...is still sounding half way through the fade, and is gone after it.
        QCOMPARE_GT(after[size_t(fade / 2)], 0.15f);
        for (size_t i = size_t(fade + 1); i < after.size(); ++i)
            QCOMPARE(after[i], 0.0f);
        QCOMPARE(m.ActiveVoices(), byStop ? 0 : 1);
    }

    void otherVoicesRingOnWhenOneIsCut()
    {
        const int rate = 48000;
        Mixer m;
        m.Start(0, Sine(440, 0.3, 2.0));
        m.Start(1, Sine(550, 0.3, 2.0));
        m.Start(2, Sine(660, 0.3, 2.0));
        RenderFor(m, rate / 10, rate);
        QCOMPARE(m.ActiveVoices(), 3);
        m.Start(0, Sine(880, 0.3, 2.0));
        const auto out = RenderFor(m, rate / 2, rate);
        const float* x = out.data() + rate / 10;
        const int n = rate / 4;
        QVERIFY(ToneAmplitude(x, n, rate, 440) < 1e-4);
        for (double f : {550.0, 660.0, 880.0})
            QVERIFY2(ToneAmplitude(x, n, rate, f) > 0.1, qPrintable(QString::number(f)));
        QCOMPARE(m.StartedCount(), quint64(4));
    }

    // ---- Timed starts ----
    void timedStartsLandOnTheirFrame_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("frame");
        QTest::newRow("the very first frame") << 256 << 0;
        QTest::newRow("inside a period") << 256 << 1000;
        QTest::newRow("last frame of a period") << 256 << 767;
        QTest::newRow("first frame of a period") << 256 << 768;
        QTest::newRow("odd periods") << 441 << 5000;
    }
    void timedStartsLandOnTheirFrame()
    {
        QFETCH(int, period);
        QFETCH(int, frame);
        Mixer m;
        QVERIFY(m.StartAt(1, MakeSound(8000, 8000, [](int) { return 1.0; }), std::uint64_t(frame)));
        const auto out = RenderFor(m, frame + 2000, 48000, period);
        QVERIFY(std::all_of(out.begin(), out.begin() + frame, [](float y) { return y == 0.0f; }));
        QCOMPARE_GT(out[size_t(frame)], 0.2f);
        QCOMPARE(m.LateStarts(), quint64(0));
        QCOMPARE(m.RenderedFrames(), quint64(frame + 2000));
        QCOMPARE(m.RenderRate(), 48000);
    }

    void timedStartsInOrderCancelledAndLate()
    {
        Mixer m;
        auto up = MakeSound(80000, 8000, [](int) { return 1.0; });
        auto down = MakeSound(80000, 8000, [](int) { return -1.0; });
        // Queued out of order: each starts at its own frame, the later cutting the earlier.
        m.StartAt(0, up, 3000);
        m.StartAt(0, down, 1500);
        auto out = RenderFor(m, 4000, 48000);
        QCOMPARE(out[1499], 0.0f);
        QCOMPARE_LT(out[1600], -0.5f);
        QCOMPARE_LT(out[2999], -0.5f);
        QCOMPARE_GT(out[3500], 0.5f);

        // Cancelled after the renderer took it, before its frame: it never sounds.
        m.Stop(0);
        m.StartAt(1, down, 6000);
        RenderFor(m, 1000, 48000);
        m.CancelScheduled();
        out = RenderFor(m, 4000, 48000);
        QVERIFY(std::all_of(out.begin() + 500, out.end(), [](float y) { return y == 0.0f; }));
        QCOMPARE(m.StartedCount(), quint64(2));

        // A frame already rendered starts at once, counted late; starts queued after a
        // cancel are kept.
        m.StartAt(2, up, 100);
        out = RenderFor(m, 256, 48000);
        QCOMPARE_GT(out[10], 0.2f);
        QCOMPARE(m.LateStarts(), quint64(1));
        m.Stop(2);
        RenderFor(m, 4800, 48000);
        m.Collect();
        QCOMPARE(m.HeldSounds(), 0);
        QCOMPARE(down.use_count(), 1);
    }

    // ---- Ownership of sounds ----
    void soundsComeBackToTheUiThread()
    {
        const int rate = 48000;
        Mixer m;
        auto shortSound = Sine(440, 0.5, 0.05);
        m.Start(0, shortSound);
        QCOMPARE(shortSound.use_count(), 2);
        RenderFor(m, rate / 5, rate);   // plays to its end
        QCOMPARE(m.ActiveVoices(), 0);
        m.Collect();
        QCOMPARE(shortSound.use_count(), 1);

        // Replaced before the renderer took it: dropped at once.
        auto a = Sine(440, 0.5, 1.0), b = Sine(550, 0.5, 1.0);
        m.Start(1, a);
        m.Start(1, b);
        QCOMPARE(a.use_count(), 1);
        QCOMPARE(b.use_count(), 2);

        // Cut off while sounding: back after its fade.
        RenderFor(m, 512, rate);
        m.Start(1, a);
        RenderFor(m, rate / 50, rate);
        m.Collect();
        QCOMPARE(b.use_count(), 1);
        QCOMPARE(m.HeldSounds(), 1);
    }

    void manyCutsInOnePeriodKeepEveryTailAccounted()
    {
        Mixer m;
        std::vector<std::shared_ptr<SoundData>> sounds;
        for (int i = 0; i < 12; ++i)
            sounds.push_back(Sine(200 + 50 * i, 0.3, 1.0));
        // Each start is taken by a render, so every previous note becomes a fading tail.
        for (int i = 0; i < 12; ++i) {
            m.Start(i % Mixer::Voices, sounds[size_t(i)]);
            float buf[16];
            m.Render(buf, 16, 48000);
        }
        std::vector<float> out = RenderFor(m, 48000 * 3, 48000);
        m.Collect();
        QCOMPARE(m.HeldSounds(), 0);
        for (auto& s : sounds)
            QCOMPARE(s.use_count(), 1);
    }

    void renderingOnAnotherThreadWhileNotesArrive()
    {
        Mixer m;
        std::vector<std::shared_ptr<SoundData>> sounds{Sine(300, 0.9, 0.3), Sine(400, 0.9, 0.05),
                                                       Sine(500, 0.9, 0.2)};
        std::atomic<bool> stop{false};
        std::atomic<bool> bad{false};
        std::thread renderer([&] {
            float buf[256];
            while (!stop.load()) {
                m.Render(buf, 256, 48000);
                for (float y : buf)
                    if (!(std::abs(y) <= 1.0f))
                        bad = true;
            }
        });
        std::mt19937 rng(7);
        for (int i = 0; i < 20000; ++i) {
            const int v = int(rng() % 3);
            const unsigned pick = rng() % 10;
            if (pick < 2)
                m.Stop(v);
            else if (pick < 4)
                m.StartAt(v, sounds[rng() % sounds.size()], m.RenderedFrames() + rng() % 2000);
            else if (pick == 4)
                m.CancelScheduled();
            else
                m.Start(v, sounds[rng() % sounds.size()]);
            if (i % 64 == 0)
                std::this_thread::yield();
        }
        m.CancelScheduled();
        for (int v = 0; v < Mixer::Voices; ++v)
            m.Stop(v);
        stop = true;
        renderer.join();
        RenderFor(m, 4800, 48000);   // the stops, cancels and fades run out
        m.Collect();
        QVERIFY(!bad);
        QCOMPARE(m.HeldSounds(), 0);
        for (auto& s : sounds)
            QCOMPARE(s.use_count(), 1);
    }

    // ---- Decoding ----
    void decodesWaveFiles_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::newRow("8 kHz mono") << 8000 << 1;
        QTest::newRow("22050 Hz stereo") << 22050 << 2;
    }
    void decodesWaveFiles()
    {
        QFETCH(int, rate);
        QFETCH(int, channels);
        std::vector<qint16> pcm;
        for (int i = 0; i < 1000; ++i)
            for (int c = 0; c < channels; ++c)
                pcm.push_back(qint16(i % 2 ? 16384 : -8192));
        const QByteArray bytes = WaveBytes(pcm, rate, channels);
        QString why;
        auto s = SoundData::FromWave(bytes.constData(), bytes.size(), &why);
        QVERIFY2(s, qPrintable(why));
        QCOMPARE(s->frames, 1000);
        QCOMPARE(s->rate, rate);
        QVERIFY(std::abs(s->Samples()[1] - 0.5f) < 1e-3);
        QVERIFY(std::abs(s->Samples()[2] + 0.25f) < 1e-3);
        for (int i = 1; i <= SoundData::Pad; ++i) {
            QCOMPARE(s->Samples()[-i], 0.0f);
            QCOMPARE(s->Samples()[s->frames - 1 + i], 0.0f);
        }
    }

    void rejectsWhatIsNotAWave_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("this is no sound at all, just some text");
        QByteArray cut = WaveBytes(SineSamples(440, 0.5, 0.1), 8000).left(30);
        QTest::newRow("header cut short") << cut;
    }
    void rejectsWhatIsNotAWave()
    {
        QFETCH(QByteArray, bytes);
        QString why;
        QVERIFY(!SoundData::FromWave(bytes.constData(), bytes.size(), &why));
        QVERIFY(!why.isEmpty());
    }
};

TAVO_CORE_TEST_MAIN(TestMixer)
#include "test_mixer.moc"
