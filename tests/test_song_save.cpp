// Saving the entered song into a temporary library, through the editor's 提交.
#include "EntryTestSupport.h"
#include "core/Errors.h"
#include "core/library/Database.h"
#include "core/library/SongRows.h"
#include "core/formats/JianpuText.h"
#include "core/library/SongMarks.h"
#include "core/library/SongSave.h"
#include "core/library/Password.h"
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kDate = QStringLiteral("|20261206");

struct Library {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("Opern.dat"));
    QString password = DeriveDatabasePassword(QByteArray(PasswordSeed));
    TADOConnection conn;
    AnsweringDialogs dialogs;

    // Songs of the given numbers, titled "歌n", a header and one cell each.
    explicit Library(const QList<int>& ids = {})
    {
        SongTableType rows;
        for (int id : ids)
            for (int seq = 0; seq < 2; ++seq) {
                SongRecord r{id, seq, QStringLiteral("歌%1").arg(id), QStringLiteral("3"), QStringLiteral("0"),
                             QStringLiteral("1"), 0, QString::number(seq), QStringLiteral("20100101")};
                rows.push_back(r);
            }
        CreateSongDatabase(file, password, rows);
        conn.SetTarget(file, password);
    }
    SaveResult Submit(EntryDriver& d) { return SubmitEntry(conn, d.editor, dialogs, QDate(2026, 12, 6), d.fields.title); }
    // One song's rows by SeqID, every column read by name: "seq|title|note|long|high|conn|type|date".
    QStringList Rows(int song)
    {
        TADOQuery q;
        q.Open(conn, QStringLiteral("select * from TableCfg where SongID=? order by SeqID"), {song});
        QStringList out;
        for (q.First(); !q.Eof(); q.Next()) {
            QStringList f{QString::number(q.FieldAsInteger(QStringLiteral("SeqID")))};
            for (const char* c : {"SongName", "SongNote", "OpernLong", "OpernHigh", "Conn", "InfoType", "SongDate"})
                f << q.FieldAsString(QString::fromLatin1(c));
            out << f.join(u'|');
        }
        return out;
    }
    QByteArray Bytes() const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

QStringList Records(const EntryDriver& d)
{
    QStringList all{d.Cursor(), d.editor.Table()[0].SongName};
    for (int i = 0; i < Score::EntryRecordCount; ++i)
        all << d.Record(i);
    return all;
}
}

