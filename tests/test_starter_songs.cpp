#include "CoreTestSupport.h"
#include "core/Errors.h"
#include "core/library/Database.h"
#include "core/library/SongText.h"
#include "core/library/SongLibrary.h"

namespace {
QString StarterText()
{
    QFile f(QStringLiteral(TAVO_SOURCE_DIR "/assets/songs.txt"));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

QString ParseError(const QString& text)
{
    try {
        ParseSongText(text, QStringLiteral("20260101"));
    } catch (const TavoError& e) {
        return e.text();
    }
    return QString();
}

QString Code(const SongRecord& r)
{
    return r.SongNote + r.OpernLong + r.OpernHigh + (r.InfoType == QLatin1String("2") ? QString::number(r.Conn) : QString());
}

// Counts the beats of every bar from the saved rows alone, in eighths of a beat.
// Returns the bar sums (the cells after the last bar line count as a bar).
QList<int> BarSums(const SongTableType& rows)
{
    QList<int> sums;
    int sum = 0, lastNote = 0;
    for (const SongRecord& r : rows) {
        if (r.InfoType == QLatin1String("1")) {
            lastNote = 8 >> r.OpernLong.toInt();
            sum += lastNote;
        } else if (r.InfoType == QLatin1String("2")) {
            switch (r.Conn) {
            case 1: sum += lastNote / 2; break;
            case 2: sums << sum; sum = 0; break;
            case 3: sum += 8; break;
            default: break;
            }
        }
    }
    if (sum)
        sums << sum;
    return sums;
}
}

class TestStarterSongs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void starterFileParses()
    {
        const QString text = StarterText();
        QVERIFY(!text.isEmpty());
        const auto songs = ParseSongText(text, QStringLiteral("20260315"));
        QCOMPARE(int(songs.size()), 5);
        const QStringList titles{QStringLiteral("小星星"), QStringLiteral("两只老虎"), QStringLiteral("欢乐颂"),
                                 QStringLiteral("茉莉花"), QStringLiteral("送别")};
        for (int s = 0; s < 5; ++s) {
            const SongTextSong& song = songs[size_t(s)];
            QCOMPARE(song.title, titles[s]);
            const SongRecord& h = song.rows.at(0);
            QCOMPARE(h.SongID, s + 1);
            QCOMPARE(h.SeqID, 0);
            QCOMPARE(h.InfoType, QStringLiteral("0"));
            QVERIFY(h.Conn == 0 || h.Conn == 1);
            for (const QString& credit : {h.SongNote, h.OpernLong, h.OpernHigh})
                QVERIFY(!credit.isEmpty() && GbkLength(credit) <= 10);
            for (size_t i = 0; i < song.rows.size(); ++i) {
                const SongRecord& r = song.rows[i];
                QCOMPARE(r.SongID, s + 1);
                QCOMPARE(r.SeqID, int(i));
                QCOMPARE(r.SongName, song.title);
                QCOMPARE(r.SongDate, QStringLiteral("20260315"));
                if (i == 0)
                    continue;
                QVERIFY(r.InfoType == QLatin1String("1") || r.InfoType == QLatin1String("2"));
                QVERIFY2(Code(r) != QLatin1String("9000"), "no blank cells");
                if (r.InfoType == QLatin1String("1")) {
                    QVERIFY(r.SongNote >= QLatin1String("0") && r.SongNote <= QLatin1String("7"));
                    if (r.SongNote == QLatin1String("0"))
                        QCOMPARE(r.OpernHigh, QStringLiteral("0"));
                    QVERIFY(r.Conn >= 0 && r.Conn <= 5);
                    // A slur ends inside the song.
                    QVERIFY(i + size_t(r.Conn) < song.rows.size());
                } else {
                    QCOMPARE(r.SongNote, QStringLiteral("9"));
                    QVERIFY(QList<int>({1, 2, 3, 5}).contains(r.Conn));
                }
            }
            const int full = h.Conn == 0 ? 16 : 32;
            const QList<int> sums = BarSums(song.rows);
            QCOMPARE(sums.size(), song.bars);
            for (int b = 0; b < sums.size(); ++b)
                QVERIFY2(sums[b] == full, qPrintable(QStringLiteral("%1 bar %2: %3/8 beats").arg(song.title).arg(b + 1).arg(sums[b])));
        }
        // Spot checks, note for note.
        auto codes = [&](int s, int from, int count) {
            QStringList out;
            for (int i = from; i < from + count; ++i)
                out << Code(songs[size_t(s)].rows.at(size_t(i)));
            return out.join(u' ');
        };
        QCOMPARE(codes(0, 1, 9), QStringLiteral("101 101 501 501 9002 601 601 501 9003"));   // 1 1 5 5 | 6 6 5 -
        QCOMPARE(codes(1, 35, 4), QStringLiteral("101 500 101 9003"));                     // 1 5, 1 -
        QCOMPARE(codes(2, 16, 4), QStringLiteral("301 9001 211 201"));                     // 3. 2_ 2
        QCOMPARE(codes(4, 1, 5), QStringLiteral("501 311 511 102 9003"));                  // 5 3_5_ 1' -
        QCOMPARE(songs[4].rows.at(2).Conn, 1);                                           // slur over 3_5_
        // 欢乐颂, bars 10 to 12: 2 (3_ 4_) 3 1 | 2 (3_ 4_) 3 2 | 1 2 5, -
        QCOMPARE(codes(2, 48, 18), QStringLiteral("201 311 411 301 101 9002 201 311 411 301 201 9002 101 201 500 9003 9002 301"));
        QCOMPARE(songs[2].rows.at(49).Conn, 1);
        QCOMPARE(songs[2].rows.at(55).Conn, 1);
    }

