// The song as timed notes (the rules of numbered notation, pages, notes with no sample),
// and the follow mode that waits for each right note.
#include "CoreTestSupport.h"
#include "core/Errors.h"
#include "core/formats/Conversion.h"
#include "core/formats/JianpuText.h"
#include "core/formats/MidiFile.h"
#include "core/practice/FollowMode.h"
#include "core/practice/Passage.h"
#include "core/score/Timeline.h"

namespace {

// The rows of one song written in the starter-library notation.
SongTableType TextRows(const QString& notes, const QString& time = QStringLiteral("4/4"))
{
    const QString text = QStringLiteral("title: t\ntime: %1\n%2\n").arg(time, notes);
    return ParseSongText(text, QStringLiteral("20260101")).at(0).Rows();
}

Timeline Timed(const SongTableType& table, int songID, int startCell = 1)
{
    return BuildTimeline(SongFromTable(table, songID), Sounding::InC, startCell);
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

// Cells in the notation above, arcs as ( ).
// The song's cells as text; with the song, a sounding sign before its note ("#1", "b3").
QString Notation(const SongTableType& rows, const Song* song = nullptr)
{
    QStringList out;
    std::vector<size_t> closes;
    for (size_t i = 1; i < rows.size(); ++i) {
        const SongRecord& r = rows[i];
        QString c;
        if (IsNoteRow(r)) {
            const bool note = r.SongNote != QLatin1String("0");
            const int alter = song && i - 1 < song->cells.size() ? song->cells[i - 1].alter : 0;
            c = (alter > 0   ? "#"
                 : alter < 0 ? "b"
                             : "") +
                r.SongNote +
                (note && r.OpernHigh == QLatin1String("2")   ? "'"
                 : note && r.OpernHigh == QLatin1String("0") ? ","
                                                             : "") +
                QString(r.OpernLong.toInt(), u'_');
            if (r.Conn > 0) {
                c.prepend(u'(');
                closes.push_back(i + size_t(r.Conn));
            }
        } else {
            c = QString(QStringLiteral("?.|-?~").at(std::clamp(r.Conn, 0, 5)));
        }
        c += QString(std::count(closes.begin(), closes.end(), i), u')');
        out << c;
    }
    return out.join(u' ');
}

// "pitch@start+length" in beats, "~" after a note tied to the next.
Melody MelodyOf(const QString& notes, int fifths, const QString& time, const QString& bars, bool played)
{
    Melody m;
    m.played = played;
    m.key = {fifths != 99, fifths == 99 ? 0 : fifths, false};
    const QStringList t = time.split(u'/');
    m.times.push_back({0, t[0].toInt(), t[1].toInt()});
    for (const QString& b : bars.split(u' ', Qt::SkipEmptyParts))
        m.barStarts.push_back(std::llround(b.toDouble() * m.ticksPerQuarter));
    m.parts.emplace_back();
    for (QString n : notes.split(u' ', Qt::SkipEmptyParts)) {
        const bool tie = n.endsWith(u'~');
        const bool accented = n.endsWith(u'!');   // played louder, as a first beat is
        n.remove(u'~').remove(u'!');
        const QStringList a = n.split(QRegularExpression(QStringLiteral("[@+]")));
        auto ticks = [&](const QString& v) {
            const QStringList f = v.split(u'/');   // "1/3" for triplets
            return std::llround(f[0].toDouble() / (f.size() > 1 ? f[1].toDouble() : 1.0) * m.ticksPerQuarter);
        };
        m.parts[0].notes.push_back({a[0].toInt(), ticks(a[1]), ticks(a[2]), tie, accented ? 105 : 80});
    }
    return m;
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
        const Timeline t = Timed(TextRows(notes, time), 1);
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
        const SongTableType rows = TextRows(QStringLiteral("1 2 |").repeated(34) + QStringLiteral("3 - | - - | 4 5 |"), QStringLiteral("2/4"));
        const Timeline t = Timed(rows, 1, startCell);
        QCOMPARE(Describe(t), expected);
        if (startCell == 100) {
            QCOMPARE(PageOfCell(t.events[2].cell), 1);
            QCOMPARE(PageOfCell(t.events[3].cell), 2);
        }
    }

    void onlyTheSongsCellsUpToABlankOrTheViewsLastCell()
    {
        // Other songs, headers and notices around it take no place.
        SongTableType rows = TextRows(QStringLiteral("1 2 3 4 |"));
        SongTableType other = TextRows(QStringLiteral("7 7 7 7 |"));
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
        QCOMPARE(Describe(Timed(table, 1)), QStringLiteral("1:c1@0+1 2:d1@1+1 3:e1@2+1 4:f1@3+1"));

        const Timeline longSong = Timed(TextRows(QStringLiteral("1 2 |").repeated(200), QStringLiteral("2/4")), 1);
        QCOMPARE(longSong.events.back().cell, 524);   // 525 is a bar line; the view stops there
        QVERIFY(Timed(table, 3).events.empty());
    }

    // ---- Melodies of other programs written as numbered notation ----
    void melodyConversion_data()
    {
        QTest::addColumn<QString>("notes");
        QTest::addColumn<int>("fifths");   // 99: no signature
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("bars");
        QTest::addColumn<bool>("played");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("summary");
        QTest::newRow("each value") << "60@0+4 62@4+2 62@6+1 64@7+.5 64@7.5+.25 64@7.75+.25" << 0 << "4/4" << "" << false
                                    << "1 - - - | 2 - 2 3_ 3__ 3__ |" << "原调 1=C";
        QTest::newRow("dots, and a tie in the file")
            << "60@0+1.5 62@1.5+.5 64@2+.75 65@2.75+.25 64@3+1 67@4+1~ 67@5+2 69@7+.75 71@7.75+.25 72@8+.375 71@8.375+.375 "
               "69@8.75+.25 67@9+3"
            << 0 << "4/4" << "" << false << "1 . 2_ 3_ . 4__ 3 | 5 - - 6_ . 7__ | 1'__ . 7__ . 6__ 5 - - |" << "原调 1=C";
        QTest::newRow("a tie over the bar line") << "60@0+3 62@3+2 64@5+3" << 0 << "4/4" << "" << false
                                                 << "1 - - (2 | 2) 3 - - |" << "原调 1=C";
        QTest::newRow("an arc longer than five cells") << "60@0+7" << 0 << "6/4"
                                                       << "" << false << "1 - - - - - | 1 0 0 0 0 0 |"
                                                       << "原调 1=C；1 条连音线超过 5 格，已去掉";
        QTest::newRow("key from the signature") << "67@0+1 69@1+1 71@2+1 72@3+1" << 1 << "4/4" << "" << false
                                                << "1 2 3 4 |" << "原调 1=G";
        QTest::newRow("key from the pitches") << "67@0+1 69@1+1 71@2+1 72@3+1 74@4+1 76@5+1 78@6+1 79@7+1" << 99
                                              << "4/4" << "" << false << "1 2 3 4 | 5 6 7 1' |" << "原调 1=G";
        QTest::newRow("flat key from the pitches") << "70@0+1 72@1+1 74@2+1 75@3+1 77@4+1 79@5+1 81@6+1 82@7+2 77@9+1 70@10+2"
                                                   << 99 << "4/4" << "" << false << "1 2 3 4 | 5 6 7 (1' | 1') 5 1 - |"
                                                   << "原调 1=♭B";
        QTest::newRow("a note far out folds in") << "60@0+1 62@1+1 64@2+1 93@3+1" << 0 << "4/4" << "" << false
                                                 << "1 2 3 6 |" << "原调 1=C；1 个音已移入音域";
        QTest::newRow("a few high notes fold; the tune keeps its octave")
            << "60@0+1 62@1+1 64@2+1 65@3+1 67@4+1 69@5+1 71@6+1 69@7+1 67@8+1 65@9+1 79@10+2" << 0 << "4/4"
            << "" << false << "1 2 3 4 | 5 6 7 6 | 5 4 5 - |"
            << "原调 1=C；1 个音已移入音域";
        QTest::newRow("a low song moves up whole") << "36@0+1 38@1+1 40@2+1 41@3+1" << 0 << "2/4" << "" << false
                                                   << "1 2 | 3 4 |" << "原调 1=C";
        QTest::newRow("notes outside the scale keep their pitch, spelled the way they lead")
            << "60@0+1 61@1+.5 62@1.5+.5 64@2+2 65@4+1 66@5+.5 67@5.5+.5 67@6+2 69@8+1 68@9+.5 67@9.5+.5 65@10+1 "
               "63@11+.5 62@11.5+.5 60@12+4"
            << 0 << "4/4"
            << "" << false << "1 #1_ 2_ 3 - | 4 #4_ 5_ 5 - | 6 b6_ 5_ 4 b3_ 2_ | 1 - - - |"
            << "原调 1=C";
        QTest::newRow("a raised seventh in a minor tune") << "57@0+1 59@1+1 60@2+1 56@3+1 57@4+2" << 0 << "3/4"
                                                          << "" << false << "6 7 1' | #5 6 - |"
                                                          << "原调 1=C";
        QTest::newRow("triplets") << "60@0+1/3 62@1/3+1/3 64@2/3+1/3 65@1+1 67@2+2" << 0 << "4/4"
                                  << "" << false << "1__ 2_ 3__ 4 5 - |"
                                  << "原调 1=C；3 个三连音已近似";
        QTest::newRow("32nds and a double dot")
            << "60@0+.125 62@.125+.125 64@.25+.75 65@1+1.75 67@2.75+.25 69@3+1" << 0 << "4/4"
            << "" << false << "1__ 3_ . (4 . 4__) 5__ 6 |"
            << "原调 1=C；1 个过短的音并入相邻的音";
        QTest::newRow("pickup bar and 3/4") << "67@0+1 72@1+2 71@3+1 69@4+3 67@7+1" << 0 << "3/4"
                                            << "1" << false << "5 | 1' - 7 | 6 - - | 5 0 0 |"
                                            << "原调 1=C";
        QTest::newRow("played notes to sixteenths") << "60@.03+.9 62@1.05+.4 64@1.48+.5 65@2.02+1.9 67@4.6+.3" << 0 << "4/4"
                                                    << "" << true << "1 2_ 3_ 4 - | 0_ 5_ 0 0 0 |"
                                                    << "原调 1=C；已按十六分音符对齐";
        // What real files do: strums, lone 32nds, a tick off the grid, grace notes, swing,
        // an unmarked pickup, a signature the notes contradict.
        QTest::newRow("a strummed chord keeps its top note") << "60@0+1 64@.02+1 67@.04+1 65@1+1" << 0 << "2/4"
                                                             << "" << false << "5 4 |"
                                                             << "原调 1=C";
        QTest::newRow("lone 32nds use the time they are written with")
            << "60@0+.125 62@.125+.125 64@.25+.25 65@.5+.5 67@1+1" << 0 << "2/4"
            << "" << false << "1__ 3__ 4_ 5 |"
            << "原调 1=C；1 个过短的音并入相邻的音";
        QTest::newRow("a tick off the grid is on it")
            << "60@.0021+.4979 62@.5021+.2479 64@.7521+.2479 65@1.0021+.9979" << 0 << "2/4"
            << "" << false << "1_ 2__ 3__ 4 |"
            << "原调 1=C";
        QTest::newRow("a grace note leaves") << "72@0+.125 71@.125+.875 69@1+1" << 0 << "2/4"
                                             << "" << false << "7 6 |"
                                             << "原调 1=C；1 个倚音已略去";
        QTest::newRow("swing is written even")
            << "60@0+2/3 62@2/3+1/3 64@1+2/3 65@5/3+1/3 67@2+2/3 69@8/3+1/3 71@3+2/3 72@11/3+1/3" << 0 << "4/4"
            << "" << false << "1_ 2_ 3_ 4_ 5_ 6_ 7_ 1'_ |"
            << "原调 1=C；摇摆节奏记作平均的八分音符";
        QTest::newRow("an unmarked pickup") << "67@0+1 72@1+1.5! 72@2.5+.5 72@3+1 76@4+1 74@5+1.5! 72@6.5+.5 74@7+1 "
                                               "76@8+1 72@9+1.5! 69@10.5+.5 69@11+1 "
                                               "67@12+1 72@13+3!"
                                            << 0 << "4/4"
                                            << "" << false << "5, | 1 . 1_ 1 3 | 2 . 1_ 2 3 | 1 . 6,_ 6, 5, | 1 - - 0 |"
                                            << "原调 1=C";
        QTest::newRow("a signature the notes contradict")
            << "62@0+1 64@1+1 66@2+1 67@3+1 69@4+1 71@5+1 73@6+1 74@7+1" << 0 << "4/4"
            << "" << false << "1 2 3 4 | 5 6 7 1' |"
            << "原调 1=D；调号与音符不符，按 1=D";
        QTest::newRow("a signature a fifth off: the last note names the key")
            << "66@0+1 66@1+1 67@2+1 69@3+1 69@4+1 67@5+1 66@6+1 64@7+1 62@8+1 62@9+1 64@10+1 66@11+1 64@12+1.5 "
               "62@13.5+.5 62@14+2"
            << 1 << "4/4"
            << "" << false << "3 3 4 5 | 5 4 3 2 | 1 1 2 3 | 2 . 1_ 1 - |"
            << "原调 1=D；调号与音符不符，按 1=D";
        QTest::newRow("a tune in C that ends on 3 keeps its signature")
            << "64@0+1 62@1+1 60@2+1 62@3+1 64@4+1 64@5+1 64@6+2 62@8+1 62@9+1 62@10+2 64@11+1 67@12+1 67@13+2 "
               "64@15+1 62@16+1 60@17+1 62@18+1 64@19+4"
            << 0 << "4/4"
            << "" << false << "3 2 1 2 | 3 3 3 - | 2 2 2 3 | 5 5 - 3 | 2 1 2 (3 | 3) - - 0 |"
            << "原调 1=C";
        QTest::newRow("chords keep the top note, rests fill gaps") << "64@0+1 60@0+1 67@.5+.5 55@2+1 72@2+1" << 0 << "2/4" << ""
                                                                   << false << "3_ 5_ 0 | 1' 0 |" << "原调 1=C";
    }
    void melodyConversion()
    {
        QFETCH(QString, notes);
        QFETCH(int, fifths);
        QFETCH(QString, time);
        QFETCH(QString, bars);
        QFETCH(bool, played);
        QFETCH(QString, expected);
        QFETCH(QString, summary);
        const ConvertedSong song = ConvertMelody(MelodyOf(notes, fifths, time, bars, played), 0, "文件名", "20260101");
        QCOMPARE(Notation(song.Rows(), &song.song), expected);
        QCOMPARE(song.summary, summary);
        // Where the expected notes are whole bars of 2/4 or 4/4, the starter library's parser
        // writes the same codes, dots over their underlines included.
        try {
            const SongTableType parsed =
                ParseSongText("title: t\ntime: " + QString(song.song.header->timeCode ? "4/4" : "2/4") + "\n" + expected, "20260101")
                    .at(0)
.Rows();
            QCOMPARE(parsed.size(), song.Rows().size());
            for (size_t i = 1; i < parsed.size(); ++i)
                QCOMPARE(CellCode(song.Rows()[i]), CellCode(parsed[i]));
        } catch (const TavoError&) {
            // Other meters, rounded values, signs and a pickup bar are not whole bars of the starter notation.
            QVERIFY((time != "2/4" && time != "4/4") || summary.contains("时值") || expected.contains(u'#') ||
                    QString(QTest::currentDataTag()).contains("pickup"));
        }
    }

    // Song → MIDI → song gives the same cells, title and time: the starter songs and one
    // with every value, rests, ties over bar lines and the three octaves.
    void midiRoundTrip()
    {
        QFile f(TAVO_SOURCE_DIR "/assets/songs.txt");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(f.readAll());
        text += "\ntitle: 全部时值\ntime: 4/4\n5, 6,_ 7,_ 1 . 2_ | 3 - - (3 | 3) 0 1'__ . 7__ . 6__ 5 | 4' - - - |"
                "\ntitle: 二拍\ntime: 2/4\n1 2 | 3_ 4_ 5 | 0 5 | 1' - |";
        const SongTableType table = SongTextRows(ParseSongText(text, "20260101"));
        int songs = 0;
        for (const SongRecord& h : table) {
            if (!IsHeaderRow(h))
                continue;
            ++songs;
            SongTableType rows;
            std::copy_if(table.begin(), table.end(), std::back_inserter(rows),
                         [&](const SongRecord& r) { return r.SongID == h.SongID; });
            // A slur over other pitches is phrasing, which MIDI does not carry.
            for (size_t i = 1; i < rows.size(); ++i)
                for (size_t j = i + 1; IsNoteRow(rows[i]) && j <= i + size_t(rows[i].Conn) && j < rows.size(); ++j)
                    if (IsNoteRow(rows[j]) && rows[j].SongNote + rows[j].OpernHigh != rows[i].SongNote + rows[i].OpernHigh)
                        rows[i].Conn = 0;
            const Melody m = ParseMidi(MidiBytes(SongFromTable(table, h.SongID), 90, h.SongName));
            QCOMPARE(m.parts.size(), size_t(1));
            const ConvertedSong back = ConvertMelody(m, 0, "x", "20260101");
            QCOMPARE(back.Rows()[0].SongName, h.SongName);
            QCOMPARE(back.Rows()[0].Conn, h.Conn);
            QCOMPARE(Notation(back.Rows()), Notation(rows));
            QCOMPARE(back.summary, QStringLiteral("原调 1=C"));
        }
        QCOMPARE(songs, 7);
    }

    // Tracks as parts with their names and note counts, the likely melody, chords, running
    // status, drums left out, and the signatures of the conductor track.
    void midiPartsAndSignatures()
    {
        auto track = [](const char* hex) {
            const QByteArray e = QByteArray::fromHex(hex) + QByteArray::fromHex("00ff2f00");
            QByteArray t("MTrk");
            for (int i = 3; i >= 0; --i)
                t.append(char((e.size() >> (8 * i)) & 0xff));
            return t + e;
        };
        const QByteArray file = QByteArray::fromHex("4d546864000000060001000401e0")
            + track("00ff03055469746c65 00ff580403021808 00ff59020100")
            + track("00ff03044261737300912b50 83602b00 002d50 83602d00 002f50 83602f00 003050 83603000")
            + track("00ff03064d656c6f6479 00904350 004750 83604300 004700 004850 8360804800 00904a50 83604a00 004350 83604300")
            + track("0099245083608924 00");
        const Melody m = ParseMidi(file);
        QCOMPARE(MelodyPartLabels(m), (QStringList{"Bass（4 个音）", "Melody（4 个音）"}));
        QCOMPARE(LikelyMelodyPart(m), 1);
        QCOMPARE(m.title, QStringLiteral("Title"));
        QVERIFY(m.key.known && m.key.fifths == 1 && !m.played);
        QCOMPARE(m.times.size(), size_t(1));
        QCOMPARE(m.times[0].beats * 10 + m.times[0].beatType, 34);
        const ConvertedSong song = ConvertMelody(m, 1, "x", "20260101");
        QCOMPARE(Notation(song.Rows()), QStringLiteral("3 4 5 | 1 0 0 |"));
        QCOMPARE(song.summary, QStringLiteral("原调 1=G"));
        QCOMPARE(song.song.header->key.Name(), QStringLiteral("1=G"));
        QCOMPARE(song.song.header->MeterText(), QStringLiteral("3/4"));
        QCOMPARE(song.song.Title(), QStringLiteral("Title"));
    }

    // ---- Follow mode ----
    void followModeWaitsForEachRightNote()
    {
        // 1, rests, 3 tied over the bar, high 6 (no sample), 5: rests, the bar line, the tied
        // note, the dash and the unsounded note are passed over.
        const Timeline t = Timed(TextRows(QStringLiteral("1 0 0 (3 | 3) 6' - 5 |")), 1);
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
        QVERIFY(!f.Start(Timed(TextRows(QStringLiteral("0 0 6' 7' |")), 1)));
        QCOMPARE(f.Play(QStringLiteral("c1")), FollowMode::Press::Ignored);

        // A looping passage ends each pass with its own count and awaits its first note again.
        QVERIFY(f.Start(Timed(TextRows(QStringLiteral("1 2 - 0 |")), 1), true));
        QCOMPARE(f.Play(QStringLiteral("c1")), FollowMode::Press::Right);
        QCOMPARE(f.Play(QStringLiteral("e1")), FollowMode::Press::Wrong);
        QCOMPARE(f.Play(QStringLiteral("d1")), FollowMode::Press::PassEnd);
        QCOMPARE(f.Summary(0), QStringLiteral("正确 2 个，错误 1 个，用时 0:00"));
        f.ResetCounts();
        QVERIFY(f.Running());
        QCOMPARE(f.TargetCell(), 1);
        QCOMPARE(f.Play(QStringLiteral("c1")), FollowMode::Press::Right);
        QCOMPARE(f.RightCount() + f.WrongCount(), 1);
    }

    // ---- Where a mode starts, and the passage it loops ----
    void picksOnTheScore_data()
    {
        // Cells: 1:1 2:2 3:0 4:3 5:| 6:4 7:- 8:0 9:0 10:|
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");   // Shift+click, 0 for none
        QTest::addColumn<bool>("loops");
        QTest::addColumn<QString>("events");
        QTest::newRow("a note, to the end") << 4 << 0 << false << "4:e1@0+1 6~7:f1@1+2 8:0@3+1 9:0@4+1";
        QTest::newRow("a dash starts with the note it holds") << 7 << 0 << false << "6~7:f1@0+2 8:0@2+1 9:0@3+1";
        QTest::newRow("a rest keeps its time") << 3 << 0 << false << "3:0@0+1 4:e1@1+1 6~7:f1@2+2 8:0@4+1 9:0@5+1";
        QTest::newRow("a bar line starts at the next note") << 5 << 0 << false << "6~7:f1@0+2 8:0@2+1 9:0@3+1";
        QTest::newRow("a passage") << 2 << 6 << true << "2:d1@0+1 3:0@1+1 4:e1@2+1 6~7:f1@3+2";
        QTest::newRow("picked right to left") << 6 << 2 << true << "2:d1@0+1 3:0@1+1 4:e1@2+1 6~7:f1@3+2";
        QTest::newRow("ending on a dash") << 4 << 7 << true << "4:e1@0+1 6~7:f1@1+2";
        QTest::newRow("past the song's end") << 10 << 12 << true << "";
    }
    void picksOnTheScore()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(bool, loops);
        QFETCH(QString, events);
        Passage pick;
        pick.Click(first, false);
        pick.Click(second, true);
        QCOMPARE(pick.Loops(), loops);
        const Timeline t = pick.Cut(Timed(TextRows(QStringLiteral("1 2 0 3 | 4 - 0 0 |")), 1));
        QCOMPARE(Describe(t), events);
        QCOMPARE(t.beats, t.events.empty() ? 0.0 : t.events.back().End());
        // A plain click picks one cell; on the one cell picked, it lets it go.
        if (loops)
            pick.Click(first, false);
        pick.Click(first, false);
        QVERIFY(pick.Empty());
    }
};

TAVO_CORE_TEST_MAIN(TestTimeline)
#include "test_timeline.moc"
