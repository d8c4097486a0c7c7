// The typed song: rows decode once and encode back to exactly what was stored.
#include "core/formats/JianpuText.h"
#include "core/score/Song.h"
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

namespace {

QString StarterText()
{
    QFile f(QStringLiteral(TAVO_SOURCE_DIR "/assets/songs.txt"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

SongRecord Row(const char* note, const char* length, const char* octave, int conn, const char* kind)
{
    SongRecord r;
    r.SongNote = QString::fromUtf8(note);
    r.OpernLong = QString::fromUtf8(length);
    r.OpernHigh = QString::fromUtf8(octave);
    r.Conn = conn;
    r.InfoType = QString::fromLatin1(kind);
    return r;
}

// A random song of every kind of cell the editor can write.
Song RandomSong(QRandomGenerator& rng)
{
    Song s;
    s.header = SongHeader{QStringLiteral("随机"), QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙"),
                          int(rng.bounded(2))};
    const int n = int(rng.bounded(1, 300));
    for (int i = 0; i < n; ++i) {
        switch (rng.bounded(6)) {
        case 0: s.cells.push_back(Cell::MakeRest(int(rng.bounded(3)))); break;
        case 1: s.cells.push_back(Cell::MakeDot(int(rng.bounded(3)))); break;
        case 2: s.cells.push_back(Cell::MakeSymbol(CellKind::Bar)); break;
        case 3: s.cells.push_back(Cell::MakeSymbol(rng.bounded(2) ? CellKind::Dash : CellKind::Space)); break;
        default:
            s.cells.push_back(Cell::MakeNote(int(rng.bounded(1, 8)), int(rng.bounded(3)), int(rng.bounded(3)),
                                             int(rng.bounded(6))));
        }
    }
    return s;
}

} // namespace

class TestSong : public QObject {
    Q_OBJECT
private slots:
    void rowsAndSongsRoundTrip()
    {
        const std::vector<JianpuSong> starters = ParseSongText(StarterText(), QStringLiteral("20260101"));
        QVERIFY(starters.size() >= 5);
        for (const JianpuSong& js : starters) {
            const SongTableType rows = js.Rows();
            const Song song = SongFromRows(rows);
            QCOMPARE(song, js.song);
            QVERIFY(js.cells() > 20);
            // Every starter cell decodes exactly: nothing is kept as stored.
            for (const Cell& c : song.cells)
                QVERIFY(!c.stored);
            QCOMPARE(SongToRows(song, js.songID, QStringLiteral("20260101")), rows);
        }
        QRandomGenerator rng(26);
        for (int i = 0; i < 200; ++i) {
            const Song s = RandomSong(rng);
            QCOMPARE(SongFromRows(SongToRows(s, 3, QStringLiteral("20261209"))), s);
        }
    }

    void headerPunning()
    {
        SongRecord h = Row("张三", "李四", "王五", 0, "0");
        h.SongName = QStringLiteral("歌");
        const Song s = SongFromRows(SongTableType{h});
        QCOMPARE(s.header->performer, QStringLiteral("张三"));
        QCOMPARE(s.header->lyricist, QStringLiteral("李四"));
        QCOMPARE(s.header->composer, QStringLiteral("王五"));
        QCOMPARE(MeterCaption(s.header->timeCode), QStringLiteral("2/4"));
        QCOMPARE(MeterBeats(s.header->timeCode), 2);
        // An unknown time code is kept and has no caption.
        h.Conn = 7;
        QCOMPARE(SongToRows(SongFromRows(SongTableType{h}), 1, {}).at(0).Conn, 7);
        QVERIFY(MeterCaption(7).isEmpty());
    }

    // Rows the program never writes still draw, time and save as they did.
    void oddRowsKeepTheirStoredForm_data()
    {
        QTest::addColumn<SongRecord>("row");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("glyph");
        QTest::newRow("note 8") << Row("8", "0", "1", 0, "1") << int(CellKind::Note) << "NOTE_801";
        QTest::newRow("rest with an octave") << Row("0", "1", "2", 0, "1") << int(CellKind::Rest) << "NOTE_012";
        QTest::newRow("long code") << Row("5", "01", "1", 0, "1") << int(CellKind::Note) << "NOTE_5011";
        QTest::newRow("symbol 4") << Row("9", "0", "0", 4, "2") << int(CellKind::Other) << "NOTE_9004";
        QTest::newRow("bar under a 5") << Row("5", "0", "0", 2, "2") << int(CellKind::Bar) << "NOTE_5002";
        QTest::newRow("symbol in a note row") << Row("9", "0", "0", 2, "1") << int(CellKind::Note) << "NOTE_900";
    }
    void oddRowsKeepTheirStoredForm()
    {
        QFETCH(SongRecord, row);
        QFETCH(int, kind);
        QFETCH(QString, glyph);
        const std::optional<Cell> c = CellFromRow(row);
        QVERIFY(c);
        QCOMPARE(int(c->kind), kind);
        QVERIFY(c->stored);
        QCOMPARE(CellGlyph(*c), glyph);
        SongRecord back;
        CellToRow(*c, back);
        QCOMPARE(CellCode(back), CellCode(row));
        QCOMPARE(back.InfoType, row.InfoType);
    }

    // Signs carry to the bar line; what is stored is what sounds, and the writer writes the
    // signs print shows, so the text reads back as the same song.
    void textWithSignsKeyAndMeter()
    {
        const JianpuParse p = ParseJianpu(QStringLiteral("歌名：升\n1=D 3/4\n#4 4 =4 | 4 b7 7 |\n"),
                                          JianpuOptions{JianpuMode::Paste, {}, 1});
        QVERIFY2(p.ok(), qPrintable(p.summary()));
        const Song& s = p.songs.at(0).song;
        QCOMPARE(s.header->key.Name(), QStringLiteral("1=D"));
        QCOMPARE(s.header->MeterText(), QStringLiteral("3/4"));
        QList<int> alters, pitches, inC;
        for (const Cell& c : s.cells)
            if (c.IsNote()) {
                alters << c.alter;
                pitches << CellPitch(s, c, Sounding::InSongKey);
                inC << CellPitch(s, c, Sounding::InC);
            }
        QCOMPARE(alters, (QList<int>{1, 1, 0, 0, -1, -1}));
        QCOMPARE(pitches, (QList<int>{68, 68, 67, 67, 72, 72}));   // g♯1 g♯1 g1 g1 c2 c2 in D
        QCOMPARE(inC, (QList<int>{66, 66, 65, 65, 70, 70}));       // f♯1 f♯1 f1 f1 b♭1 b♭1 from C
        const QString text = WriteJianpu(s);
        QVERIFY2(text.contains(QStringLiteral("#4 4 =4 | 4 b7 7 |")), qPrintable(text));
        const JianpuParse again = ParseJianpu(text, JianpuOptions{JianpuMode::Paste, {}, 1});
        QVERIFY(again.ok());
        QCOMPARE(again.songs.at(0).song, s);
        // A flat key as the writer spells it, and a compound meter, read again.
        Song flat = s;
        flat.header->key = *Key::FromName(u"1=bB");
        flat.header->SetMeter(*Meter::FromCaption(u"6/8"));
        const JianpuParse back = ParseJianpu(WriteJianpu(flat), JianpuOptions{JianpuMode::Paste, {}, 1});
        QVERIFY2(back.ok(), qPrintable(back.summary()));
        QCOMPARE(back.songs.at(0).song.header->key.Name(), QStringLiteral("1=♭B"));
        QCOMPARE(back.songs.at(0).song.header->MeterText(), QStringLiteral("6/8"));
    }

    void theFirstBlankEndsTheSongAndRowsAreRemembered()
    {
        SongTableType table;
        SongRecord h = Row("a", "b", "c", 1, "0");
        for (int id : {1, 2}) {
            h.SongID = id;
            table.push_back(h);
        }
        for (const SongRecord& r : {Row("1", "0", "1", 2, "1"), Row("9", "0", "0", 2, "2"), Row("9", "0", "0", 0, "2"),
                                    Row("3", "0", "1", 0, "1")}) {
            table.push_back(r);
            table.back().SongID = 2;
        }
        const Song s = SongFromTable(table, 2);
        QCOMPARE(int(s.cells.size()), 2);
        QCOMPARE(s.rows, (std::vector<int>{2, 3}));
        QCOMPARE(s.cells[0], Cell::MakeNote(1, 0, 1, 2));
        QCOMPARE(CellGlyph(s.cells[1]), QStringLiteral("NOTE_9002"));
        QVERIFY(SongFromTable(table, 3).cells.empty());
    }
};

QTEST_GUILESS_MAIN(TestSong)
#include "test_song.moc"
