// PlayNote: the note names, the rotation over three players, failed opens, and what
// the mixer makes of the notes (pitch, the fourth note cutting the first).
#include "SoundTestSupport.h"
#include "CoreTestSupport.h"
#include "core/Errors.h"
#include "core/platform/Platform.h"
#include "core/sound/AudioOutput.h"
#include "core/sound/MediaPlayer.h"
#include "core/sound/Mixer.h"
#include "core/sound/SoundFiles.h"
#include "core/sound/NotePlayer.h"
#include "core/sound/Voices.h"
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>

using namespace SoundTest;

namespace {

// A fresh temporary folder holding every sound file, and a fresh rotation.
struct NoteEnv {
    TempEnv env;
    VoiceBank bank;
    NotePlayer kb;
    QString TempDir;
    NoteEnv()
    {
        TempDir = Platform::UserTempDir();
        bank.Fill();
        ExtractSounds(bank.SoundNames, TempDir);
        kb.SetSounds(TempDir, bank.Current);
    }
    explicit NoteEnv(bool silentDevice) : NoteEnv()
    {
        // The tests render the mixer themselves; the device must not read it at the same time.
        kb.Audio().SetDeviceAllowed(!silentDevice);
    }
    QString NoteFile(const QString& note) const
    {
        return TempDir + bank.Current[size_t(NoteSlot(note))] + QStringLiteral(".dat");
    }
};

// Lets every voice of the shared mixer fall silent and hands back its sounds.
void SilenceMixer(AudioOutput& out)
{
    Mixer& m = out.GetMixer();
    for (int v = 0; v < Mixer::Voices; ++v)
        m.Stop(v);
    std::vector<float> buf(4800);
    m.Render(buf.data(), int(buf.size()), 48000);
    m.Collect();
}

std::vector<float> RenderMixer(AudioOutput& audio, int frames, int rate)
{
    std::vector<float> out(static_cast<size_t>(frames));
    for (int done = 0; done < frames; done += 256)
        audio.GetMixer().Render(out.data() + done, std::min(256, frames - done), rate);
    return out;
}

// The period near 1/guess (within a major third either way) where the signal best matches
// itself shifted, refined between samples.
double AutocorrelationPitch(const float* x, int n, int rate, double guess)
{
    const int minLag = int(rate / (guess * 1.25)), maxLag = int(rate / (guess * 0.8)) + 1;
    std::vector<double> r(size_t(maxLag + 2), 0.0);
    for (int lag = minLag - 1; lag <= maxLag + 1; ++lag) {
        double sum = 0, e0 = 0, e1 = 0;
        for (int i = 0; i + lag < n; ++i) {
            sum += double(x[i]) * x[i + lag];
            e0 += double(x[i]) * x[i];
            e1 += double(x[i + lag]) * x[i + lag];
        }
        r[size_t(lag)] = e0 > 0 && e1 > 0 ? sum / std::sqrt(e0 * e1) : 0;
    }
    int best = minLag;
    for (int lag = minLag; lag <= maxLag; ++lag)
        if (r[size_t(lag)] > r[size_t(best)])
            best = lag;
    const double a = r[size_t(best - 1)], b = r[size_t(best)], c = r[size_t(best + 1)];
    const double denom = a - 2 * b + c;
    const double shift = denom != 0 ? 0.5 * (a - c) / denom : 0;
    return rate / (best + shift);
}

} // namespace

