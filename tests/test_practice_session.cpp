// The rules of 示范, 跟弹 and 节奏 without a window: what is marked, lit, flashed and said,
// loops, the count-in, the page turn, and which results are kept as a song's best.
#include "CoreTestSupport.h"
#include "core/formats/JianpuText.h"
#include "core/practice/PracticeSession.h"
#include "core/sound/NotePlayer.h"
#include <QRegularExpression>

using Mode = PracticeSession::Mode;

namespace {

struct FakeOutput final : INoteScheduler {
    std::uint64_t now = 0;
    int notes = 0, clicks = 0;
    QString failOn;   // a note whose sound cannot be loaded
    int OutputRate() override { return 48000; }
    std::uint64_t OutputFrame() override { return now; }
    void ScheduleNote(const QString& note, std::uint64_t) override
    {
        if (note == failOn)
            Raise(QStringLiteral("无法打开声音文件"));
        ++notes;
    }
    void ScheduleClick(std::uint64_t, bool) override { ++clicks; }
    void CancelScheduled() override {}
};

const QString Twinkle = QStringLiteral("title: 小星星\ntime: 4/4\n1 1 5 5 | 6 6 5 - | 4 4 3 3 | 2 2 1 - |\n");

SongTableType Rows(const QString& text)
{
    return SongTextRows(ParseSongText(text, QStringLiteral("20260101")));
}

// A song of quarter notes written as stored rows: degree, and octave 0 low, 1 middle, 2 high.
SongTableType QuarterNotes(const QString& title, const QList<std::pair<int, int>>& notes)
{
    SongTableType rows(1);
    rows[0].SongID = 1;
    rows[0].SongName = title;
    rows[0].Conn = 1;
    rows[0].InfoType = QStringLiteral("0");
    rows[0].SongDate = QStringLiteral("20260101");
    for (const auto& [degree, octave] : notes) {
        SongRecord r;
        r.SongID = 1;
        r.SeqID = int(rows.size());
        r.SongNote = QString::number(degree);
        r.OpernLong = QStringLiteral("0");
        r.OpernHigh = QString::number(octave);
        r.InfoType = QStringLiteral("1");
        rows.push_back(r);
    }
    return rows;
}

// A session on song 1 of a table, with the view, the clock and what it signals kept here.
struct Rig {
    RecordingDialogs dialogs;
    FakeOutput out;
    SongTableType table;
    int shown = 1;
    int page = 1;
    QString title = QStringLiteral("小星星");
    qint64 ms = 0;
    QList<int> turns;        // pages the session turned the view to
    QString line, best;      // what is said now
    QList<int> marks;        // every markCell, 0 for none
    QList<int> flashes;
    QStringList wrongKeys, demoDown, demoUp;
    QString awaited;
    QList<QStringList> runs;
    QList<Mode> modes;
    PracticeSession s;

    explicit Rig(const QString& text) : Rig(Rows(text)) {}
    explicit Rig(SongTableType rows)
        : table(std::move(rows)), s(dialogs, table, out,
                                    PracticeSession::View{[this] { return shown; }, [this] { return page; },
                                                          [this](int p) {
                                                              turns << p;
                                                              page = p;
                                                          },
                                                          [this] { return title; }},
                                    [this] { return ms; })
    {
        QObject::connect(&s, &PracticeSession::say, &s, [this](const QString& t, const QString& b) {
            line = t;
            best = b;
        });
        QObject::connect(&s, &PracticeSession::markCell, &s, [this](int c) { marks << c; });
        QObject::connect(&s, &PracticeSession::flashWrong, &s, [this](int c) { flashes << c; });
        QObject::connect(&s, &PracticeSession::wrongKey, &s, [this](const QString& n) { wrongKeys << n; });
        QObject::connect(&s, &PracticeSession::awaitedKey, &s, [this](const QString& n) { awaited = n; });
        QObject::connect(&s, &PracticeSession::demoKey, &s, [this](const QString& n, bool down) {
            (down ? demoDown : demoUp) << n;
        });
        QObject::connect(&s, &PracticeSession::runNotes, &s, [this](const QStringList& n) { runs << n; });
        QObject::connect(&s, &PracticeSession::modeChanged, &s, [this](Mode m) { modes << m; });
    }