    void notation()
    {
        const auto songs = ParseSongText(QStringLiteral("# a comment\n"
                                                        "title: T  # the title\n"
                                                        "performer: 某人\n"
                                                        "time: 2/4\n"
                                                        "(5_. 6__) 1 |\n"
                                                        "~ 7,__ 0__ 0_ 1' |\n"
                                                        "2 - |"),
                                         QStringLiteral("20260101"));
        QCOMPARE(int(songs.size()), 1);
        const SongTableType& r = songs[0].rows;
        QStringList got;
        for (const SongRecord& x : r)
            got << (x.InfoType + u':' + Code(x) + u':' + QString::number(x.Conn));
        QCOMPARE(got.join(u' '), QStringLiteral("0:某人佚名佚名:0 "
                                                "1:511:2 2:9101:1 1:621:0 1:101:0 2:9002:2 "
                                                "2:9005:5 1:720:0 1:020:0 1:010:0 1:102:0 2:9002:2 "
                                                "1:201:0 2:9003:3 2:9002:2"));
        QCOMPARE(songs[0].bars, 3);
        QCOMPARE(r[0].SongName, QStringLiteral("T"));
    }

    // A tie may run over a bar line and on to the next line of text.
    void slurAcrossLines()
    {
        const auto songs = ParseSongText(QStringLiteral("title: T\ntime: 2/4\n1 (2 |\n2) 1 |"), QStringLiteral("20260101"));
        const SongTableType& r = songs.at(0).rows;
        QCOMPARE(r.at(2).Conn, 2);
        QCOMPARE(r.at(1).Conn, 0);
        QCOMPARE(r.at(4).Conn, 0);
        QCOMPARE(songs.at(0).bars, 2);
    }

