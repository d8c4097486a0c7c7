#include "CoreTestSupport.h"
#include "core/Errors.h"
#include "core/library/Database.h"
#include "core/formats/JianpuText.h"
#include "core/library/SongLibrary.h"
#include <QRandomGenerator>

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
            const JianpuSong& parsed = songs[size_t(s)];
            QCOMPARE(parsed.title, titles[s]);
            const SongTableType rows = parsed.Rows();
            const SongRecord& h = rows.at(0);
            QCOMPARE(h.SongID, s + 1);
            QCOMPARE(h.SeqID, 0);
            QCOMPARE(h.InfoType, QStringLiteral("0"));
            QVERIFY(h.Conn == 0 || h.Conn == 1);
            for (const QString& credit : {h.SongNote, h.OpernLong, h.OpernHigh})
                QVERIFY(!credit.isEmpty() && GbkLength(credit) <= 10);
            for (size_t i = 0; i < rows.size(); ++i) {
                const SongRecord& r = rows[i];
                QCOMPARE(r.SongID, s + 1);
                QCOMPARE(r.SeqID, int(i));
                QCOMPARE(r.SongName, parsed.title);
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
                    QVERIFY(i + size_t(r.Conn) < rows.size());
                } else {
                    QCOMPARE(r.SongNote, QStringLiteral("9"));
                    QVERIFY(QList<int>({1, 2, 3, 5}).contains(r.Conn));
                }
            }
            const int full = h.Conn == 0 ? 16 : 32;
            const QList<int> sums = BarSums(rows);
            QCOMPARE(sums.size(), parsed.bars);
            for (int b = 0; b < sums.size(); ++b)
                QVERIFY2(sums[b] == full, qPrintable(QStringLiteral("%1 bar %2: %3/8 beats").arg(parsed.title).arg(b + 1).arg(sums[b])));
        }
        // Spot checks, note for note.
        auto codes = [&](int s, int from, int count) {
            QStringList out;
            for (int i = from; i < from + count; ++i)
                out << Code(songs[size_t(s)].Rows().at(size_t(i)));
            return out.join(u' ');
        };
        QCOMPARE(codes(0, 1, 9), QStringLiteral("101 101 501 501 9002 601 601 501 9003"));   // 1 1 5 5 | 6 6 5 -
        QCOMPARE(codes(1, 35, 4), QStringLiteral("101 500 101 9003"));                     // 1 5, 1 -
        QCOMPARE(codes(2, 16, 4), QStringLiteral("301 9001 211 201"));                     // 3. 2_ 2
        QCOMPARE(codes(4, 1, 5), QStringLiteral("501 311 511 102 9003"));                  // 5 3_5_ 1' -
        QCOMPARE(songs[4].Rows().at(2).Conn, 1);                                           // slur over 3_5_
        // 欢乐颂, bars 10 to 12: 2 (3_ 4_) 3 1 | 2 (3_ 4_) 3 2 | 1 2 5, -
        QCOMPARE(codes(2, 48, 18), QStringLiteral("201 311 411 301 101 9002 201 311 411 301 201 9002 101 201 500 9003 9002 301"));
        QCOMPARE(songs[2].Rows().at(49).Conn, 1);
        QCOMPARE(songs[2].Rows().at(55).Conn, 1);
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
        const SongTableType& r = songs[0].Rows();
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
        const SongTableType& r = songs.at(0).Rows();
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
        QTest::newRow("short bar") << head + "1 2 3 |\n1 2 3 4 |" << "第 3 行：《T》第 1 小节有 3 拍，4/4 拍应有 4 拍";
        QTest::newRow("long bar") << head + "1 2 3 4 |\n1 2 3 4 5 |" << "第 4 行：《T》第 2 小节有 5 拍";
        QTest::newRow("unfinished last bar") << head + "1 2 3 4 |\n1 2_\n\n" << "第 4 行：《T》第 2 小节有 1.5 拍";
        QTest::newRow("empty bar") << head + "1 2 3 4 | |" << "第 3 行第 11 列：《T》有空小节";
        QTest::newRow("eight") << head + "1 2 8 4 |" << "第 3 行第 5 列：8 不是音级";
        QTest::newRow("stray letter") << head + "1 2 x 4 |" << "第 3 行第 5 列：不认识的字符“x”";
        QTest::newRow("rest with octave") << head + "1 2 0' 4 |" << "第 3 行第 5 列：休止符不标高低音点";
        QTest::newRow("two octave marks") << head + "1 2 3', 4 |" << "第 3 行第 5 列：一个音符只能标一个高低音点";
        QTest::newRow("three underlines") << head + "1___ 2 |" << "第 3 行第 1 列：最多两条下划线";
        QTest::newRow("mark without digit") << head + "1 _2 3 4 |" << "第 3 行第 3 列：“_”要紧跟在音符后面";
        QTest::newRow("dot first") << head + ". 1 2 3 |" << "第 3 行第 1 列：附点要跟在音符或休止符后面";
        QTest::newRow("dot after dash") << head + "1 - . 2 3 |" << "第 3 行第 5 列：附点要跟在音符或休止符后面";
        QTest::newRow("dash first") << head + "- 1 2 3 |" << "第 3 行第 1 列：延长线前面要有音符";
        QTest::newRow("slur too long") << head + "(1_ 1_ 1_ 1_ 1_ 1_ 1_) 1_ |" << "第 3 行第 22 列：连音线最多跨 5 格，这条跨 6 格";
        QTest::newRow("slur of one") << head + "(1) 2 3 4 |" << "第 3 行第 3 列：连音线至少要连两格";
        QTest::newRow("slur on a rest") << head + "(0 2) 3 4 |" << "第 3 行第 2 列：连音线要从音符开始，不能从休止符开始";
        QTest::newRow("nested slur") << head + "(1 (2 3) 4) |" << "第 3 行第 4 列：上一条连音线还没有结束";
        QTest::newRow("close without open") << head + "1 2) 3 4 |" << "第 3 行第 4 列：“)”前面没有“(”";
        QTest::newRow("unclosed slur") << head + "1 2 3 4 |\n(1 2 3 4 |\ntitle: U\ntime: 2/4\n1 1 |"
                                       << "第 4 行第 1 列：这里开始的连音线没有结束";
        QTest::newRow("no time") << "title: T\n1 2 3 4 |" << "第 2 行第 1 列：《T》的音符之前要先写“time:”";
        QTest::newRow("odd time") << "title: T\ntime: 3/4\n1 2 3 |" << "第 2 行第 1 列：只能是 2/4 或 4/4 拍，不能是“3/4”";
        QTest::newRow("notes before title") << "1 2 |" << "第 1 行第 1 列：音符写在了第一个“title:”之前";
        QTest::newRow("header after notes") << head + "1 2 3 4 |\ncomposer: X" << "第 4 行第 1 列：“composer:”要写在《T》的音符之前";
        QTest::newRow("long credit") << "title: T\nlyricist: 一二三四五六\n" << "第 2 行第 1 列：“一二三四五六”超过 10 字节";
        QTest::newRow("unknown header") << "title: T\ntempo: 90\n" << "第 2 行第 1 列：不认识的标题行“tempo:”";
        QTest::newRow("song without notes") << "title: T\ntime: 2/4\n\ntitle: U\ntime: 2/4\n1 1 |" << "第 1 行：《T》没有音符";
        QTest::newRow("empty title") << "title:   \n" << "第 1 行第 1 列：歌名是空的";
        QTest::newRow("long title") << "title: " + QString(201, u'a') << "第 1 行第 1 列：歌名超过 200 字节";
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
        QVERIFY(ParseError(text).startsWith(QStringLiteral("第 64 行第 1 列：曲库最多 21 首歌")));
    }

    // Numbered notation as users paste it: every row is a text and the cells it gives (or the
    // start of its error), with the header's time code and title, and the warnings.
    void pastedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("web page, 1=F 2/4, lyrics, pickup")
            << "茉莉花\n1=F 2/4\n\n3 | 5 6_ 1'_ | 6 5 |\n好 一 朵 美 丽 的\n3 - |"
            << "茉莉花 0: 301 9002 501 611 112 9002 601 501 9002 301 9003 9002 | 跳过了 1 行歌词等文字（第 5 行起）";
        QTest::newRow("full width bars and spaces")
            << "歌名：小星星\n1＝C　4/4\n１　１　５　５　｜　６　６　５　－　｜" << "小星星 1: 101 101 501 501 9002 601 601 501 9003 9002 |";
        QTest::newRow("jianpu-ly q and s, before or after")
            << "title: T\n4/4\nq1 1q s2 2s 3_ 5 - |" << "T 1: 111 111 221 221 311 501 9003 9002 |";
        QTest::newRow("slashes, double bar, short last bar")
            << "T\n1 2 3 4 / 5 6 7 1' ||\n5 5" << "T 1: 101 201 301 401 9002 501 601 701 102 9002 501 501 |";
        QTest::newRow("accidentals, repeats, chords")
            << "T\n|: 1 #2 b3 4 :|\nC G7 Am\n"
            << "T 1: 9002 101 201 301 401 9002 | 跳过了 1 行歌词等文字（第 3 行起）；反复记号无法保存，已略去";
        QTest::newRow("dots apart, nested and crossing slurs")
            << "T\n(1 (2 3)) 5_ . 6_. 7^5 1 |" << "T 1: 101^2 201^1 301 511 9001 611 9101 701^5 101 9002 | 第 2 行：第 1 小节有 6.5 拍，4/4 拍应有 4 拍";
        QTest::newRow("wrong middle bar warned")
            << "T\n2/4\n1 | 1 2 3 | 1 2 | 1 |" << "T 0: 101 9002 101 201 301 9002 101 201 9002 101 9002 | 第 3 行：第 2 小节有 3 拍，2/4 拍应有 2 拍";
        QTest::newRow("credits cut") << "T\n作曲：一二三四五六\n1" << "T 1: 101 | 第 2 行：“一二三四五六”超过 10 字节，已截短";
        QTest::newRow("second song") << "title: A\n1 1\ntitle: B\n" << "第 3 行第 1 列：一段文本只能写一首歌";
        QTest::newRow("3/4") << "T\n1=G 3/4\n1 2 3 |"
                             << "T 1: 101 201 301 9002 |";
        QTest::newRow("unknown meter") << "T\n1=G 5/7\n1 2 3 |"
                                       << "第 2 行第 5 列：不认识的拍号“5/7”";
        QTest::newRow("unknown key") << "T\n1=H\n1 2 3 |"
                                     << "第 2 行第 1 列：不认识的调号“1=H”";
        QTest::newRow("key change later") << "T\n1=G\n1 2 3 |\n1=D\n1 |"
                                          << "T 1: 101 201 301 9002 101 9002 | 第 4 行：曲中转调暂不支持，仍按 1=G";
        QTest::newRow("slur of six") << "T\n(1 2 3 4 5 6 7)" << "第 2 行第 15 列：连音线最多跨 5 格，这条跨 6 格";
        QTest::newRow("500 cells") << "T\n" + QString("1 ").repeated(499) + "\n2" << "第 3 行第 1 列：超过 499 格";
        QTest::newRow("ten megabytes") << QString(10 * 1024 * 1024, u'1') << "第 1 行：文本太长";
        QTest::newRow("old Mac line ends") << "T\r2/4\r1 2 |\r\r3" << "T 0: 101 201 9002 301 |";
        QTest::newRow("every line end mixed") << "歌名：T\r\n1 2\n3\r4 |" << "T 1: 101 201 301 401 9002 |";
        QTest::newRow("a title the library cannot store")
            << QString::fromUtf16(u"歌名：\u202E甲\u202C🎵\u0007\uFFFD乙\n1")
            << "甲??乙 1: 101 | 第 1 行：有无法保存的字符，已略去或改为“?”";
        QTest::newRow("an unstorable first line taken as the title")
            << QString::fromUtf16(u"\u200F小\u0001星\n1") << "小星 1: 101 | 第 1 行：有无法保存的字符，已略去或改为“?”";
    }
    void pastedText()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const JianpuParse p = ParseJianpu(text, JianpuOptions{JianpuMode::Paste, QStringLiteral("20260101"), 1});
        if (!p.ok()) {
            QVERIFY2(p.error->text().startsWith(expected), qPrintable(p.error->text()));
            return;
        }
        QStringList got;
        for (const SongRecord& r : p.songs.at(0).Rows())
            got << (r.SeqID == 0 ? r.SongName + u' ' + QString::number(r.Conn) + u':'
                                 : Code(r) + (IsNoteRow(r) && r.Conn ? QStringLiteral("^%1").arg(r.Conn) : QString()));
        const QString warnings = p.warnings.join(QStringLiteral("；"));
        QCOMPARE(got.join(u' ') + QStringLiteral(" |") + (warnings.isEmpty() ? QString() : u' ' + warnings), expected);
    }

    // A text that names no meter is counted in the editor's: its bars are checked against that
    // meter's length, so a right bar in 3/4 or 6/8 is not warned and a wrong one is.
    void barsCountedInTheEditorsMeter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("meter");      // the editor's
        QTest::addColumn<QString>("expected");   // the song's meter, then the warnings
        QTest::newRow("3/4 bars in 3/4") << "T\n1 2 3 | 4 5 6 | 7 - - |"
                                         << "3/4"
                                         << "3/4";
        QTest::newRow("6/8 bars in 6/8") << "T\n1_ 2_ 3_ 4_ 5_ 6_ | 1 2_ 3 . | 5 . - |"
                                         << "6/8"
                                         << "6/8";
        QTest::newRow("9/8 bars in 9/8") << "T\n1 2 3 1_ 2_ 3_ |"
                                         << "9/8"
                                         << "9/8";
        QTest::newRow("a long bar in 3/4") << "T\n1 2 3 | 1 2 3 4 | 5 6 7 |"
                                           << "3/4"
                                           << "3/4 第 2 行：第 2 小节有 4 拍，3/4 拍应有 3 拍";
        QTest::newRow("a short bar in 6/8") << "T\n1 2 3 | 1 2 | 5 6 7 |"
                                            << "6/8"
                                            << "6/8 第 2 行：第 2 小节有 2 拍，6/8 拍应有 3 拍";
        QTest::newRow("3/4 bars in 4/4 are wrong") << "T\n1 2 3 | 4 5 6 | 7 - - |"
                                                   << "4/4"
                                                   << "4/4 第 2 行：第 2 小节有 3 拍，4/4 拍应有 4 拍";
        QTest::newRow("the text's own meter wins") << "T\n2/4\n1 2 | 3 4 | 5 |"
                                                   << "3/4"
                                                   << "2/4";
    }
    void barsCountedInTheEditorsMeter()
    {
        QFETCH(QString, text);
        QFETCH(QString, meter);
        QFETCH(QString, expected);
        JianpuOptions options{JianpuMode::Paste, QStringLiteral("20260101"), 1};
        options.meter = Meter::FromCaption(meter);
        const JianpuParse p = ParseJianpu(text, options);
        QVERIFY2(p.ok(), qPrintable(p.error ? p.error->text() : QString()));
        const SongHeader& h = *p.songs.at(0).song.header;
        QCOMPARE(h.timeCode, h.TimeSignature().NearestCode());
        QCOMPARE((QStringList{h.TimeSignature().Caption()} + p.warnings).join(u' '), expected);
    }

    // A huge value is read only as far as a title or credit can hold, and a message quotes a
    // few characters of it: a 2 MB credit once made a message box 32,767 pixels tall.
    void hugeValuesAreQuotedShort_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("paste");
        QTest::addColumn<QString>("said");   // the title and the warnings, or the error
        const QString huge(2'000'000, u'长');
        const QString quoted = QString(24, u'长') + u'…';
        QTest::newRow("credit") << "T\n演唱：" + huge + "\n1" << true << "T|第 2 行：“" + quoted + "”超过 10 字节，已截短";
        QTest::newRow("title") << "歌名：" + huge + "\n1" << true << QString(100, u'长') + "|第 1 行：歌名超过 200 字节，已截短";
        QTest::newRow("time") << "T\n节拍：" + huge + "\n1" << true << "第 2 行第 1 列：不认识的拍号“" + quoted + "”";
        QTest::newRow("starter file credit") << "title: T\ncomposer: " + huge + "\n" << false
                                             << "第 2 行第 1 列：“" + quoted + "”超过 10 字节";
        QTest::newRow("starter file header")
            << "title: T\n" + huge + ": 1\n" << false
            << "第 2 行第 1 列：不认识的标题行“" + quoted + ":”（可用 title、performer、lyricist、composer、time）";
    }
    void hugeValuesAreQuotedShort()
    {
        QFETCH(QString, text);
        QFETCH(bool, paste);
        QFETCH(QString, said);
        const JianpuParse p =
            ParseJianpu(text, JianpuOptions{paste ? JianpuMode::Paste : JianpuMode::Library, QStringLiteral("20260101"), 1});
        const QString got = p.ok() ? p.songs.at(0).Rows().at(0).SongName + u'|' + p.warnings.join(u'；') : p.error->text();
        QCOMPARE(got.left(400), said);
    }

    // Every song turned into text and read back gives the same records: the starter songs
    // and songs made of random cells, slurs of every length included.
    void textRoundTrip()
    {
        std::vector<SongTableType> songs;
        for (const JianpuSong& js : ParseSongText(StarterText(), QStringLiteral("20260101")))
            songs.push_back(js.Rows());
        QRandomGenerator random(16);
        for (int n = 0; n < 200; ++n) {
            SongTableType s;
            SongRecord h;
            h.SongName = QStringLiteral("歌 %1 # | (x)").arg(n);
            h.SongNote = QStringLiteral("演唱%1").arg(n % 7);
            h.OpernLong = QStringLiteral("佚名");
            h.OpernHigh = QStringLiteral("C'");
            h.Conn = n % 2;
            h.InfoType = QStringLiteral("0");
            s.push_back(h);
            const int cells = 1 + random.bounded(n < 5 ? 499 : 80);
            for (int i = 1; i <= cells; ++i) {
                SongRecord r;
                r.SeqID = i;
                if (random.bounded(3) > 0) {
                    const int d = random.bounded(8);
                    r.SongNote = QString::number(d);
                    r.OpernLong = QString::number(random.bounded(3));
                    r.OpernHigh = d == 0 ? QStringLiteral("0") : QString::number(random.bounded(3));
                    r.Conn = random.bounded(4) == 0 ? 1 + random.bounded(5) : 0;
                    r.InfoType = QStringLiteral("1");
                } else {
                    const int codes[] = {1, 2, 3, 5};
                    r.SongNote = QStringLiteral("9");
                    r.Conn = codes[random.bounded(4)];
                    r.OpernLong = QString::number(r.Conn == 1 ? random.bounded(3) : 0);
                    r.OpernHigh = QStringLiteral("0");
                    r.InfoType = QStringLiteral("2");
                }
                s.push_back(r);
            }
            songs.push_back(s);
        }
        for (const SongTableType& s : songs) {
            const QString text = WriteJianpu(SongFromRows(s));
            const JianpuParse p = ParseJianpu(text, JianpuOptions{JianpuMode::Paste, QString(), 1 - s[0].Conn});
            QVERIFY2(p.ok(), qPrintable(p.error ? p.error->text() + u'\n' + text : QString()));
            const SongTableType back = p.songs.at(0).Rows();
            QCOMPARE(back.size(), s.size());
            for (size_t i = 0; i < back.size(); ++i) {
                const SongRecord& a = back[i];
                const SongRecord& b = s[i];
                QVERIFY2(a.SongNote == b.SongNote && a.OpernLong == b.OpernLong && a.OpernHigh == b.OpernHigh &&
                             a.Conn == b.Conn && a.InfoType == b.InfoType,
                         qPrintable(QStringLiteral("row %1 of:\n%2").arg(i).arg(text)));
            }
            QCOMPARE(back[0].SongName, s[0].SongName);
        }
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
