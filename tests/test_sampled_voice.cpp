// The sampled voice when the audio device goes and comes back: keys pressed meanwhile do not
// sound in one burst, the next key does, a device at another rate has the SoundFont made again,
// and a key press opens the device as the built-in voice's do.
#include "SoundTestSupport.h"
#include "core/sound/NotePlayer.h"
#include "core/sound/SampledVoice.h"
#include "core/sound/SoundFiles.h"
#include "core/sound/Voices.h"
#include "core/sound/VoiceSwitch.h"
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace SoundTest;

namespace {

constexpr int Rate = 48000;
constexpr int Period = 256;

// The mixer rendered by hand as a device would, the voice's clock stepping with it.
struct Device {
    Mixer mixer;
    std::int64_t now = 1'000'000'000;
    std::vector<float> Render(int frames, int rate = Rate)
    {
        std::vector<float> out(size_t(frames), 0.0f);
        for (int done = 0; done < frames; done += Period) {
            mixer.Render(out.data() + done, std::min(Period, frames - done), rate);
            now += std::int64_t(Period) * 1'000'000'000 / rate;
        }
        return out;
    }
};

bool LoadVoice(SampledVoice& voice, const QString& path, int rate)
{
    QSignalSpy loaded(&voice, &SampledVoice::loaded);
    voice.Load(path, rate);
    return loaded.wait(20000) && loaded.at(0).at(0).toBool();
}

struct RateVoice final : IKeyVoice {
    int rate = 0;
    int notes = 0;
    bool Ready() const override { return true; }
    void NoteOn(int, int, std::uint64_t) override { ++notes; }
    void NoteOff(int) override {}
    void Pedal(bool) override {}
    void CancelScheduled() override {}
    void FollowRate(int r) override { rate = r; }
};

}   // namespace

class TestSampledVoice : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_font;

private Q_SLOTS:
    void initTestCase()
    {
        m_font = m_dir.filePath(QStringLiteral("tone.sf2"));
        QFile f(m_font);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.write(SoundFontBytes(0)) > 0);
    }

    // The tone loops for ever while held: a stale key that sounded would ring on.
    void lostDeviceDropsTheKeysPressedMeanwhile_data()
    {
        QTest::addColumn<int>("presses");
        QTest::addColumn<int>("gapMs");   // from the last press to the first render
        QTest::newRow("a few, long gone") << 3 << 2000;
        QTest::newRow("300, more than the queue holds") << 300 << 50;
    }
    void lostDeviceDropsTheKeysPressedMeanwhile()
    {
        QFETCH(int, presses);
        QFETCH(int, gapMs);
        Device device;
        SampledVoice voice(device.mixer);
        voice.SetClock([&] { return device.now; });
        QVERIFY(LoadVoice(voice, m_font, Rate));
        device.Render(4800);
        voice.NoteOn(72, 100);
        QVERIFY(Peak(device.Render(4800)) > 0.05f);

        // The device is gone: nothing renders while keys go down (and the held one up).
        voice.NoteOff(72);
        for (int i = 0; i < presses; ++i) {
            device.now += 6'000'000;
            voice.NoteOn(48 + i % 24, 100);
        }
        device.now += std::int64_t(gapMs) * 1'000'000;

        // Back: the release still applies, none of the presses starts.
        device.Render(Rate);
        QCOMPARE(Peak(device.Render(4800)), 0.0f);
        // The next key sounds, at once.
        voice.NoteOn(60, 100);
        QVERIFY(Peak(device.Render(Period)) > 0.01f);
    }

    // A key pressed within the last period before the device answers still sounds (the
    // press that opened it), and a late callback drops nothing.
    void recentKeysSurviveAStall()
    {
        Device device;
        SampledVoice voice(device.mixer);
        voice.SetClock([&] { return device.now; });
        QVERIFY(LoadVoice(voice, m_font, Rate));
        device.Render(4800);
        device.now += 3'000'000'000;
        voice.NoteOn(60, 100);
        device.now += 2'000'000;
        QVERIFY(Peak(device.Render(2400)) > 0.05f);

        voice.NoteOff(60);
        device.Render(Rate);
        device.now += 20'000'000;   // a callback three periods late
        voice.NoteOn(64, 100);
        device.now += 10'000'000;
        QVERIFY(Peak(device.Render(2400)) > 0.05f);
    }

    void otherRateMakesTheVoiceAgain()
    {
        Device device;
        SampledVoice voice(device.mixer);
        QVERIFY(LoadVoice(voice, m_font, 44100));
        QCOMPARE(voice.Rate(), 44100);
        voice.NoteOn(60, 100);
        QCOMPARE(Peak(device.Render(4800)), 0.0f);   // a synth made for 44.1 kHz cannot play at 48

        // The device came back at 48 kHz: until the new one is in, the voice is not ready.
        QSignalSpy loaded(&voice, &SampledVoice::loaded);
        voice.FollowRate(Rate);
        QVERIFY(!voice.Ready());
        QVERIFY(loaded.wait(20000));
        QVERIFY(loaded.at(0).at(0).toBool());
        QCOMPARE(voice.Rate(), Rate);
        QVERIFY(voice.Ready());
        voice.NoteOn(60, 100);
        QVERIFY(Peak(device.Render(4800)) > 0.05f);

        voice.FollowRate(Rate);   // the same rate again loads nothing
        voice.FollowRate(0);      // nor an output that does not know its rate
        QVERIFY(!voice.Loading());
    }

    // Without the synth module the sampled voice says why once and the keys play the
    // built-in voice.
    void withoutTheModuleTheBuiltInVoicePlays()
    {
        QTemporaryDir noModule, sounds;
        NotePlayer player;
        VoiceBank voices;
        voices.Fill();
        ExtractSounds(voices.SoundNames, sounds.path() + QLatin1Char('/'));
        player.SetSounds(sounds.path() + QLatin1Char('/'), voices.Current);
        SampledVoice sampled(player.Audio().GetMixer(), {noModule.path()});
        VoiceSwitch voice(player, sampled);
        voice.SetSampled(true);
        QSignalSpy loaded(&sampled, &SampledVoice::loaded);
        sampled.Load(m_font, Rate);
        QVERIFY(loaded.wait(20000));
        QCOMPARE(loaded.size(), 1);
        QVERIFY(!loaded.at(0).at(0).toBool());
        QVERIFY(loaded.at(0).at(1).toString().contains(QStringLiteral("tavofluid")));
        QVERIFY(!sampled.Ready());
        QVERIFY(!voice.Sampled());
        QCOMPARE(player.Audio().GetMixer().HeldSounds(), 0);
        voice.PressKey(60, 100);
        QVERIFY(player.Audio().GetMixer().HeldSounds() > 0);   // the built-in voice took the key
        QVERIFY(!loaded.wait(200));                            // said once
        player.Audio().Shutdown();
    }

    void sampledKeyPressOpensTheDevice()
    {
        NotePlayer player;
        RateVoice sampled;
        VoiceSwitch voice(player, sampled);
        voice.SetSampled(true);
        QVERIFY(!player.Audio().IsOpen());
        voice.PressKey(60, 100);
        QVERIFY(player.Audio().IsOpen());
        QCOMPARE(sampled.notes, 1);
        QVERIFY(sampled.rate > 0);
        QCOMPARE(sampled.rate, player.Audio().DeviceRate());
        player.Audio().Shutdown();
    }
};

QTEST_GUILESS_MAIN(TestSampledVoice)
#include "test_sampled_voice.moc"
