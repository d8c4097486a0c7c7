// One failed open of the audio device must not silence the whole run: it is tried again at a
// later note, at most once a second.
#include "core/sound/AudioOutput.h"
#include <QTest>

class TestAudioRetry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void failedDeviceIsTriedAgainAfterASecond()
    {
        AudioOutput out;
        qputenv("SDL_AUDIODRIVER", "no-such-driver");
        QVERIFY(!out.EnsureOpenAt(10000));
        qputenv("SDL_AUDIODRIVER", "dummy");
        QVERIFY(!out.EnsureOpenAt(10500));   // within the second: not tried again
        QVERIFY(out.EnsureOpenAt(11000));    // a second later the device answers
        QVERIFY(out.IsOpen());
        QVERIFY(out.EnsureOpenAt(11001));
    }
};

QTEST_GUILESS_MAIN(TestAudioRetry)
#include "test_audio_retry.moc"
