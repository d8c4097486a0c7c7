// The song as timed notes (the rules of numbered notation, pages, notes with no sample),
// and the follow mode that waits for each right note.
#include "CoreTestSupport.h"
#include "core/library/SongText.h"
#include "core/practice/FollowMode.h"
#include "core/score/Timeline.h"

namespace {

// The rows of one song written in the starter-library notation.
SongTableType Song(const QString& notes, const QString& time = QStringLiteral("4/4"))
{
    const QString text = QStringLiteral("title: t\ntime: %1\n%2\n").arg(time, notes);
    return ParseSongText(text, QStringLiteral("20260101")).at(0).rows;
}

// Each event as "cell:note@start+length", "cell~last" when it holds later cells; a rest
// is "0", a note with no sample "?".
QString Describe(const Timeline& t)
{
    QStringList out;
    for (const TimelineEvent& e : t.events) {
        const QString cells = e.lastCell == e.cell ? QString::number(e.cell)
                                                   : QStringLiteral("%1~%2").arg(e.cell).arg(e.lastCell);
        const QString note = e.IsRest() ? QStringLiteral("0") : e.NoSample() ? QStringLiteral("?") : e.note;
        out << QStringLiteral("%1:%2@%3+%4").arg(cells, note).arg(e.start).arg(e.length);
    }
    return out.join(u' ');
}

} // namespace