class TestSongSave : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The song ends before the first record that reads "9000", the header included.
    void songEnd_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("first");   // the row of cell 1
        QTest::addColumn<QString>("last");
        const QString note1 = "1|送别|1|0|1|0|1" + kDate;
        QTest::newRow("only started") << "add" << 1 << QString() << "0|送别|佚名|佚名|佚名|1|0" + kDate;
        QTest::newRow("ten cells and a space") << "add d1 add d2 add d3 add d4 add d5 add d6 add d7 add d1 add d2 add d3 add"
                                               << 12 << note1 << "11|送别|9|0|0|5|2" + kDate;
        QTest::newRow("ends before a cleared cell") << "add d1 add d2 add d3 clr" << 3 << note1 << "2|送别|2|0|1|0|1" + kDate;
        QTest::newRow("slur, bar line, two pages") << "add d5 slur add s2 add*110" << 113 << "1|送别|5|0|1|1|1" + kDate
                                                   << "112|送别|9|0|0|5|2" + kDate;
        QTest::newRow("header reads 9000") << "cad*6 art=9 word=0 comp=0 add d5" << 0 << QString() << QString();
    }
    void songEnd()
    {
        QFETCH(QString, script);
        QFETCH(int, rows);
        QFETCH(QString, first);
        QFETCH(QString, last);
        Library lib;
        EntryDriver d;
        d.Run(script);
        const int clears = d.view.viewClears;
        const SaveResult r = lib.Submit(d);
        QCOMPARE(lib.dialogs.questions, QStringList{QStringLiteral("创建新歌存盘，是否继续？")});
        QVERIFY(r.saved());
        QCOMPARE(r.rows, rows);
        const QStringList stored = lib.Rows(1);
        QCOMPARE(stored.size(), rows);
        QCOMPARE(stored.value(1), first);
        QCOMPARE(stored.value(rows - 1), last);
        // Saved means emptied and drawn blank, even when nothing was written.
        QCOMPARE(Records(d).mid(0, 3), (QStringList{QStringLiteral("0/1"), QString(), QStringLiteral("9000/0")}));
        QCOMPARE(d.view.caption, QStringLiteral("- 1 -"));
        QCOMPARE(d.view.viewClears, clears + 1);
        QCOMPARE(d.view.cells[1], QStringLiteral("NOTE_9000"));
    }

    void songNumber_data()
    {
        QTest::addColumn<QList<int>>("taken");
        QTest::addColumn<int>("expected");   // 0: the library is full
        QList<int> twenty;
        for (int i = 1; i <= 20; ++i)
            twenty << i;
        QTest::newRow("empty library") << QList<int>{} << 1;
        QTest::newRow("1 2 4 taken") << QList<int>{1, 2, 4} << 3;
        QTest::newRow("1 to 20 taken") << twenty << 21;
        QTest::newRow("full") << twenty + QList<int>{21} << 0;
    }
    void songNumber()
    {
        QFETCH(QList<int>, taken);
        QFETCH(int, expected);
        Library lib(taken);
        EntryDriver d;
        d.Run(QStringLiteral("add d5 add d6"));
        const QStringList before = Records(d);
        const SaveResult r = lib.Submit(d);
        QCOMPARE(r.songId, expected);
        QCOMPARE(lib.Rows(expected ? expected : 21).size(), expected ? 3 : 2);
        QCOMPARE(lib.dialogs.errors, expected ? QStringList{} : QStringList{QStringLiteral("曲库已满（21首），无法保存新歌曲！")});
        if (!expected)
            QCOMPARE(Records(d), before);
    }

    // A taken title is said; the next 提交 reads the title field again.
    void takenTitleThenRename()
    {
        Library lib({1});
        EntryDriver d;
        d.fields.title = QStringLiteral("歌1");
        d.Run(QStringLiteral("add d5 add d6"));
        const QStringList before = Records(d);
        // Unusable fields keep the refused title, so the save is refused again.
        for (const QString& field : {QStringLiteral("歌1"), QStringLiteral("  "), QStringLiteral("请输入歌曲名称")}) {
            d.fields.title = field;
            QCOMPARE(lib.Submit(d).outcome, SaveResult::Outcome::TitleTaken);
        }
        QCOMPARE(Records(d), before);
        QCOMPARE(lib.dialogs.errors, QStringList(3, QStringLiteral("歌曲名称已存在，请修改歌曲名称后再提交！")));
        d.fields.title = QStringLiteral("  新歌\t");
        QCOMPARE(lib.Submit(d).songId, 2);
        QCOMPARE(lib.Rows(2), (QStringList{"0|新歌|佚名|佚名|佚名|1|0" + kDate, "1|新歌|5|0|1|0|1" + kDate, "2|新歌|6|0|1|0|1" + kDate}));
    }

    // A refused insert undoes the whole save and leaves the editor holding the song.
    void failingStatementChangesNothing()
    {
        Library lib({1, 2});
        TADOQuery q;
        q.Exec(lib.conn, QStringLiteral("create trigger refuse before insert on TableCfg when new.SeqID = 3 "
                                        "begin select raise(abort, '第三格被拒绝'); end"), {});
        const QByteArray bytes = lib.Bytes();
        EntryDriver d;
        d.Run(QStringLiteral("add d1 add d2 slur add d3 add d4"));
        const QStringList before = Records(d);
        QString error;
        try {
            lib.Submit(d);
        } catch (const TavoError& e) {
            error = e.text();
        }
        QVERIFY2(error.contains(QStringLiteral("第三格被拒绝")), qPrintable(error));
        QCOMPARE(Records(d), before);
        QVERIFY(d.view.arcs[1].shown);
        QVERIFY(lib.Bytes() == bytes);
        // No transaction was left open: the next save goes through.
        q.Exec(lib.conn, QStringLiteral("drop trigger refuse"), {});
        QCOMPARE(lib.Submit(d).songId, 3);
        QCOMPARE(lib.Rows(3).size(), 5);
    }

    void twoSongsInOneRun()
    {
        Library lib;
        EntryDriver d;
        d.Run(QStringLiteral("add d1 add*150"));
        QCOMPARE(lib.Submit(d).songId, 1);
        d.Run(QStringLiteral("title=第二首 add d2 add d3 add d4"));
        QCOMPARE(lib.Submit(d).songId, 2);
        QCOMPARE(lib.Rows(1).size(), 152);
        QCOMPARE(lib.Rows(2).value(3), "3|第二首|4|0|1|0|1" + kDate);
        QCOMPARE(lib.Rows(2).size(), 4);
    }

    void notStartedOrDeclined()
    {
        Library lib;
        EntryDriver d;
        QCOMPARE(lib.Submit(d).outcome, SaveResult::Outcome::NotStarted);
        QVERIFY(lib.dialogs.questions.isEmpty());
        d.Run(QStringLiteral("add d5"));
        lib.dialogs.answers = {false};
        QCOMPARE(lib.Submit(d).outcome, SaveResult::Outcome::Declined);
        QCOMPARE(lib.Rows(1).size(), 0);
        QCOMPARE(d.Record(1), QStringLiteral("5010/1"));
    }

    // A pasted song's key, meter and signs are saved with it, under the saved song's number.
    void marksOfAPastedSongAreSaved()
    {
        Library lib({1});
        EntryDriver d;
        const JianpuParse p = ParseJianpu(QStringLiteral("歌名：升\n1=D 3/4\n1 #4 5 | #4 4 =4 |\n"),
                                          JianpuOptions{JianpuMode::Paste, {}, 1});
        QVERIFY(p.ok());
        const JianpuSong& js = p.songs.at(0);
        d.editor.Fill(js.Rows(), SongToMarks(js.song, js.songID));
        QCOMPARE(d.view.cadence, QStringLiteral("3/4"));
        QCOMPARE(d.view.key.Name(), QStringLiteral("1=D"));
        const SaveResult r = lib.Submit(d);
        QCOMPARE(r.songId, 2);
        const SongTableType rows = ReadSong(lib.conn, 2);
        const Song saved = SongFromRows(rows, ReadSongMarks(lib.conn, rows, 2));
        QCOMPARE(saved.header->key.Name(), QStringLiteral("1=D"));
        QCOMPARE(saved.header->MeterText(), QStringLiteral("3/4"));
        QList<int> alters;
        for (const Cell& c : saved.cells)
            if (c.IsNote())
                alters << c.alter;
        QCOMPARE(alters, (QList<int>{0, 1, 0, 1, 1, 0}));
        // Read by the rows alone, the song is the diatonic one in 4/4.
        QCOMPARE(SongFromRows(rows).header->MeterText(), QStringLiteral("4/4"));
    }
};

QTEST_GUILESS_MAIN(TestSongSave)
#include "test_song_save.moc"
