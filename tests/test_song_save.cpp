// Saving the entered song into a temporary library, through the editor's 提交.
#include "EntryTestSupport.h"
#include "core/Errors.h"
#include "core/library/Database.h"
#include "core/library/Password.h"
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QDate kToday(2026, 12, 6);

QString Password()
{
    return DeriveDatabasePassword(QByteArray(PasswordSeed));
}

// A stored song: header and two cells.
void AddSong(SongTableType& rows, int id, const QString& title)
{
    for (int seq = 0; seq < 3; ++seq) {
        SongRecord r;
        r.SongID = id;
        r.SeqID = seq;
        r.SongName = title;
        r.SongNote = seq ? QStringLiteral("3") : QStringLiteral("佚名");
        r.OpernLong = QStringLiteral("0");
        r.OpernHigh = QStringLiteral("1");
        r.InfoType = seq ? QStringLiteral("1") : QStringLiteral("0");
        r.SongDate = QStringLiteral("20100101");
        rows.push_back(r);
    }
}

struct Library {
    QTemporaryDir dir;
    QString file;
    TADOConnection conn;
    AnsweringDialogs dialogs;

    explicit Library(const QList<int>& ids = {})
    {
        SongTableType rows;
        for (int id : ids)
            AddSong(rows, id, QStringLiteral("歌%1").arg(id));
        file = dir.filePath(QStringLiteral("Opern.dat"));
        CreateSongDatabase(file, Password(), rows);
        conn.SetTarget(file, Password());
    }

    SaveResult Submit(EntryDriver& d) { return d.editor.Submit(conn, dialogs, kToday, d.fields.title); }

    // Rows of one song by SeqID, every column read by name: "seq|title|note|long|high|conn|type|date".
    QStringList Rows(int song)
    {
        TADOQuery q;
        q.Open(conn, QStringLiteral("select * from TableCfg where SongID=? order by SeqID"), {song});
        QStringList out;
        for (q.First(); !q.Eof(); q.Next()) {
            QStringList f{QString::number(q.FieldAsInteger(QStringLiteral("SeqID")))};
            for (const char* c : {"SongName", "SongNote", "OpernLong", "OpernHigh", "Conn", "InfoType", "SongDate"})
                f << q.FieldAsString(QString::fromLatin1(c));
            out << f.join(QLatin1Char('|'));
        }
        return out;
    }
    int RowCount()
    {
        TADOQuery q;
        q.Open(conn, QStringLiteral("select SongID from TableCfg"), {});
        return q.RecordCount();
    }
};

bool SameTable(const EntryTableType& a, const EntryTableType& b)
{
    auto same = [](const SongRecord& x, const SongRecord& y) {
        return x.SongID == y.SongID && x.SeqID == y.SeqID && x.SongName == y.SongName && x.SongNote == y.SongNote &&
               x.OpernLong == y.OpernLong && x.OpernHigh == y.OpernHigh && x.Conn == y.Conn && x.InfoType == y.InfoType &&
               x.SongDate == y.SongDate;
    };
    return std::equal(a.begin(), a.end(), b.begin(), same);
}

