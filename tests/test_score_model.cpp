#include "TestSupport.h"
#include "ui/widgets/ScoreGrid.h"
#include "core/score/SongRecord.h"

namespace {
SongRecord Row(const QString& info, const QString& note, const QString& len, const QString& high, int conn)
{
    SongRecord r;
    r.InfoType = info;
    r.SongNote = note;
    r.OpernLong = len;
    r.OpernHigh = high;
    r.Conn = conn;
    return r;
}
}

class TestScoreModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void glyphNames_data()
    {
        QTest::addColumn<QString>("info");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("len");
        QTest::addColumn<QString>("high");
        QTest::addColumn<int>("conn");
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("exists");
        QTest::newRow("note 5, one line, upper") << "1" << "5" << "1" << "2" << 0 << "NOTE_512" << "NOTE_512" << true;
        QTest::newRow("slurred note keeps its name") << "1" << "3" << "0" << "1" << 4 << "NOTE_301" << "NOTE_301"
                                                     << true;
        QTest::newRow("lowest note") << "1" << "1" << "0" << "0" << 0 << "NOTE_100" << "NOTE_100" << true;
        QTest::newRow("highest note") << "1" << "7" << "2" << "2" << 0 << "NOTE_722" << "NOTE_722" << true;
        QTest::newRow("rest quarter") << "1" << "0" << "0" << "0" << 0 << "NOTE_000" << "NOTE_000" << true;
        QTest::newRow("rest sixteenth") << "1" << "0" << "2" << "0" << 0 << "NOTE_020" << "NOTE_020" << true;
        QTest::newRow("rest with middle octave") << "1" << "0" << "0" << "1" << 0 << "NOTE_001" << "NOTE_001"
                                                 << false;
        QTest::newRow("rest with upper octave") << "1" << "0" << "1" << "2" << 0 << "NOTE_012" << "NOTE_012"
                                                << false;
        QTest::newRow("bar line") << "2" << "9" << "0" << "0" << 2 << "NOTE_9002" << "NOTE_9002" << true;
        QTest::newRow("dash") << "2" << "9" << "0" << "0" << 3 << "NOTE_9003" << "NOTE_9003" << true;
        QTest::newRow("space") << "2" << "9" << "0" << "0" << 5 << "NOTE_9005" << "NOTE_9005" << true;
        QTest::newRow("dot") << "2" << "9" << "0" << "0" << 1 << "NOTE_9001" << "NOTE_9001" << true;
        QTest::newRow("dot over one line") << "2" << "9" << "1" << "0" << 1 << "NOTE_9101" << "NOTE_9101" << true;
        QTest::newRow("dot over two lines") << "2" << "9" << "2" << "0" << 1 << "NOTE_9201" << "NOTE_9201" << true;
        QTest::newRow("blank") << "2" << "9" << "0" << "0" << 0 << "NOTE_9000" << "NOTE_9000" << true;
        // The view goes by the kind of row, the editor by the "9" of a symbol.
        QTest::newRow("blank record of kind 1") << "1" << "9" << "0" << "0" << 0 << "NOTE_900" << "NOTE_9000"
                                                << false;
        QTest::newRow("unknown symbol code") << "2" << "9" << "0" << "0" << 4 << "NOTE_9004" << "NOTE_9004" << true;
    }
    void glyphNames()
    {
        QFETCH(QString, info);
        QFETCH(QString, note);
        QFETCH(QString, len);
        QFETCH(QString, high);
        QFETCH(int, conn);
        QFETCH(QString, view);
        QFETCH(QString, entry);
        QFETCH(bool, exists);
        const SongRecord r = Row(info, note, len, high, conn);
        QCOMPARE(ViewGlyphName(r), view);
        QCOMPARE(EntryGlyphName(r), entry);
        // A name without a picture shows an empty cell; every other view name has one.
        QCOMPARE(!GlyphPixmap(view).isNull(), exists);
    }

    void glyphPicturesAndCache()
    {
        const QPixmap& cell = GlyphPixmap(QStringLiteral("NOTE_512"));
        QCOMPARE(cell.size(), QSize(Score::CellWidth, Score::CellHeight));
        QCOMPARE(GlyphPixmap(QStringLiteral("NOTE_9004")).size(), QSize(96, 31));
        // The 2x arc, made transparent, still shows at the 1x arc's size.
        const QPixmap& arc2 = GlyphPixmap(QStringLiteral("NOTE_9004"), 2);
        QCOMPARE(arc2.size(), QSize(192, 62));
        QCOMPARE(arc2.deviceIndependentSize(), QSizeF(96, 31));
        QVERIFY(arc2.hasAlphaChannel());
        // Decoded once: the second look-up is the same picture.
        QCOMPARE(GlyphPixmap(QStringLiteral("NOTE_512")).cacheKey(), cell.cacheKey());
        QVERIFY(GlyphPixmap(QStringLiteral("NOTE_512")).cacheKey() != GlyphPixmap(QStringLiteral("NOTE_513")).cacheKey());
        PreloadGlyphs();
        // 74 glyphs and the arc, plus the missing names looked up above.
        QVERIFY(GlyphCacheSize() >= 75);
        for (int d = 1; d <= 7; ++d)
            for (int l = 0; l <= 2; ++l)
                for (int h = 0; h <= 2; ++h)
                    QVERIFY2(!GlyphPixmap(QStringLiteral("NOTE_%1%2%3").arg(d).arg(l).arg(h)).isNull(),
                             qPrintable(QStringLiteral("%1%2%3").arg(d).arg(l).arg(h)));
    }

    void cellCodeAndBlankRecord()
    {
        SongRecord r = Row(QStringLiteral("1"), QStringLiteral("5"), QStringLiteral("1"), QStringLiteral("2"), 3);
        r.SongID = 7;
        r.SeqID = 12;
        r.SongName = QStringLiteral("茉莉花");
        r.SongDate = QStringLiteral("20260101");
        QCOMPARE(CellCode(r), QStringLiteral("5123"));
        QVERIFY(!IsBlankCell(r));
        ResetToBlank(r);
        QCOMPARE(r.SongID, 0);
        QCOMPARE(r.SeqID, 0);
        QVERIFY(r.SongName.isEmpty());
        QCOMPARE(CellCode(r), QStringLiteral("9000"));
        QVERIFY(IsBlankCell(r));
        QCOMPARE(EntryGlyphName(r), QStringLiteral("NOTE_9000"));
        QCOMPARE(r.InfoType, QStringLiteral("1"));       // kept
        QCOMPARE(r.SongDate, QStringLiteral("20260101")); // kept
        // A rest of one beat is a real cell, not the end of the song.
        QVERIFY(!IsBlankCell(Row(QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), 0)));
        // A space is a cell as well.
        QVERIFY(!IsBlankCell(Row(QStringLiteral("2"), QStringLiteral("9"), QStringLiteral("0"), QStringLiteral("0"), 5)));
    }

    void kindsOfRow_data()
    {
        QTest::addColumn<QString>("info");
        QTest::addColumn<bool>("header");
        QTest::addColumn<bool>("cell");
        QTest::newRow("header") << "0" << true << false;
        QTest::newRow("note") << "1" << false << true;
        QTest::newRow("symbol") << "2" << false << true;
        QTest::newRow("notice") << "9" << false << false;
        QTest::newRow("other") << "3" << false << false;
        QTest::newRow("empty") << "" << false << false;
    }
    void kindsOfRow()
    {
        QFETCH(QString, info);
        QFETCH(bool, header);
        QFETCH(bool, cell);
        SongRecord r;
        r.InfoType = info;
        QCOMPARE(IsHeaderRow(r), header);
        QCOMPARE(IsCellRow(r), cell);
    }

    void pageArithmetic_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::newRow("first") << 1 << 1 << 1 << 0 << 0;
        QTest::newRow("end of line 1") << 35 << 1 << 35 << 0 << 34;
        QTest::newRow("start of line 2") << 36 << 1 << 36 << 1 << 0;
        QTest::newRow("start of line 3") << 71 << 1 << 71 << 2 << 0;
        QTest::newRow("last of page 1") << 105 << 1 << 105 << 2 << 34;
        QTest::newRow("first of page 2") << 106 << 2 << 1 << 0 << 0;
        QTest::newRow("first of page 5") << 421 << 5 << 1 << 0 << 0;
        QTest::newRow("last of page 5") << 525 << 5 << 105 << 2 << 34;
        QTest::newRow("first of page 6") << 526 << 6 << 1 << 0 << 0;
    }
    void pageArithmetic()
    {
        QFETCH(int, n);
        QFETCH(int, page);
        QFETCH(int, pos);
        QFETCH(int, line);
        QFETCH(int, column);
        QCOMPARE(PageOfCell(n), page);
        QCOMPARE(PositionOfCell(n), pos);
        QCOMPARE(LineOfPosition(pos), line);
        QCOMPARE(ColumnOfPosition(pos), column);
        QCOMPARE(FirstCellOfPage(page) + pos - 1, n);
    }

    void cellPlaces()
    {
        QCOMPARE(CellX(1), 28);
        QCOMPARE(CellX(35), 566);
        for (int k = 2; k <= 35; ++k) {
            const int gap = CellX(k) - CellX(k - 1);
            QVERIFY2(gap == 15 || gap == 16, qPrintable(QString::number(k)));
        }
        for (int k = 1; k <= 35; ++k) {
            QCOMPARE(CellY(k), 80);
            QCOMPARE(CellY(k + 35), 140);
            QCOMPARE(CellY(k + 70), 199);
            QCOMPARE(CellX(k + 35), CellX(k));
            QCOMPARE(CellX(k + 70), CellX(k));
        }
        QCOMPARE(PageCaption(3), QStringLiteral("- 3 -"));
    }

    void capacities()
    {
        SongRecord r;
        r.SongName = QString(101, QChar(0x6B4C));   // 202 GBK bytes
        r.SongNote = QStringLiteral("演唱者名字很长");   // 14 bytes
        r.OpernLong = QStringLiteral("abcdefghijkl");
        r.OpernHigh = QStringLiteral("作曲x作曲作曲");  // 13 bytes; the cut never splits a character
        r.InfoType = QStringLiteral("12");
        r.SongDate = QStringLiteral("2026010199");
        CutToCapacity(r);
        QCOMPARE(r.SongName, QString(100, QChar(0x6B4C)));
        QCOMPARE(r.SongNote, QStringLiteral("演唱者名字"));
        QCOMPARE(r.OpernLong, QStringLiteral("abcdefghij"));
        QCOMPARE(r.OpernHigh, QStringLiteral("作曲x作曲"));
        QCOMPARE(r.InfoType, QStringLiteral("1"));
        QCOMPARE(r.SongDate, QStringLiteral("2026010199"));
    }

    void headerOrdinals()
    {
        SongTableType t;
        auto add = [&t](int id, const QString& info) {
            SongRecord r;
            r.SongID = id;
            r.InfoType = info;
            t.push_back(r);
        };
        add(0, QStringLiteral("9"));
        add(1, QStringLiteral("0"));
        add(1, QStringLiteral("1"));
        add(2, QStringLiteral("0"));
        add(2, QStringLiteral("2"));
        add(5, QStringLiteral("0"));
        QCOMPARE(IndexOfHeader(t, 0), 1);
        QCOMPARE(IndexOfHeader(t, 1), 3);
        QCOMPARE(IndexOfHeader(t, 2), 5);
        QCOMPARE(IndexOfHeader(t, 3), -1);
        QCOMPARE(IndexOfHeader(t, -1), -1);
        QCOMPARE(IndexOfHeader(SongTableType{}, 0), -1);
    }
};

TAVO_TEST_MAIN(TestScoreModel)
#include "test_score_model.moc"