    // Plays the note 跟弹 awaits until it ends (or the guard runs out).
    void FollowToEnd()
    {
        for (int guard = 0; s.Running() == Mode::Follow && guard < 200; ++guard)
            s.NotePlayed(s.Follow().Song().events[size_t(s.Follow().Target())].note);
    }
    // Steps the output clock 10 ms a tick until the mode ends (or the guard runs out).
    void TickToEnd()
    {
        for (int guard = 0; s.Running() != Mode::None && guard < 100000; ++guard) {
            out.now += 480;
            s.DemoTick();
        }
    }
};

} // namespace

class TestPracticeSession : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // 小星星: 1 1 5 5 | 6 6 5 - | 4 4 3 3 | ...; right keys move the box, a wrong one flashes;
    // the bar line is passed over and the dash holds the third 5.
    void followAwaitsFlashesAndSummarises()
    {
        Rig r(Twinkle);
        r.s.FollowClick();
        QCOMPARE(r.s.Running(), Mode::Follow);
        QCOMPARE(r.modes.last(), Mode::Follow);
        QCOMPARE(r.s.MarkedCell(), 1);
        QCOMPARE(r.awaited, QStringLiteral("c1"));
        QCOMPARE(r.line, QStringLiteral("请弹方框里的音"));
        QCOMPARE(r.runs.size(), 1);   // each note once
        QCOMPARE(r.runs[0], (QStringList{"c1", "g1", "a1", "f1", "e1", "d1"}));

        r.s.NotePlayed(QStringLiteral("c1"));
        r.s.NotePlayed(QStringLiteral("c1"));
        QCOMPARE(r.s.MarkedCell(), 3);
        QCOMPARE(r.awaited, QStringLiteral("g1"));
        r.s.NotePlayed(QStringLiteral("d1"));   // where g1 is awaited
        QCOMPARE(r.s.MarkedCell(), 3);
        QCOMPARE(r.flashes, QList<int>{3});
        QCOMPARE(r.wrongKeys, QStringList{"d1"});
        for (const char* n : {"g1", "g1", "a1", "a1", "g1"})
            r.s.NotePlayed(QString::fromLatin1(n));
        QCOMPARE(r.s.MarkedCell(), 11);
        r.s.NotePlayed(QStringLiteral("f1"));
        QCOMPARE(r.s.MarkedCell(), 12);

        r.ms = 65000;
        r.FollowToEnd();
        QCOMPARE(r.s.Running(), Mode::None);
        QCOMPARE(r.modes.last(), Mode::None);
        QCOMPARE(r.marks.last(), 0);
        QVERIFY(r.awaited.isEmpty());
        const auto notes = std::count_if(r.s.Follow().Song().events.begin(), r.s.Follow().Song().events.end(),
                                         [](const TimelineEvent& e) { return e.IsSounded(); });
        QCOMPARE(r.line, QStringLiteral("正确 %1 个，错误 1 个，用时 1:05").arg(notes));
        QCOMPARE(r.best, QStringLiteral("最佳 ") + r.line);   // the first is the best
        r.s.NotePlayed(QStringLiteral("c1"));   // playing on leaves the summary standing
        QVERIFY(!r.line.isEmpty());
        r.s.Stop();
        QVERIFY(r.line.isEmpty() && r.best.isEmpty());

        // A worse run is said, and the best stays.
        r.s.FollowClick();
        r.s.NotePlayed(QStringLiteral("b1"));
        r.s.NotePlayed(QStringLiteral("b1"));
        r.FollowToEnd();
        QVERIFY(r.line.contains(QStringLiteral("错误 2 个")));
        QVERIFY(r.best.contains(QStringLiteral("错误 1 个")));
    }

    // Only a run through the whole song may be its best: not 跟弹 or 节奏 stopped half
    // way, nor one started from a pick or a later page.
    void onlyWholeRunsAreKept()
    {
        Rig r(Twinkle);
        const QString title = r.title;
        r.s.FollowClick();
        r.s.NotePlayed(QStringLiteral("c1"));
        QCOMPARE(r.s.MarkedCell(), 2);
        r.s.Stop();
        QVERIFY(!r.s.Best().BestFollow(title));

        r.s.CellClicked(2, false);   // from the second note: not the whole song
        r.s.FollowClick();
        QCOMPARE(r.s.MarkedCell(), 2);
        r.FollowToEnd();
        QVERIFY(r.line.startsWith(QStringLiteral("正确 ")));
        QVERIFY(!r.s.Best().BestFollow(title));
        r.s.ClearPick();

        // 节奏 stopped while it counts in: nothing awaited yet, nothing kept.
        r.s.RhythmClick();
        QCOMPARE(r.s.Running(), Mode::Rhythm);
        QCOMPARE(r.line, QStringLiteral("听完一小节拍子后开始弹"));
        r.s.RhythmClick();
        QCOMPARE(r.s.Running(), Mode::None);
        QCOMPARE(r.line, QStringLiteral("准 0 个，早 0 个，晚 0 个，漏 0 个"));
        QVERIFY(r.best.isEmpty());
        QVERIFY(!r.s.Best().BestRhythm(title));

        // Played out, every note let pass: kept, and shown as the best.
        r.s.RhythmClick();
        r.TickToEnd();
        QCOMPARE(r.s.Running(), Mode::None);
        QVERIFY(r.line.startsWith(QStringLiteral("准 0 个，早 0 个，晚 0 个，漏 ")));
        QVERIFY(r.s.Best().BestRhythm(title));
        QCOMPARE(r.best, QStringLiteral("最佳 ") + r.line);
        QVERIFY(r.s.Best().BestFollow(title) == std::nullopt);
    }

    // 节奏 counts in a bar of clicks, then counts as it goes: a note let pass is counted
    // while the grid runs on; a wrong note against a due one flashes its cell.
    void rhythmCountsInAndShowsARunningCount()
    {
        Rig r(Twinkle);
        r.s.RhythmClick();
        QCOMPARE(r.out.notes, 0);   // silent: the player plays
        QCOMPARE(r.runs.size(), 1);
        for (int guard = 0; !r.line.startsWith(QStringLiteral("漏")) && guard < 10000; ++guard) {
            r.out.now += 480;
            r.s.DemoTick();
        }
        QVERIFY2(r.line.startsWith(QStringLiteral("漏　准 0 · 早 0 · 晚 0 · 漏 ")), qPrintable(r.line));
        QVERIFY(r.out.clicks >= 4);   // the count-in, with the metronome off
        QVERIFY(r.s.MarkedCell() > 0);
        r.s.RhythmClick();
        QVERIFY(r.line.startsWith(QStringLiteral("准 0 个，早 0 个，晚 0 个，漏 ")));
        QCOMPARE(r.marks.last(), 0);
    }

    // The count-in is one bar of the song's own meter, in its pulses (the metronome off).
    void rhythmCountsInTheSongsMeter_data()
    {
        QTest::addColumn<QString>("time");
        QTest::addColumn<int>("clicks");
        QTest::newRow("2/4") << QStringLiteral("2/4") << 2;
        QTest::newRow("3/4") << QStringLiteral("3/4") << 3;
        QTest::newRow("6/8 in two") << QStringLiteral("6/8") << 2;
        QTest::newRow("12/8 in four") << QStringLiteral("12/8") << 4;
    }
    void rhythmCountsInTheSongsMeter()
    {
        QFETCH(QString, time);
        QFETCH(int, clicks);
        const QString text = QStringLiteral("title: 拍子\ntime: %1\n1 2 3 4 5 6 |\n").arg(time);
        JianpuParse parse = ParseJianpu(text, JianpuOptions{JianpuMode::Paste, QStringLiteral("20260101")});
        QVERIFY(parse.ok());
        const Song& song = parse.songs.at(0).song;
        const SongMarkTable marks = SongToMarks(song, 1);
        Rig r(SongTableType(SongToRows(song, 1, QStringLiteral("20260101"))));
        r.s.SetMarks(marks);
        r.s.RhythmClick();
        QCOMPARE(r.s.Running(), Mode::Rhythm);
        r.TickToEnd();
        QCOMPARE(r.out.clicks, clicks);
    }

    // The keys are numbered from C, so a song in D is practised with 1 on C unless the learner
    // asks for the song's own key; a sign moves the awaited key either way.
    void degreesSoundFromCUnlessTheSongsKeyIsAsked()
    {
        JianpuParse parse = ParseJianpu(QStringLiteral("title: 调\n1=D 2/4\n1 #4 | 5 - |\n"),
                                        JianpuOptions{JianpuMode::Paste, QStringLiteral("20260101")});
        QVERIFY(parse.ok());
        const Song& song = parse.songs.at(0).song;
        const SongMarkTable marks = SongToMarks(song, 1);   // the session reads them where they are
        for (const bool songKey : {false, true}) {
            Rig r(SongTableType(SongToRows(song, 1, QStringLiteral("20260101"))));
            r.s.SetMarks(marks);
            r.s.SetSoundInSongKey(songKey);
            r.s.FollowClick();
            QStringList awaited{r.awaited};
            for (int i = 0; i < 2; ++i) {
                r.s.NotePlayed(r.awaited);
                awaited << r.awaited;
            }
            QCOMPARE(awaited, songKey
                                  ? QStringList({QStringLiteral("d1"), QStringLiteral("g#1"), QStringLiteral("a1")})
                                  : QStringList({QStringLiteral("c1"), QStringLiteral("f#1"), QStringLiteral("g1")}));
        }
    }

    // A passage picked loops: 跟弹 starts it over with each pass's own count, 示范 plays it
    // again. A pick is ignored while a mode runs.
    void passagesLoop()
    {
        Rig r(Twinkle);
        r.s.CellClicked(5, false);
        r.s.CellClicked(8, true);
        QVERIFY(r.s.Pick().Loops());
        r.s.FollowClick();
        QCOMPARE(r.s.MarkedCell(), 6);
        r.s.CellClicked(2, false);
        QCOMPARE(r.s.Pick().First(), 5);
        for (const char* n : {"a1", "a1", "g1"})
            r.s.NotePlayed(QString::fromLatin1(n));
        QCOMPARE(r.s.MarkedCell(), 6);   // once more from the top
        QVERIFY(r.line.startsWith(QStringLiteral("正确 3 个，错误 0 个")));
        QCOMPARE(r.s.Running(), Mode::Follow);

        r.s.DemoClick();
        QCOMPARE(r.s.Running(), Mode::Demo);
        QCOMPARE(r.s.Demo().Song().events.size(), size_t(3));
        for (int guard = 0; r.demoDown.count(QStringLiteral("a1")) < 3 && guard < 20000; ++guard) {
            r.out.now += 480;
            r.s.DemoTick();
        }
        QCOMPARE(r.demoDown.count(QStringLiteral("a1")), 3);   // a second pass
        QCOMPARE(r.s.Running(), Mode::Demo);
        r.s.Stop();
        QCOMPARE(r.demoDown.size(), r.demoUp.size());   // every key let up
    }

    // 示范 marks the sounding cell and lets its key down; it plays out or is pressed again.
    // With no song on view nothing runs; a page with no notes says so.
    void demoMarksAndEnds()
    {
        Rig r(Twinkle);
        r.shown = 0;
        r.s.DemoClick();
        r.s.FollowClick();
        r.s.RhythmClick();
        QCOMPARE(r.s.Running(), Mode::None);
        r.shown = 1;

        r.s.DemoClick();
        QCOMPARE(r.s.Running(), Mode::Demo);
        QVERIFY(r.line.isEmpty());
        r.TickToEnd();
        QCOMPARE(r.s.Running(), Mode::None);
        QCOMPARE(r.demoDown.first(), QStringLiteral("c1"));
        QCOMPARE(r.demoDown.size(), r.demoUp.size());
        QList<int> cells;
        for (int c : r.marks)
            if (c > 0 && !cells.contains(c))
                cells << c;
        QCOMPARE(cells.mid(0, 4), (QList<int>{1, 2, 3, 4}));
        QVERIFY(!cells.contains(5));   // never a bar line
        QCOMPARE(r.marks.last(), 0);

        r.s.DemoClick();
        r.out.now += 48000;
        r.s.DemoTick();
        QVERIFY(r.s.MarkedCell() > 0);
        r.s.DemoClick();   // pressed again
        QCOMPARE(r.s.Running(), Mode::None);
        QCOMPARE(r.s.MarkedCell(), 0);

        r.page = 2;
        r.s.DemoClick();
        QCOMPARE(r.line, QStringLiteral("从这一页起没有音符"));
        r.s.FollowClick();
        QCOMPARE(r.line, QStringLiteral("从这一页起没有可弹的音"));
        r.s.RhythmClick();
        QCOMPARE(r.line, QStringLiteral("从这一页起没有音符"));
        QCOMPARE(r.s.Running(), Mode::None);
    }

    // The session's own timer walks the demo; a note that fails to load stops it, and the
    // error is shown rather than thrown through the event loop.
    void aNoteThatFailsStopsTheDemo()
    {
        Rig r(Twinkle);
        r.out.failOn = QStringLiteral("g1");   // the third note, scheduled after the start
        r.s.DemoClick();
        QCOMPARE(r.s.Running(), Mode::Demo);
        r.out.now = 3 * 48000;
        QTRY_COMPARE(r.s.Running(), Mode::None);
        QCOMPARE(r.dialogs.errors, QStringList{QStringLiteral("无法打开声音文件")});
        QCOMPARE(r.marks.last(), 0);
        QCOMPARE(r.demoDown.size(), r.demoUp.size());
    }

    // A song over a page, with a note no sample plays: the mode says so, passes over it
    // and turns the page; started on page 2, it begins at that page's first cell.
    void followTurnsThePageAndPassesOverUnsoundedNotes()
    {
        QList<std::pair<int, int>> notes(110, {1, 1});
        notes[2] = {7, 2};   // cell 3: a high 7, no sample
        Rig r(QuarterNotes(QStringLiteral("长歌"), notes));
        r.s.FollowClick();
        QVERIFY(r.line.contains(QStringLiteral("1 个音")));
        r.s.NotePlayed(QStringLiteral("c1"));
        QCOMPARE(r.s.MarkedCell(), 2);
        r.s.NotePlayed(QStringLiteral("c1"));
        QCOMPARE(r.s.MarkedCell(), 4);
        for (int n = 4; n <= 105; ++n)
            r.s.NotePlayed(QStringLiteral("c1"));
        QCOMPARE(r.s.MarkedCell(), 106);
        QCOMPARE(r.turns, QList<int>{2});
        QCOMPARE(r.page, 2);

        r.s.Stop();
        r.s.FollowClick();
        QCOMPARE(r.s.MarkedCell(), 106);
        QCOMPARE(r.s.Follow().Song().events.size(), size_t(5));
    }

    // The wide keyboard opened for the run is said beside the mode's line.
    void wideKeysAreSaidBesideTheLine()
    {
        Rig r(Twinkle);
        r.s.FollowClick();
        r.s.WideKeysOpened(true);
        QCOMPARE(r.line, QStringLiteral("请弹方框里的音"));
        QCOMPARE(r.best, QStringLiteral("这首歌有低音，已打开宽键盘"));
        r.s.WideKeysOpened(false);
        QCOMPARE(r.best, QStringLiteral("这首歌有高音，已打开宽键盘"));
    }

    // Each song's last tempo is kept once the changes rest, or at once when another song
    // is opened, and comes back when it is opened; a song with none keeps the tempo in use.
    void tempoKeptForEachSong()
    {
        QTemporaryDir dir;
        QList<int> restored;
        {
            Rig r(Twinkle);
            r.s.Best().Load(dir.path());
            QObject::connect(&r.s, &PracticeSession::tempoRestored, &r.s, [&](int t) { restored << t; });
            r.s.SongOpened(QStringLiteral("甲"));
            r.s.SetTempo(120);
            r.s.SongOpened(QStringLiteral("乙"));
            QCOMPARE(Results(dir.path()).Tempo(QStringLiteral("甲")), std::optional<int>(120));
            QVERIFY(restored.isEmpty());
            QCOMPARE(r.s.Tempo(), 120);
            r.s.SetTempo(60);
            QTRY_COMPARE(Results(dir.path()).Tempo(QStringLiteral("乙")), std::optional<int>(60));
            r.s.SongOpened(QStringLiteral("甲"));
            QCOMPARE(restored, QList<int>{120});
            QCOMPARE(r.s.Demo().Tempo(), 120);
            r.s.SetTempo(300);
            QCOMPARE(r.s.Tempo(), DemoPlayer::MaxTempo);
        }   // a change not yet at rest is kept as the session ends
        QCOMPARE(Results(dir.path()).Tempo(QStringLiteral("甲")), std::optional<int>(DemoPlayer::MaxTempo));
    }
};

TAVO_CORE_TEST_MAIN(TestPracticeSession)
#include "test_practice_session.moc"