class TestTimeline : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rulesOfTheNotation_data()
    {
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("unsounded");
        QTest::newRow("one beat, halved per underline")
            << "1 1_ 1__ 1__ |" << "2/4" << "1:c1@0+1 2:c1@1+0.5 3:c1@1.5+0.25 4:c1@1.75+0.25" << 0;
        QTest::newRow("a dot adds half of the note")
            << "5. 5_ | 5_. 5__ 5 |" << "2/4" << "1~2:g1@0+1.5 3:g1@1.5+0.5 5~6:g1@2+0.75 7:g1@2.75+0.25 8:g1@3+1"
            << 0;
        QTest::newRow("dashes hold; bar lines and spaces take no time")
            << "1 - - - | ~ 2 - 0 3 |" << "4/4" << "1~4:c1@0+4 7~8:d1@4+2 9:0@6+1 10:e1@7+1" << 0;
        QTest::newRow("a dash holds a rest too") << "0 - 1 2 |" << "4/4" << "1~2:0@0+2 3:c1@2+1 4:d1@3+1" << 0;
        QTest::newRow("the three octaves")
            << "1, 7, 1' 4' | 5, 1 7 3' |" << "4/4" << "1:c@0+1 2:b@1+1 3:c2@2+1 4:f2@3+1 6:g@4+1 7:c1@5+1 8:b1@6+1 9:e2@7+1"
            << 0;
        QTest::newRow("upper 5 to 7 have no sample")
            << "5' 6' 7' 4' |" << "4/4" << "1:?@0+1 2:?@1+1 3:?@2+1 4:f2@3+1" << 3;
        QTest::newRow("an arc over one pitch ties")
            << "(5 5) (5 6) |" << "4/4" << "1~2:g1@0+2 3:g1@2+1 4:a1@3+1" << 0;
        QTest::newRow("a tie over a bar line and dashes")
            << "1 2 3 (5 | 5) - - 0 |" << "4/4" << "1:c1@0+1 2:d1@1+1 3:e1@2+1 4~8:g1@3+4 9:0@7+1" << 0;
        QTest::newRow("another octave is another pitch")
            << "(5 5,) (3_ 3_ 3) |" << "4/4" << "1:g1@0+1 2:g@1+1 3~5:e1@2+2" << 0;
    }
    void rulesOfTheNotation()
    {
        QFETCH(QString, notes);
        QFETCH(QString, time);
        QFETCH(QString, expected);
        QFETCH(int, unsounded);
        const Timeline t = BuildTimeline(Song(notes, time), 1);
        QCOMPARE(Describe(t), expected);
        QCOMPARE(t.unsounded, unsounded);
        QCOMPARE(t.beats, t.events.back().End());
    }

    void startCellsAndTheEndOfTheSong_data()
    {
        QTest::addColumn<int>("startCell");
        QTest::addColumn<QString>("expected");
        // Cells 1..102 are 34 bars of "1 2 |"; then 103 "3", 104 "-", 105 "|", 106 "-",
        // 107 "-", 108 "|", 109 "4", 110 "5", 111 "|".
        QTest::newRow("a held note runs over the page end") << 100 << "100:c1@0+1 101:d1@1+1 103~107:e1@2+4 109:f1@6+1 110:g1@7+1";
        QTest::newRow("a page that starts inside a held note starts at the next note") << 106 << "109:f1@0+1 110:g1@1+1";
        QTest::newRow("past the last note") << 111 << "";
    }
    void startCellsAndTheEndOfTheSong()
    {
        QFETCH(int, startCell);
        QFETCH(QString, expected);
        const SongTableType rows = Song(QStringLiteral("1 2 |").repeated(34) + QStringLiteral("3 - | - - | 4 5 |"), QStringLiteral("2/4"));
        const Timeline t = BuildTimeline(rows, 1, startCell);
        QCOMPARE(Describe(t), expected);
        if (startCell == 100) {
            QCOMPARE(PageOfCell(t.events[2].cell), 1);
            QCOMPARE(PageOfCell(t.events[3].cell), 2);
        }
    }

    void onlyTheSongsCellsUpToABlankOrTheViewsLastCell()
    {
        // Other songs, headers and notices around it take no place.
        SongTableType rows = Song(QStringLiteral("1 2 3 4 |"));
        SongTableType other = Song(QStringLiteral("7 7 7 7 |"));
        for (SongRecord& r : other)
            r.SongID = 2;
        SongRecord notice = rows.back();
        notice.InfoType = QStringLiteral("9");
        SongRecord blank = rows[1];
        ResetToBlank(blank);
        blank.SongID = 1;
        SongTableType table = other;
        table.insert(table.end(), rows.begin(), rows.begin() + 3);   // header, 1, 2
        table.push_back(notice);
        table.insert(table.end(), rows.begin() + 3, rows.end());     // 3, 4, |
        table.push_back(blank);
        table.push_back(rows[1]);
        QCOMPARE(Describe(BuildTimeline(table, 1)), QStringLiteral("1:c1@0+1 2:d1@1+1 3:e1@2+1 4:f1@3+1"));

        const Timeline longSong = BuildTimeline(Song(QStringLiteral("1 2 |").repeated(200), QStringLiteral("2/4")), 1);
        QCOMPARE(longSong.events.back().cell, 524);   // 525 is a bar line; the view stops there
        QVERIFY(BuildTimeline(table, 3).events.empty());
    }

    // ---- Follow mode ----
    void followModeWaitsForEachRightNote()
    {
        // 1, rests, 3 tied over the bar, high 6 (no sample), 5: rests, the bar line, the tied
        // note, the dash and the unsounded note are passed over.
        const Timeline t = BuildTimeline(Song(QStringLiteral("1 0 0 (3 | 3) 6' - 5 |")), 1);
        FollowMode f;
        QVERIFY(f.Start(t));
        QCOMPARE(f.TargetCell(), 1);
        struct Step {
            const char* key;
            FollowMode::Press result;
            int cell;   // awaited afterwards, 0 when done
        };
        const Step steps[] = {
            {"c1", FollowMode::Press::Right, 4},  {"", FollowMode::Press::Ignored, 4},
            {"C", FollowMode::Press::Ignored, 4}, {"d1", FollowMode::Press::Wrong, 4},
            {"e", FollowMode::Press::Wrong, 4},   {"e1", FollowMode::Press::Right, 9},
            {"g1", FollowMode::Press::Right, 0},  {"g1", FollowMode::Press::Ignored, 0},
        };
        for (const Step& s : steps) {
            QCOMPARE(f.Play(QString::fromLatin1(s.key)), s.result);
            QCOMPARE(f.TargetCell(), s.cell);
        }
        QVERIFY(f.Finished());
        QVERIFY(!f.Running());
        QCOMPARE(f.RightCount(), 3);
        QCOMPARE(f.WrongCount(), 2);
        QCOMPARE(f.Summary(83'999), QStringLiteral("正确 3 个，错误 2 个，用时 1:23"));
        QCOMPARE(f.Summary(3'600'000 + 5'000), QStringLiteral("正确 3 个，错误 2 个，用时 60:05"));

        // Starting again counts afresh; a song with nothing to play does not start.
        QVERIFY(f.Start(t));
        QVERIFY(!f.Finished());
        QCOMPARE(f.RightCount() + f.WrongCount(), 0);
        QVERIFY(!f.Start(BuildTimeline(Song(QStringLiteral("0 0 6' 7' |")), 1)));
        QCOMPARE(f.Play(QStringLiteral("c1")), FollowMode::Press::Ignored);
    }
};

TAVO_CORE_TEST_MAIN(TestTimeline)
#include "test_timeline.moc"