    void notationFaultsNameTheLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const QString head = QStringLiteral("title: T\ntime: 4/4\n");
        QTest::newRow("short bar") << head + "1 2 3 |\n1 2 3 4 |" << "line 3: bar 1 of 《T》 holds 3 beats; 4/4 needs 4";
        QTest::newRow("long bar") << head + "1 2 3 4 |\n1 2 3 4 5 |" << "line 4: bar 2 of 《T》 holds 5 beats";
        QTest::newRow("unfinished last bar") << head + "1 2 3 4 |\n1 2_\n\n" << "line 4: bar 2 of 《T》 holds 1.5 beats";
        QTest::newRow("empty bar") << head + "1 2 3 4 | |" << "line 3: empty bar";
        QTest::newRow("eight") << head + "1 2 8 4 |" << "line 3: 8 is not a scale degree";
        QTest::newRow("stray letter") << head + "1 2 x 4 |" << "line 3: unexpected character 'x'";
        QTest::newRow("rest with octave") << head + "1 2 0' 4 |" << "line 3: a rest takes no octave mark";
        QTest::newRow("two octave marks") << head + "1 2 3', 4 |" << "line 3: only one octave mark";
        QTest::newRow("three underlines") << head + "1___ 2 |" << "line 3: at most two underlines";
        QTest::newRow("mark without digit") << head + "1 _2 3 4 |" << "line 3: '_' must follow a digit";
        QTest::newRow("dot first") << head + ". 1 2 3 |" << "line 3: a dot must follow a note";
        QTest::newRow("dot after dash") << head + "1 - . 2 3 |" << "line 3: a dot must follow a note";
        QTest::newRow("dash first") << head + "- 1 2 3 |" << "line 3: a dash needs a note before it";
        QTest::newRow("slur too long") << head + "(1_ 1_ 1_ 1_ 1_ 1_ 1_) 1_ |" << "line 3: a slur spans at most 5 cells; this one spans 6";
        QTest::newRow("slur of one") << head + "(1) 2 3 4 |" << "line 3: a slur must cover at least two cells";
        QTest::newRow("slur on a rest") << head + "(0 2) 3 4 |" << "line 3: a slur must start on a note, not a rest";
        QTest::newRow("nested slur") << head + "(1 (2 3) 4) |" << "line 3: a slur is already open";
        QTest::newRow("close without open") << head + "1 2) 3 4 |" << "line 3: ')' without '('";
        QTest::newRow("unclosed slur") << head + "1 2 3 4 |\n(1 2 3 4 |\ntitle: U\ntime: 2/4\n1 1 |"
                                       << "line 4: the slur opened here in 《T》 is never closed";
        QTest::newRow("no time") << "title: T\n1 2 3 4 |" << "line 2: \"time:\" must come before the notes";
        QTest::newRow("odd time") << "title: T\ntime: 3/4\n1 2 3 |" << "line 2: the time signature must be 2/4 or 4/4";
        QTest::newRow("notes before title") << "1 2 |" << "line 1: notes come before the first \"title:\"";
        QTest::newRow("header after notes") << head + "1 2 3 4 |\ncomposer: X" << "line 4: \"composer:\" must come before the notes";
        QTest::newRow("long credit") << "title: T\nlyricist: 一二三四五六\n" << "line 2: the lyricist";
        QTest::newRow("unknown header") << "title: T\nkey: 1=C\n" << "line 2: unknown header \"key:\"";
        QTest::newRow("song without notes") << "title: T\ntime: 2/4\n\ntitle: U\ntime: 2/4\n1 1 |" << "line 1: 《T》 has no notes";
        QTest::newRow("empty title") << "title:   \n" << "line 1: the title is empty";
        QTest::newRow("long title") << "title: " + QString(201, u'a') << "line 1: the title is longer than 200 bytes";
    }
    void notationFaultsNameTheLine()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        const QString err = ParseError(text);
        QVERIFY2(err.startsWith(message), qPrintable(err));
    }

    void atMostTwentyOneSongs()
    {
        QString text;
        for (int i = 1; i <= 21; ++i)
            text += QStringLiteral("title: S%1\ntime: 2/4\n1 1 |\n").arg(i);
        QCOMPARE(int(ParseSongText(text, QStringLiteral("20260101")).size()), 21);
        text += QStringLiteral("title: S22\ntime: 2/4\n1 1 |\n");
        QVERIFY(ParseError(text).startsWith(QStringLiteral("line 64: the library holds at most 21 songs")));
    }

    // The database built next to the program holds the same rows and loads at start.
    void builtLibraryLoads()
    {
        TempEnv env;
        QVERIFY2(env.copyStarterDatabase(), "build the default target first: it makes bin/dat/Opern.dat");
        SongLibrary lib;
        BannerLinkList links{};
        lib.ConnectSongDatabase(env.app() + QStringLiteral("dat/Opern.dat"));
        lib.LoadSongTable(links);
        const SongTableType expected = SongTextRows(ParseSongText(StarterText(), QStringLiteral("20260101")));
        const SongTableType& got = lib.Table();
        QVERIFY2(got.size() == expected.size(),
                 "bin/dat/Opern.dat is older than assets/songs.txt: delete it and build again");
        for (size_t i = 0; i < got.size(); ++i) {
            const SongRecord& a = got[i];
            const SongRecord& b = expected[i];
            QCOMPARE(a.SongID, b.SongID);
            QCOMPARE(a.SeqID, b.SeqID);
            QCOMPARE(a.SongName, b.SongName);
            QCOMPARE(Code(a), Code(b));
            QCOMPARE(a.Conn, b.Conn);
            QCOMPARE(a.InfoType, b.InfoType);
            QCOMPARE(a.SongDate.size(), 8);
        }
        int headers = 0;
        for (const SongRecord& r : got)
            headers += r.InfoType == QLatin1String("0");
        QCOMPARE(headers, 5);
    }
};

TAVO_CORE_TEST_MAIN(TestStarterSongs)
#include "test_starter_songs.moc"