class TestNotePlayer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void deviceOpensOnTheFirstNote()
    {
        NoteEnv n(false);
        QVERIFY(!n.kb.Audio().IsOpen());
        n.kb.PlayNote(QStringLiteral("c1"), n.kb.Voice());
        QVERIFY(n.kb.Audio().IsOpen());
        const int rate = n.kb.Audio().DeviceRate();
        QVERIFY(rate > 0);
        QVERIFY(n.kb.Audio().DeviceFrames() > 0);
        QVERIFY(n.kb.Audio().DeviceFrames() <= 256 * rate / 48000);
        // The device's own thread picks the note up.
        QTRY_VERIFY(n.kb.Audio().GetMixer().StartedCount() >= 1);
        n.kb.Audio().SetDeviceAllowed(false);
        QVERIFY(!n.kb.Audio().IsOpen());
        SilenceMixer(n.kb.Audio());
    }

    // ---- Names ----
    void noteNamesMapToSlots_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("slot");
        const char* names[22] = {"F", "G", "A", "B", "c", "d", "e", "f", "g", "a", "b",
                                 "c1", "d1", "e1", "f1", "g1", "a1", "b1", "c2", "d2", "e2", "f2"};
        const int noteSlots[22] = {5, 7, 9, 11, 12, 14, 16, 17, 19, 21, 23, 24, 26, 28, 29, 31, 33, 35, 36, 38, 40, 41};
        for (int i = 0; i < 22; ++i)
            QTest::newRow(names[i]) << QString::fromLatin1(names[i]) << noteSlots[i];
        const char* sharps[16] = {"F#",  "G#",  "A#",  "c#",  "d#",  "f#",  "g#",  "a#",
                                  "c#1", "d#1", "f#1", "g#1", "a#1", "c#2", "d#2", "f#2"};
        const int sharpSlots[16] = {6, 8, 10, 13, 15, 18, 20, 22, 25, 27, 30, 32, 34, 37, 39, 42};
        for (int i = 0; i < 16; ++i)
            QTest::newRow(sharps[i]) << QString::fromLatin1(sharps[i]) << sharpSlots[i];
        // No e# or b# (they are f and c), no flats, nothing past f#2 and the '#' only before the octave.
        for (const char* bad : {"C", "g3", "", "C1", "c1 ", " c1", "a0", "f3", "E", "e3", "cc", "e#1", "b#", "E#",
                                "db1", "g#2", "c1#", "#c1", "c##1"})
            QTest::addRow("outside the table: '%s'", bad) << QString::fromLatin1(bad) << -1;
    }
    void noteNamesMapToSlots()
    {
        QFETCH(QString, name);
        QFETCH(int, slot);
        QCOMPARE(NoteSlot(name), slot);
        if (slot >= 0) {
            QCOMPARE(SlotNoteName(slot), name);
            QCOMPARE(KeyNoteName(slot + FirstSlotKey), name);
        }
    }

    // ---- Rotation ----
    void playersAreUsedInTurn()
    {
        NoteEnv n(true);
        const QStringList notes{QStringLiteral("c1"), QStringLiteral("d1"), QStringLiteral("e1"),
                                QStringLiteral("f1"), QStringLiteral("c1")};
        const int turns[5] = {1, 2, 3, 1, 2};
        for (int i = 0; i < notes.size(); ++i) {
            n.kb.PlayNote(notes[i], n.kb.Voice());
            QCOMPARE(n.kb.PlayerTurn(), turns[i]);
            TMediaPlayer* p = n.kb.Player(n.kb.PlayerTurn());
            QCOMPARE(p->Number(), turns[i]);
            QCOMPARE(p->FileName(), n.NoteFile(notes[i]));
            QVERIFY(p->IsOpen());
        }
        QCOMPARE(n.kb.Player(1)->PlayCount(), 2);
        QCOMPARE(n.kb.Player(2)->PlayCount(), 2);
        QCOMPARE(n.kb.Player(3)->PlayCount(), 1);
        QCOMPARE(n.kb.Player(0), nullptr);
        QCOMPARE(n.kb.Player(4), nullptr);
        SilenceMixer(n.kb.Audio());
    }

    void c1OpensSlot24OfTheFourthSet()
    {
        NoteEnv n(true);
        n.kb.PlayNote(QStringLiteral("c1"), n.kb.Voice());
        QCOMPARE(n.kb.Player(1)->FileName(), n.TempDir + QStringLiteral("VOIC_487641321.dat"));
        QVERIFY(n.kb.Player(1)->Sound() != nullptr);
        QCOMPARE(n.kb.Player(1)->Sound()->rate, 8000);
        SilenceMixer(n.kb.Audio());
    }

    void namesOutsideTheTableUseATurnAndOpenNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("upper-case C") << QStringLiteral("C");
        QTest::newRow("g3") << QStringLiteral("g3");
        QTest::newRow("empty") << QString();
    }
    void namesOutsideTheTableUseATurnAndOpenNothing()
    {
        QFETCH(QString, name);
        NoteEnv n(true);
        n.kb.PlayNote(QStringLiteral("c1"), n.kb.Voice());
        RenderMixer(n.kb.Audio(), 256, 48000);
        const quint64 started = n.kb.Audio().GetMixer().StartedCount();
        n.kb.PlayNote(name, n.kb.Voice());
        QCOMPARE(n.kb.PlayerTurn(), 2);
        QVERIFY(n.kb.Player(2)->FileName().isEmpty());
        QVERIFY(!n.kb.Player(2)->IsOpen());
        QCOMPARE(n.kb.Player(2)->PlayCount(), 0);
        n.kb.PlayNote(QStringLiteral("d1"), n.kb.Voice());
        QCOMPARE(n.kb.PlayerTurn(), 3);
        QCOMPARE(n.kb.Player(3)->FileName(), n.NoteFile(QStringLiteral("d1")));
        // After three turns the fourth comes back to player 1.
        n.kb.PlayNote(name, n.kb.Voice());
        QCOMPARE(n.kb.PlayerTurn(), 1);
        QCOMPARE(n.kb.Player(1)->PlayCount(), 1);
        QVERIFY(n.kb.Player(1)->IsOpen());
        // Only the real notes reached the mixer.
        RenderMixer(n.kb.Audio(), 256, 48000);
        QCOMPARE(n.kb.Audio().GetMixer().StartedCount(), started + 1);
        SilenceMixer(n.kb.Audio());
    }

    // ---- Failed opens ----
    void badFileRaisesAndTheRotationGoesOn_data()
    {
        QTest::addColumn<bool>("missing");
        QTest::newRow("missing file") << true;
        QTest::newRow("not a sound") << false;
    }
    void badFileRaisesAndTheRotationGoesOn()
    {
        QFETCH(bool, missing);
        NoteEnv n(true);
        const QString bad = n.NoteFile(QStringLiteral("e1"));
        if (missing) {
            QVERIFY(QFile::remove(bad));
        } else {
            QFile f(bad);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("RIFF....WAVEjunkjunkjunk");
        }
        n.kb.PlayNote(QStringLiteral("c1"), n.kb.Voice());   // player 1
        n.kb.PlayNote(QStringLiteral("d1"), n.kb.Voice());   // player 2
        n.kb.PlayNote(QStringLiteral("g1"), n.kb.Voice());   // player 3
        QString text;
        try {
            n.kb.PlayNote(QStringLiteral("e1"), n.kb.Voice());   // player 1 again
        } catch (const TavoError& e) {
            text = e.text();
        }
        QVERIFY2(text.contains(bad), qPrintable(text));
        QVERIFY2(text.size() > bad.size() + 10, "the reason follows the path");
        QCOMPARE(n.kb.PlayerTurn(), 1);
        // That player lost its old sound; the others keep theirs.
        QVERIFY(!n.kb.Player(1)->IsOpen());
        QVERIFY(n.kb.Player(2)->IsOpen());
        QVERIFY(n.kb.Player(3)->IsOpen());
        QCOMPARE(n.kb.Player(2)->FileName(), n.NoteFile(QStringLiteral("d1")));
        n.kb.PlayNote(QStringLiteral("a1"), n.kb.Voice());
        QCOMPARE(n.kb.PlayerTurn(), 2);
        QVERIFY(n.kb.Player(2)->IsOpen());
        QCOMPARE(n.kb.Player(2)->FileName(), n.NoteFile(QStringLiteral("a1")));
        QCOMPARE(n.kb.Player(2)->PlayCount(), 2);
        SilenceMixer(n.kb.Audio());
    }

    void notesBeforeTheFilesExistFail()
    {
        TempEnv env;
        VoiceBank bank;
        bank.Fill();
        NotePlayer player;
        player.SetSounds(Platform::UserTempDir(), bank.Current);
        QVERIFY_THROWS_EXCEPTION(TavoError, player.PlayNote(QStringLiteral("c1"), player.Voice()));
        QCOMPARE(player.PlayerTurn(), 1);
    }

    // ---- What is heard ----
    void playedNoteHasItsPitch_data()
    {
        QTest::addColumn<int>("rate");
        QTest::newRow("48 kHz") << 48000;
        QTest::newRow("44.1 kHz") << 44100;
    }
    void playedNoteHasItsPitch()
    {
        QFETCH(int, rate);
        NoteEnv n(true);
        SilenceMixer(n.kb.Audio());
        QVERIFY(WriteSineWave(n.NoteFile(QStringLiteral("a1")), 440.0));
        n.kb.PlayNote(QStringLiteral("a1"), n.kb.Voice());
        const auto out = RenderMixer(n.kb.Audio(), rate, rate);
        const double f = ZeroCrossingFrequency(out.data() + rate / 10, rate * 8 / 10, rate);
        QVERIFY2(std::abs(f - 440.0) < 0.1, qPrintable(QString::number(f)));
        SilenceMixer(n.kb.Audio());
    }

    // The built-in voice's own samples, played by name: a sharp sounds its semitone, a
    // hundred cents above its natural.
    void sharpSoundsTheSemitoneAbove_data()
    {
        QTest::addColumn<QString>("natural");
        QTest::addColumn<QString>("sharp");
        QTest::newRow("c1") << "c1"
                            << "c#1";
        QTest::newRow("F") << "F"
                           << "F#";
        QTest::newRow("a") << "a"
                           << "a#";
        QTest::newRow("g1") << "g1"
                            << "g#1";
        QTest::newRow("f2") << "f2"
                            << "f#2";
    }
    void sharpSoundsTheSemitoneAbove()
    {
        QFETCH(QString, natural);
        QFETCH(QString, sharp);
        NoteEnv n(true);
        const int rate = 48000;
        const double expected = 440.0 * std::pow(2.0, (NoteSlot(natural) - 33) / 12.0);
        auto pitchOf = [&](const QString& note) {
            SilenceMixer(n.kb.Audio());
            n.kb.PlayNote(note, n.kb.Voice());
            const auto out = RenderMixer(n.kb.Audio(), rate / 2, rate);
            return AutocorrelationPitch(out.data() + rate / 20, rate / 5, rate, expected);
        };
        const double low = pitchOf(natural), high = pitchOf(sharp);
        const double cents = 1200 * std::log2(high / low);
        QVERIFY2(std::abs(1200 * std::log2(low / expected)) < 15, qPrintable(QString::number(low)));
        QVERIFY2(std::abs(cents - 100) < 15, qPrintable(QStringLiteral("%1 Hz, %2 Hz").arg(low).arg(high)));
        SilenceMixer(n.kb.Audio());
    }

    // Notes come from memory, keyed by the file's size and time: other bytes under the same
    // key are not read, a newer file is.
    void noteReadsItsFileOnlyWhenItChanged()
    {
        NoteEnv n(true);
        SilenceMixer(n.kb.Audio());
        const QString file = n.NoteFile(QStringLiteral("a1"));
        const QByteArray path = QFile::encodeName(file);
        auto heard = [&] {
            n.kb.PlayNote(QStringLiteral("a1"), n.kb.Voice());
            const auto out = RenderMixer(n.kb.Audio(), 48000 / 2, 48000);
            SilenceMixer(n.kb.Audio());
            return ZeroCrossingFrequency(out.data() + 4800, 12000, 48000);
        };
        QVERIFY(WriteSineWave(file, 440.0));
        QVERIFY(std::abs(heard() - 440.0) < 0.5);
        struct stat st;
        QVERIFY(::stat(path.constData(), &st) == 0);
        QVERIFY(WriteSineWave(file, 660.0));
        const struct timespec same[2] = {st.st_atim, st.st_mtim};
        QVERIFY(::utimensat(AT_FDCWD, path.constData(), same, 0) == 0);
        QVERIFY(std::abs(heard() - 440.0) < 0.5);
        const struct timespec later[2] = {st.st_atim, {st.st_mtim.tv_sec + 1, st.st_mtim.tv_nsec}};
        QVERIFY(::utimensat(AT_FDCWD, path.constData(), later, 0) == 0);
        QVERIFY(std::abs(heard() - 660.0) < 0.5);
    }

    void fourthNoteCutsTheFirst()
    {
        NoteEnv n(true);
        SilenceMixer(n.kb.Audio());
        const int rate = 48000;
        const QStringList notes{QStringLiteral("c1"), QStringLiteral("e1"), QStringLiteral("g1"),
                                QStringLiteral("c2")};
        const double freqs[4] = {261.63, 329.63, 392.0, 523.25};
        for (int i = 0; i < 4; ++i)
            QVERIFY(WriteSineWave(n.NoteFile(notes[i]), freqs[i], 0.3));
        for (int i = 0; i < 3; ++i)
            n.kb.PlayNote(notes[i], n.kb.Voice());
        auto out = RenderMixer(n.kb.Audio(), rate / 2, rate);
        for (int i = 0; i < 3; ++i)
            QVERIFY(ToneAmplitude(out.data() + rate / 10, rate / 4, rate, freqs[i]) > 0.1);
        n.kb.PlayNote(notes[3], n.kb.Voice());
        QCOMPARE(n.kb.PlayerTurn(), 1);
        out = RenderMixer(n.kb.Audio(), rate / 2, rate);
        const float* x = out.data() + rate / 20;
        QVERIFY(ToneAmplitude(x, rate / 4, rate, freqs[0]) < 1e-4);
        for (int i = 1; i < 4; ++i)
            QVERIFY2(ToneAmplitude(x, rate / 4, rate, freqs[i]) > 0.1, qPrintable(notes[i]));
        SilenceMixer(n.kb.Audio());
    }

    void scheduledNotesTakeTheirTurnAndLandOnTheirFrame()
    {
        NoteEnv n(true);
        SilenceMixer(n.kb.Audio());   // the clock now stands at 4800 frames of 48 kHz
        QCOMPARE(n.kb.OutputRate(), 48000);
        QCOMPARE(n.kb.OutputFrame(), quint64(4800));
        const QByteArray level = WaveBytes(std::vector<qint16>(8000, 16384), 8000);
        for (const char* note : {"c1", "e1"}) {
            QFile f(n.NoteFile(QString::fromLatin1(note)));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(level) == level.size());
        }
        n.kb.ScheduleNote(QStringLiteral("c1"), 6000);
        n.kb.ScheduleNote(QStringLiteral("e1"), 7001);
        QCOMPARE(n.kb.PlayerTurn(), 2);
        const auto out = RenderMixer(n.kb.Audio(), 4000, 48000);   // frames 4800..8799
        auto at = [&](int frame) { return out[size_t(frame - 4800)]; };
        QCOMPARE(at(5999), 0.0f);
        QCOMPARE_GT(at(6000), 0.1f);
        QVERIFY(std::abs(at(7000) - at(6999)) < 1e-3f);
        QCOMPARE_GT(at(7001) - at(7000), 0.1f);
        SilenceMixer(n.kb.Audio());
    }

    void sameNoteTwiceRingsTwice()
    {
        NoteEnv n(true);
        SilenceMixer(n.kb.Audio());
        n.kb.PlayNote(QStringLiteral("a1"), n.kb.Voice());
        n.kb.PlayNote(QStringLiteral("a1"), n.kb.Voice());
        RenderMixer(n.kb.Audio(), 256, 48000);
        QCOMPARE(n.kb.Audio().GetMixer().ActiveVoices(), 2);
        SilenceMixer(n.kb.Audio());
        QCOMPARE(n.kb.Audio().GetMixer().ActiveVoices(), 0);
    }
};

TAVO_CORE_TEST_MAIN(TestNotePlayer)
#include "test_note_player.moc"
