// The demo: notes queued a little ahead on the output clock, on the beat grid of the
// tempo; stop, tempo changes, the silent stand-in clock, a note that fails to load.
#include "CoreTestSupport.h"
#include "core/Errors.h"
#include "core/formats/JianpuText.h"
#include "core/practice/DemoPlayer.h"
#include "core/practice/Judge.h"
#include "core/practice/Results.h"
#include <QFile>
#include <cmath>
#include <QTemporaryDir>
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
    std::vector<std::pair<std::uint64_t, bool>> clicks;   // frame, accent
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
    void ScheduleClick(std::uint64_t frame, bool accent) override { clicks.emplace_back(frame, accent); }
    void CancelScheduled() override { ++cancels; }
};

// 1 2 rest 3, one beat each, then 4 held two beats.
Timeline Tune()
{
    const QString text = QStringLiteral("title: t\ntime: 4/4\n1 2 0 3 | 4 - 0 0 |\n");
    return BuildTimeline(SongFromRows(ParseSongText(text, QStringLiteral("20260101")).at(0).Rows()), Sounding::InC);
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

    // 节奏: a bar of clicks, then the grid runs silently; the passage loops; the metronome
    // clicks on every beat.
    void countInClicksAndLoops()
    {
        FakeOutput out;
        DemoPlayer demo(out);
        std::vector<std::pair<int, std::uint64_t>> awaited;
        demo.OnScheduled = [&](int event, std::uint64_t frame) { awaited.emplace_back(event, frame); };
        DemoPlayer::Options o;
        o.notes = false;
        o.countIn = 3;
        o.meter = Meter{3, 4};
        o.loop = true;
        QVERIFY(demo.Start(Tune(), 120, o));   // 24000 frames a beat; 8 beats and a bar's rest a pass
        const std::uint64_t first = 4800 + 3 * 24000;
        DemoPlayer::Position at;
        for (int i = 0; i < 800 && at.pass < 2; ++i) {
            out.now += 768;
            at = demo.Tick();
            QVERIFY(!at.finished);
        }
        QVERIFY(out.notes.empty());
        QCOMPARE(int(out.clicks.size()), 3);   // the count-in only
        for (int b = 0; b < 3; ++b)
            QCOMPARE(out.clicks[size_t(b)], std::make_pair(4800 + std::uint64_t(b) * 24000, b == 0));
        QCOMPARE(awaited.at(0), std::make_pair(0, first));
        QCOMPARE(awaited.at(7), std::make_pair(0, first + 11 * 24000));   // the second pass
        QCOMPARE(awaited.at(11), std::make_pair(4, first + 15 * 24000));
        QCOMPARE(demo.EndFrame(), UINT64_MAX);

        // The metronome on a song of 8 beats: 8 clicks, accented every 4th; a held note
        // shows its key released a little before its end.
        FakeOutput out2;
        DemoPlayer metro(out2);
        DemoPlayer::Options m;
        m.clicks = true;
        metro.Start(Tune(), 120, m);
        out2.now = 4800 + 4 * 24000 + 24000;   // in the middle of the held 4
        QVERIFY(metro.Tick().down);
        out2.now = 4800 + 6 * 24000 - 100;      // just before its end
        QCOMPARE(metro.Tick().event, 4);
        QVERIFY(!metro.Tick().down);
        RunToEnd(metro, out2, 768);
        QCOMPARE(int(out2.clicks.size()), 8);
        QCOMPARE(int(std::count_if(out2.clicks.begin(), out2.clicks.end(), [](auto c) { return c.second; })), 2);
        QCOMPARE(int(out2.notes.size()), 4);
    }

    // A looped passage rests one bar before it starts again: the song rounded up to whole
    // beats, then a bar; with the metronome the rest clicks too, its first beat accented.
    void aLoopRestsABarBetweenPasses_data()
    {
        QTest::addColumn<QList<double>>("lengths");   // of the notes, in beats
        QTest::addColumn<int>("beatsPerBar");
        QTest::addColumn<bool>("clicks");
        QTest::addColumn<int>("passBeats");
        QTest::addColumn<QList<int>>("accents");   // beats of a pass with an accented click
        const QList<double> twoBars{1, 1, 1, 1, 2, 1, 1};
        QTest::newRow("two bars of 4/4, metronome") << twoBars << 4 << true << 12 << QList<int>{0, 4, 8};
        QTest::newRow("two and a half beats in 3/4") << QList<double>{1, 1, 0.5} << 3 << true << 6 << QList<int>{0, 3};
        QTest::newRow("no metronome: a silent rest") << twoBars << 4 << false << 12 << QList<int>{};
    }
    void aLoopRestsABarBetweenPasses()
    {
        QFETCH(QList<double>, lengths);
        QFETCH(int, beatsPerBar);
        QFETCH(bool, clicks);
        QFETCH(int, passBeats);
        QFETCH(QList<int>, accents);
        Timeline song;
        for (double length : lengths) {
            TimelineEvent e;
            e.cell = e.lastCell = int(song.events.size()) + 1;
            e.degree = 1;
            e.note = QStringLiteral("c1");
            e.start = song.beats;
            e.length = length;
            song.events.push_back(e);
            song.beats += length;
        }
        FakeOutput out;
        DemoPlayer demo(out);
        std::vector<std::pair<int, std::uint64_t>> scheduled;
        demo.OnScheduled = [&](int event, std::uint64_t frame) { scheduled.emplace_back(event, frame); };
        DemoPlayer::Options o;
        o.clicks = clicks;
        o.meter = Meter{beatsPerBar, 4};
        o.loop = true;
        QVERIFY(demo.Start(song, 120, o));   // 24000 frames a beat
        const std::uint64_t first = 4800, beat = 24000;
        const int n = int(song.events.size());
        bool sawRest = false;
        while (out.now < first + 2 * passBeats * beat) {
            out.now += 768;
            const DemoPlayer::Position at = demo.Tick();
            const double inPass = double(out.now - first) / beat - at.pass * passBeats;
            if (inPass > song.beats + 0.01 && inPass < passBeats - 0.01) {
                QCOMPARE(at.event, -1);   // nothing is marked in the rest
                sawRest = true;
            }
        }
        QVERIFY(sawRest);
        QCOMPARE(scheduled.at(size_t(n)), std::make_pair(0, first + std::uint64_t(passBeats) * beat));
        const auto inTwoPasses = std::count_if(out.notes.begin(), out.notes.end(), [&](const FakeOutput::Note& note) {
            return note.frame < first + 2 * std::uint64_t(passBeats) * beat;
        });
        QCOMPARE(int(inTwoPasses), 2 * int(std::count_if(song.events.begin(), song.events.end(),
                                                          [](const TimelineEvent& e) { return e.IsSounded(); })));
        if (!clicks) {
            QVERIFY(out.clicks.empty());
            return;
        }
        // A click on every beat of the first pass, the rest included, and the next pass begins accented.
        QCOMPARE_GT(int(out.clicks.size()), passBeats);
        for (int b = 0; b <= passBeats; ++b) {
            QCOMPARE(out.clicks[size_t(b)].first, first + std::uint64_t(b) * beat);
            QCOMPARE(out.clicks[size_t(b)].second, accents.contains(b % passBeats));
        }
    }

    // 节奏's count-in is one bar of the meter's pulses, the first accented: 6/8, 9/8 and 12/8
    // count dotted quarters, 3/8 three eighths; the first note comes right after the bar.
    void countInFollowsTheMeter_data()
    {
        QTest::addColumn<int>("beats");
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<double>("pulseQuarters");
        QTest::newRow("2/4") << 2 << 4 << 2 << 1.0;
        QTest::newRow("3/4") << 3 << 4 << 3 << 1.0;
        QTest::newRow("4/4") << 4 << 4 << 4 << 1.0;
        QTest::newRow("6/8 in two") << 6 << 8 << 2 << 1.5;
        QTest::newRow("3/8 in eighths") << 3 << 8 << 3 << 0.5;
        QTest::newRow("9/8 in three") << 9 << 8 << 3 << 1.5;
        QTest::newRow("2/2 in halves") << 2 << 2 << 2 << 2.0;
    }
    void countInFollowsTheMeter()
    {
        QFETCH(int, beats);
        QFETCH(int, unit);
        QFETCH(int, clicks);
        QFETCH(double, pulseQuarters);
        const Meter meter{beats, unit};
        FakeOutput out;
        DemoPlayer demo(out);
        std::vector<std::pair<int, std::uint64_t>> awaited;
        demo.OnScheduled = [&](int event, std::uint64_t frame) { awaited.emplace_back(event, frame); };
        DemoPlayer::Options o;
        o.notes = false;
        o.meter = meter;
        o.countIn = meter.Pulses();
        QVERIFY(demo.Start(Tune(), 120, o));   // 24000 frames a quarter
        RunToEnd(demo, out, 768);
        QCOMPARE(int(out.clicks.size()), clicks);
        const double pulse = pulseQuarters * 24000;
        for (int c = 0; c < clicks; ++c) {
            QCOMPARE(out.clicks[size_t(c)].first, 4800 + std::uint64_t(std::llround(c * pulse)));
            QCOMPARE(out.clicks[size_t(c)].second, c == 0);
        }
        QCOMPARE(awaited.at(0).second, 4800 + std::uint64_t(std::llround(clicks * pulse)));

        // With the metronome the song's 8 quarters click on the same pulses, every bar's first accented.
        FakeOutput out2;
        DemoPlayer metro(out2);
        DemoPlayer::Options m;
        m.clicks = true;
        m.meter = meter;
        QVERIFY(metro.Start(Tune(), 120, m));
        RunToEnd(metro, out2, 768);
        const int songPulses = int(std::ceil(8 / pulseQuarters - 1e-9));
        QCOMPARE(int(out2.clicks.size()), songPulses);
        for (int c = 0; c < songPulses; ++c) {
            QCOMPARE(out2.clicks[size_t(c)].first, 4800 + std::uint64_t(std::llround(c * pulse)));
            QCOMPARE(out2.clicks[size_t(c)].second, c % meter.Pulses() == 0);
        }
    }

    // Each note against its place on the grid: a press 0..80 ms off is 准, to 200 ms 早 or
    // 晚, beyond that it is no press of this note (the note is missed when its window closes).
    void judgeAgainstTheGrid_data()
    {
        QTest::addColumn<QString>("note");
        QTest::addColumn<int>("offsetMs");
        QTest::addColumn<int>("verdict");
        const int exact = int(Judge::Verdict::Exact), early = int(Judge::Verdict::Early),
                  late = int(Judge::Verdict::Late), miss = int(Judge::Verdict::Miss), none = int(Judge::Verdict::None);
        QTest::newRow("on the beat") << "c1" << 0 << exact;
        QTest::newRow("80 ms early") << "c1" << -80 << exact;
        QTest::newRow("80 ms late") << "c1" << 80 << exact;
        QTest::newRow("81 ms early") << "c1" << -81 << early;
        QTest::newRow("199 ms early") << "c1" << -199 << early;
        QTest::newRow("150 ms late") << "c1" << 150 << late;
        QTest::newRow("201 ms late") << "c1" << 201 << none;
        QTest::newRow("300 ms early") << "c1" << -300 << none;
        QTest::newRow("a wrong pitch on the beat") << "d1" << 0 << miss;
    }
    void judgeAgainstTheGrid()
    {
        QFETCH(QString, note);
        QFETCH(int, offsetMs);
        QFETCH(int, verdict);
        Judge j;
        j.Start(48000);
        j.Expect(0, QStringLiteral("c1"), 96000);
        j.Expect(1, QString(), 120000);   // a rest is never awaited
        const Judge::Result r = j.Play(note, std::uint64_t(96000 + offsetMs * 48));
        QCOMPARE(int(r.verdict), verdict);
        if (r.verdict != Judge::Verdict::None)
            QCOMPARE(r.offsetMs, double(offsetMs));
        j.Expire(96000 + 200 * 48 + 1);
        const Judge::Tally& t = j.Counts();
        QCOMPARE(t.Total(), 1);   // one note awaited, one verdict, played or not
        QCOMPARE(t.miss, r.verdict == Judge::Verdict::Miss || r.verdict == Judge::Verdict::None ? 1 : 0);
        QCOMPARE(j.Awaited(), 0);
    }

    // Repeated notes: each press takes the nearest of its pitch; a wrong pitch takes the
    // nearest note; what is left at the end is missed.
    void judgeRepeatedNotesAndTheRest()
    {
        Judge j;
        j.Start(1000);   // frames are milliseconds
        for (int i = 0; i < 4; ++i)
            j.Expect(i, i < 3 ? QStringLiteral("c1") : QStringLiteral("g1"), std::uint64_t(1000 + 250 * i));
        QCOMPARE(j.Play(QStringLiteral("c1"), 1260).event, 1);   // late for the first, on time for the second
        QCOMPARE(j.Play(QStringLiteral("c1"), 1010).event, 0);
        const Judge::Result wrong = j.Play(QStringLiteral("a1"), 1740);
        QCOMPARE(wrong.event, 3);
        QCOMPARE(int(wrong.verdict), int(Judge::Verdict::Miss));
        QCOMPARE(j.Expire(1300), std::vector<int>{});
        j.Finish();   // the third 1 was never played
        const Judge::Tally& t = j.Counts();
        QCOMPARE(Judge::Summary(t), QStringLiteral("准 2 个，早 0 个，晚 0 个，漏 2 个"));
    }

    // The best results file: kept per title, only a better result replaces it, and a file
    // from elsewhere is read within bounds.
    void bestResults()
    {
        QTemporaryDir dir;
        {
            Results r(dir.path());
            QVERIFY(r.OfferFollow(QStringLiteral("小星星"), {14, 2, 40'000}));
            QVERIFY(!r.OfferFollow(QStringLiteral("小星星"), {14, 3, 20'000}));
            QVERIFY(r.OfferFollow(QStringLiteral("小星星"), {14, 2, 30'000}));
            QVERIFY(r.OfferRhythm(QStringLiteral("小星星"), {10, 2, 1, 1}));
            QVERIFY(!r.OfferRhythm(QStringLiteral("小星星"), {9, 3, 1, 1}));
            QVERIFY(!r.OfferRhythm(QStringLiteral("欢乐颂"), {}));
        }
        Results again(dir.path());
        QCOMPARE(Results::FollowText(*again.BestFollow(QStringLiteral("小星星"))),
                 QStringLiteral("最佳 正确 14 个，错误 2 个，用时 0:30"));
        QCOMPARE(Results::RhythmText(*again.BestRhythm(QStringLiteral("小星星"))),
                 QStringLiteral("最佳 准 10 个，早 2 个，晚 1 个，漏 1 个"));
        QVERIFY(!again.BestFollow(QStringLiteral("欢乐颂")));

        // Lines that are not results are passed over; a file over the bound is not read.
        QFile f(again.FilePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("F\ta\t-1\t0\t5\nF\tb\t3\t0\nR\tc\t1\t2\t3\t99999999999\nF\td\t3\t1\t9000\n"
                "F\t\t1\t1\t1\nR\te\tx\t1\t1\t1\n\x01\xff\n");
        f.close();
        again.Load(dir.path());
        for (const char* t : {"a", "b", "c", "e", ""})
            QVERIFY(!again.BestFollow(QString::fromLatin1(t)) && !again.BestRhythm(QString::fromLatin1(t)));
        QCOMPARE(again.BestFollow(QStringLiteral("d"))->ms, 9000);
        QVERIFY(f.open(QIODevice::Append));
        f.write(QByteArray(Results::MaxFileBytes, 'F'));
        f.close();
        again.Load(dir.path());
        QVERIFY(!again.BestFollow(QStringLiteral("d")));
    }

    // Each song's last tempo is kept beside its results, on a line of its own kind; a title
    // that holds "%2" keeps its numbers where they belong.
    void tempoKeptBesideTheResults()
    {
        QTemporaryDir dir;
        const QString odd = QStringLiteral("百分%2之%1");
        {
            Results r(dir.path());
            QVERIFY(!r.Tempo(QStringLiteral("小星星")));
            r.KeepTempo(QStringLiteral("小星星"), 120);
            r.KeepTempo(QStringLiteral("小星星"), 72);
            r.KeepTempo(QStringLiteral("欢乐颂"), 900);   // held to the demo's range
            QVERIFY(r.OfferFollow(odd, {5, 1, 61'000}));
            r.KeepTempo(odd, 60);
        }
        Results again(dir.path());
        QCOMPARE(again.Tempo(QStringLiteral("小星星")), std::optional<int>(72));
        QCOMPARE(again.Tempo(QStringLiteral("欢乐颂")), std::optional<int>(DemoPlayer::MaxTempo));
        QCOMPARE(again.Tempo(odd), std::optional<int>(60));
        QCOMPARE(Results::FollowText(*again.BestFollow(odd)), QStringLiteral("最佳 正确 5 个，错误 1 个，用时 1:01"));

        // Tempo lines out of range or of the wrong shape are passed over; results around them stay.
        QFile f(again.FilePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("T\ta\t39\nT\tb\t201\nT\tc\tfast\nT\td\t100\t1\nF\te\t3\t1\t9000\nT\te\t100\n");
        f.close();
        again.Load(dir.path());
        for (const char* t : {"a", "b", "c", "d"})
            QVERIFY(!again.Tempo(QString::fromLatin1(t)));
        QCOMPARE(again.Tempo(QStringLiteral("e")), std::optional<int>(100));
        QCOMPARE(again.BestFollow(QStringLiteral("e"))->right, 3);
    }
};

TAVO_CORE_TEST_MAIN(TestDemoPlayer)
#include "test_demo_player.moc"
