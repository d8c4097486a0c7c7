// The demo: notes queued a little ahead on the output clock, on the beat grid of the
// tempo; stop, tempo changes, the silent stand-in clock, a note that fails to load.
#include "CoreTestSupport.h"
#include "core/Errors.h"
#include "core/library/SongText.h"
#include "core/practice/DemoPlayer.h"
#include "core/sound/NotePlayer.h"

namespace {

struct FakeOutput final : INoteScheduler {
    int rate = 48000;
    std::uint64_t now = 0;
    struct Note {
        QString name;
        std::uint64_t frame, scheduledAt;
    };
    std::vector<Note> notes;
    int cancels = 0;
    QString failOn;
    int OutputRate() override { return rate; }
    std::uint64_t OutputFrame() override { return now; }
    void ScheduleNote(const QString& note, std::uint64_t frame) override
    {
        if (note == failOn)
            Raise(QStringLiteral("无法打开声音文件"));
        notes.push_back({note, frame, now});
    }
    void CancelScheduled() override { ++cancels; }
};

// 1 2 rest 3, one beat each, then 4 held two beats.
Timeline Tune()
{
    const QString text = QStringLiteral("title: t\ntime: 4/4\n1 2 0 3 | 4 - 0 0 |\n");
    return BuildTimeline(ParseSongText(text, QStringLiteral("20260101")).at(0).rows, 1);
}

// Ticks every `step` frames until the demo stops; returns the events reported, each once.
QList<int> RunToEnd(DemoPlayer& demo, FakeOutput& out, std::uint64_t step)
{
    QList<int> seen;
    for (int guard = 0; demo.Running() && guard < 100000; ++guard) {
        out.now += step;
        const DemoPlayer::Position p = demo.Tick();
        if (p.event >= 0 && (seen.isEmpty() || seen.back() != p.event))
            seen << p.event;
    }
    return seen;
}

} // namespace

class TestDemoPlayer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void notesAreQueuedAheadOnTheBeatGrid_data()
    {
        QTest::addColumn<int>("tempo");
        QTest::addColumn<int>("tick");   // frames between the caller's ticks
        QTest::newRow("120, a tick every 16 ms") << 120 << 768;
        QTest::newRow("40, a tick every 16 ms") << 40 << 768;
        QTest::newRow("200, ticks 200 ms late") << 200 << 9600;
        QTest::newRow("clamped to 200") << 900 << 768;
    }
    void notesAreQueuedAheadOnTheBeatGrid()
    {
        QFETCH(int, tempo);
        QFETCH(int, tick);
        FakeOutput out;
        out.now = 1000;
        DemoPlayer demo(out);
        QVERIFY(demo.Start(Tune(), tempo));
        QCOMPARE(demo.Tempo(), DemoPlayer::ClampTempo(tempo));
        const double beat = 48000.0 * 60 / demo.Tempo();
        const std::uint64_t first = 1000 + 4800;   // the lead-in
        const QList<int> seen = RunToEnd(demo, out, std::uint64_t(tick));

        QCOMPARE(seen, (QList<int>{0, 1, 2, 3, 4, 5, 6}));   // the rests are events too
        const QStringList names{"c1", "d1", "e1", "f1"};
        const double beats[] = {0, 1, 3, 4};
        QCOMPARE(int(out.notes.size()), 4);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(out.notes[size_t(i)].name, names[i]);
            QCOMPARE(out.notes[size_t(i)].frame, first + std::uint64_t(std::llround(beats[i] * beat)));
            // Queued ahead, and never more than the window ahead.
            QCOMPARE_LT(out.notes[size_t(i)].scheduledAt, out.notes[size_t(i)].frame);
            QCOMPARE_LE(out.notes[size_t(i)].frame - out.notes[size_t(i)].scheduledAt, std::uint64_t(0.25 * 48000));
        }
        QCOMPARE(demo.EndFrame(), first + std::uint64_t(std::llround(8 * beat)));
        QCOMPARE_GE(out.now, demo.EndFrame());
        QCOMPARE_LT(out.now, demo.EndFrame() + std::uint64_t(tick));
        QCOMPARE(out.cancels, 0);
        QCOMPARE(demo.EventAt(first - 1), -1);
        QCOMPARE(demo.EventAt(first + std::uint64_t(std::llround(2 * beat))), 2);
    }

    void stopAndTempoChanges()
    {
        FakeOutput out;
        DemoPlayer demo(out);
        demo.Start(Tune(), 120);   // 24000 frames a beat, first note at 4800
        out.now = 4800 + 24000 - 12000 + 1;
        demo.Tick();               // the second note (d1 at 28800) is queued
        QCOMPARE(int(out.notes.size()), 2);
        demo.SetTempo(60);         // from the third event on: a beat is 48000 frames
        RunToEnd(demo, out, 768);
        QCOMPARE(out.notes[2].frame, std::uint64_t(4800 + 2 * 24000 + 48000));   // e1, a beat after the rest
        QCOMPARE(out.notes[3].frame, out.notes[2].frame + 48000);

        demo.Start(Tune(), 90);
        demo.Stop();
        QCOMPARE(out.cancels, 1);
        QVERIFY(!demo.Running());
        QCOMPARE(demo.Tick().event, -1);
        QVERIFY(!demo.Start(Timeline{}, 90));
    }

    void withoutAnOutputTheDemoRunsSilentlyOnTheWallClock()
    {
        FakeOutput out;
        out.rate = 0;
        qint64 ms = 5000;
        DemoPlayer demo(out, [&] { return ms; });
        demo.Start(Tune(), 60);   // a beat a second, first note 100 ms in
        QVERIFY(demo.Silent());
        ms += 1150;
        QCOMPARE(demo.Tick().event, 1);
        ms += 10000;
        QVERIFY(demo.Tick().finished);
        QVERIFY(out.notes.empty());
        QCOMPARE(out.cancels, 0);
    }

    void aNoteThatFailsStopsTheDemo()
    {
        FakeOutput out;
        out.failOn = QStringLiteral("d1");
        DemoPlayer demo(out);
        demo.Start(Tune(), 200);
        bool raised = false;
        try {
            RunToEnd(demo, out, 768);
        } catch (const TavoError&) {
            raised = true;
        }
        QVERIFY(raised);
        QVERIFY(!demo.Running());
        QCOMPARE(out.cancels, 1);
    }
};

TAVO_CORE_TEST_MAIN(TestDemoPlayer)
#include "test_demo_player.moc"