QByteArray FileBytes(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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
        QTest::addColumn<QString>("last");
        QTest::newRow("only started") << "add" << 1 << "0|送别|佚名|佚名|佚名|1|0|20261206";
        QTest::newRow("ten cells and a space")
            << "add d1 add d2 add d3 add d4 add d5 add d6 add d7 add d1 add d2 add d3 add" << 12 << "11|送别|9|0|0|5|2|20261206";
        QTest::newRow("ends before a cleared cell") << "add d1 add d2 add d3 clr" << 3 << "2|送别|2|0|1|0|1|20261206";
        QTest::newRow("header reads 9000") << "cad art=9 word=0 comp=0 add d5" << 0 << "";
    }
    void songEnd()
    {
        QFETCH(QString, script);
        QFETCH(int, rows);
        QFETCH(QString, last);
        Library lib;
        EntryDriver d;
        d.Run(script);
        const SaveResult r = lib.Submit(d);
        QVERIFY(r.saved());
        QCOMPARE(r.songId, 1);
        QCOMPARE(r.rows, rows);
        const QStringList stored = lib.Rows(1);
        QCOMPARE(stored.size(), rows);
        QCOMPARE(stored.isEmpty() ? QString() : stored.last(), last);
        // Saved means emptied, even when nothing was written.
        QCOMPARE(d.editor.Started(), false);
        QCOMPARE(d.Cursor(), QStringLiteral("0/1"));
    }

    void everyColumnAndTheEmptiedEditor()
    {
        Library lib({1});
        EntryDriver d;
        d.Run(QStringLiteral("add d5 slur add s2 add d1 add*104"));
        const int clearsBefore = d.view.viewClears;
        const SaveResult r = lib.Submit(d);
        QCOMPARE(r.songId, 2);
        QCOMPARE(lib.dialogs.questions, QStringList{QStringLiteral("创建新歌存盘，是否继续？")});
        const QStringList rows = lib.Rows(2);
        QCOMPARE(rows.size(), 108);
        QCOMPARE(rows.mid(0, 4), (QStringList{QStringLiteral("0|送别|佚名|佚名|佚名|1|0|20261206"),
                                               QStringLiteral("1|送别|5|0|1|1|1|20261206"),
                                               QStringLiteral("2|送别|9|0|0|2|2|20261206"),
                                               QStringLiteral("3|送别|1|0|1|0|1|20261206")}));
        QCOMPARE(d.view.caption, QStringLiteral("- 1 -"));
        QCOMPARE(d.view.viewClears, clearsBefore + 1);
        QCOMPARE(d.view.cells[1], QStringLiteral("NOTE_9000"));
        for (const EntryArc& a : d.editor.Arcs())
            QCOMPARE(a.record, 0);
        for (int i = 0; i < Score::EntryRecordCount; ++i)
            QVERIFY2(IsBlankCell(d.editor.Table()[size_t(i)]), qPrintable(QString::number(i)));
    }

    void songNumber_data()
    {
        QTest::addColumn<QList<int>>("taken");
        QTest::addColumn<int>("expected");   // 0: the library is full
        QList<int> upTo20, all21;
        for (int i = 1; i <= 21; ++i)
            (i <= 20 ? upTo20 : all21) << i;
        all21 = upTo20 + all21;
        QTest::newRow("empty library") << QList<int>{} << 1;
        QTest::newRow("1 2 4 taken") << QList<int>{1, 2, 4} << 3;
        QTest::newRow("1 to 20 taken") << upTo20 << 21;
        QTest::newRow("full") << all21 << 0;
    }
    void songNumber()
    {
        QFETCH(QList<int>, taken);
        QFETCH(int, expected);
        Library lib(taken);
        const int before = lib.RowCount();
        EntryDriver d;
        d.Run(QStringLiteral("add d5 add d6"));
        const EntryTableType entry = d.editor.Table();
        const SaveResult r = lib.Submit(d);
        if (expected) {
            QCOMPARE(r.songId, expected);
            QCOMPARE(lib.Rows(expected).size(), 3);
            QVERIFY(lib.dialogs.errors.isEmpty());
            return;
        }
        QCOMPARE(r.outcome, SaveResult::Outcome::LibraryFull);
        QCOMPARE(lib.dialogs.errors, QStringList{QStringLiteral("曲库已满（21首），无法保存新歌曲！")});
        QCOMPARE(lib.RowCount(), before);
        QVERIFY(SameTable(d.editor.Table(), entry));
        QCOMPARE(d.Cursor(), QStringLiteral("0/2"));
    }

    // A taken title is said; the next 提交 reads the title field again.
    void takenTitleThenRename()
    {
        Library lib({1});
        EntryDriver d;
        d.fields.title = QStringLiteral("歌1");
        d.Run(QStringLiteral("add d5 add d6"));
        QCOMPARE(lib.Submit(d).outcome, SaveResult::Outcome::TitleTaken);
        QCOMPARE(lib.dialogs.errors, QStringList{QStringLiteral("歌曲名称已存在，请修改歌曲名称后再提交！")});
        QCOMPARE(d.Record(2), QStringLiteral("6010/1"));

        // An unusable field keeps the refused title, so the save is refused again.
        for (const QString& field : {QStringLiteral("  "), QStringLiteral("请输入歌曲名称")}) {
            d.fields.title = field;
            QCOMPARE(lib.Submit(d).outcome, SaveResult::Outcome::TitleTaken);
        }
        d.fields.title = QStringLiteral("  新歌\t");
        const SaveResult r = lib.Submit(d);
        QVERIFY(r.saved());
        QCOMPARE(r.songId, 2);
        QCOMPARE(lib.Rows(2), (QStringList{QStringLiteral("0|新歌|佚名|佚名|佚名|1|0|20261206"),
                                           QStringLiteral("1|新歌|5|0|1|0|1|20261206"),
                                           QStringLiteral("2|新歌|6|0|1|0|1|20261206")}));
        QCOMPARE(lib.dialogs.errors.size(), 3);
    }

    // A refused insert undoes the whole save and leaves the editor holding the song.
    void failingStatementChangesNothing()
    {
        Library lib({1, 2});
        TADOQuery q;
        q.Exec(lib.conn, QStringLiteral("create trigger refuse before insert on TableCfg when new.SeqID = 3 "
                                        "begin select raise(abort, '第三格被拒绝'); end"), {});
        lib.conn.Close();
        const QByteArray before = FileBytes(lib.file);
        QVERIFY(!before.isEmpty());

        EntryDriver d;
        d.Run(QStringLiteral("add d1 add d2 slur add d3 add d4"));
        const EntryTableType entry = d.editor.Table();
        QString error;
        try {
            lib.Submit(d);
        } catch (const TavoError& e) {
            error = e.text();
        }
        QVERIFY2(error.contains(QStringLiteral("第三格被拒绝")), qPrintable(error));
        QVERIFY(SameTable(d.editor.Table(), entry));
        QCOMPARE(d.Cursor(), QStringLiteral("0/4"));
        QCOMPARE(d.view.arcs[1].shown, true);
        lib.conn.Close();
        QVERIFY(FileBytes(lib.file) == before);

        // The connection is usable again: no transaction was left open.
        q.Exec(lib.conn, QStringLiteral("drop trigger refuse"), {});
        const SaveResult r = lib.Submit(d);
        QCOMPARE(r.songId, 3);
        QCOMPARE(lib.Rows(3).size(), 5);
    }

    void twoSongsInOneRun()
    {
        Library lib;
        EntryDriver d;
        d.Run(QStringLiteral("add d1 add*150"));
        QCOMPARE(lib.Submit(d).songId, 1);
        d.fields.title = QStringLiteral("第二首");
        d.Run(QStringLiteral("add d2 add d3 add d4"));
        const SaveResult second = lib.Submit(d);
        QCOMPARE(second.songId, 2);
        QCOMPARE(lib.Rows(1).size(), 152);
        const QStringList rows = lib.Rows(2);
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows.last(), QStringLiteral("3|第二首|4|0|1|0|1|20261206"));
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
        QCOMPARE(lib.RowCount(), 0);
        QCOMPARE(d.Record(1), QStringLiteral("5010/1"));
    }
};

QTEST_GUILESS_MAIN(TestSongSave)
#include "test_song_save.moc"
