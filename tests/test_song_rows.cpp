// The song table's door: the stored layout stays as older libraries have it, and adding a
// song writes all of it or none of it.
#include "CoreTestSupport.h"
#include "core/library/Database.h"
#include "core/library/SongRows.h"

namespace {
const QString kPassword = QStringLiteral("pw");

SongRecord Row(int song, int seq, const QString& title, const QString& type, const QString& date = "20100101")
{
    return SongRecord{song, seq, title, QStringLiteral("3"), QStringLiteral("0"), QStringLiteral("1"), 0, type, date};
}

// A header and one cell for each song number, titled "歌n".
SongTableType Songs(const QList<int>& ids)
{
    SongTableType rows;
    for (int id : ids) {
        rows.push_back(Row(id, 0, QStringLiteral("歌%1").arg(id), QStringLiteral("0")));
        rows.push_back(Row(id, 1, QStringLiteral("歌%1").arg(id), QStringLiteral("1")));
    }
    return rows;
}

// Every row as "SongID|SeqID|title|type|date", in table order.
QStringList Dump(TADOConnection& conn)
{
    TADOQuery q;
    q.Open(conn, QStringLiteral("select %1 from TableCfg").arg(SongColumns()), {});
    QStringList out;
    for (q.First(); !q.Eof(); q.Next()) {
        const std::optional<SongRecord> r = ReadSongRow(q);
        out << (r ? QStringLiteral("%1|%2|%3|%4|%5").arg(r->SongID).arg(r->SeqID).arg(r->SongName, r->InfoType, r->SongDate)
                  : UnreadableSongRow(q));
    }
    return out;
}
}

class TestSongRows : public QObject {
    Q_OBJECT
private slots:
    // Libraries written before open the same: the table is created with the very text it always had.
    void layoutIsTheStoredOne()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Opern.dat"));
        CreateSongDatabase(file, kPassword, Songs({4}));
        TADOConnection conn;
        conn.SetTarget(file, kPassword);
        TADOQuery q;
        q.Open(conn, QStringLiteral("select sql from sqlite_master where name='TableCfg'"), {});
        QCOMPARE(q.FieldAsString(QStringLiteral("sql")),
                 QStringLiteral("CREATE TABLE TableCfg (SongID INTEGER, SeqID INTEGER, SongName TEXT, SongNote TEXT, "
                                "OpernLong TEXT, OpernHigh TEXT, Conn INTEGER, InfoType TEXT, SongDate TEXT)"));
        q.Open(conn, QStringLiteral("select typeof(SongID) a, typeof(Conn) b, typeof(SongDate) c from TableCfg"), {});
        QCOMPARE(q.FieldAsString(QStringLiteral("a")) + q.FieldAsString(QStringLiteral("b")) +
                     q.FieldAsString(QStringLiteral("c")),
                 QStringLiteral("integerintegertext"));
        QCOMPARE(Dump(conn), (QStringList{"4|0|歌4|0|20100101", "4|1|歌4|1|20100101"}));
    }

    void addSong_data()
    {
        QTest::addColumn<QList<int>>("existing");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("songId");
        QTest::newRow("empty library takes 1") << QList<int>{} << "新歌" << int(AddedSong::Outcome::Saved) << 1;
        QTest::newRow("lowest gap") << QList<int>{1, 2, 4} << "新歌" << int(AddedSong::Outcome::Saved) << 3;
        QTest::newRow("title taken") << QList<int>{1, 2} << "歌2" << int(AddedSong::Outcome::TitleTaken) << 0;
        QList<int> all;
        for (int n = 1; n <= LibrarySongLimit; ++n)
            all << n;
        QTest::newRow("full") << all << "新歌" << int(AddedSong::Outcome::LibraryFull) << 0;
        // Numbers past the limit are not the library's songs: they leave 1..21 free.
        QTest::newRow("number past the limit") << QList<int>{22, 40} << "新歌" << int(AddedSong::Outcome::Saved) << 1;
    }
    void addSong()
    {
        QFETCH(QList<int>, existing);
        QFETCH(QString, title);
        QFETCH(int, outcome);
        QFETCH(int, songId);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Opern.dat"));
        CreateSongDatabase(file, kPassword, Songs(existing));
        TADOConnection conn;
        conn.SetTarget(file, kPassword);
        const QStringList before = Dump(conn);
        // The rows' own SongID (99) is never what is stored.
        const SongTableType song{Row(99, 0, title, "0", "20261206"), Row(99, 1, title, "1", "20261206")};
        const AddedSong added = AddSong(conn, song, title, QDate(2026, 12, 6));
        QCOMPARE(int(added.outcome), outcome);
        QCOMPARE(added.songId, songId);
        QStringList expected = before;
        if (songId)
            expected << QStringLiteral("%1|0|%2|0|20261206").arg(songId).arg(title)
                     << QStringLiteral("%1|1|%2|1|20261206").arg(songId).arg(title);
        QCOMPARE(Dump(conn), expected);
    }

    // A recent notice refreshes the older ones; an old one and one that breaks off the song do not.
    void addSongNotices()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Opern.dat"));
        SongTableType rows = Songs({1});
        rows.push_back(Row(1, 2, QStringLiteral("旧通知"), QStringLiteral("9"), QStringLiteral("20250101")));
        CreateSongDatabase(file, kPassword, rows);
        TADOConnection conn;
        conn.SetTarget(file, kPassword);
        const QDate today(2026, 12, 6);

        // 20261206 - 20260701 = 505, under the window: the old notice takes the new text.
        AddSong(conn, {Row(0, 0, "甲", "0"), Row(0, 1, "新通知", "9", "20260701")}, "甲", today);
        QVERIFY(Dump(conn).contains("1|2|新通知|9|20260701"));
        // 20261206 - 20251206 = 10000: too old to spread.
        AddSong(conn, {Row(0, 0, "乙", "0"), Row(0, 1, "老通知", "9", "20251206")}, "乙", today);
        QVERIFY(Dump(conn).contains("1|2|新通知|9|20260701"));

        // A notice date that is no number stops the song half way: none of it stays.
        const QStringList before = Dump(conn);
        bool raised = false;
        try {
            AddSong(conn, {Row(0, 0, "丙", "0"), Row(0, 1, "坏", "9", "明天")}, "丙", today);
        } catch (const TavoError&) {
            raised = true;
        }
        QVERIFY(raised);
        QCOMPARE(Dump(conn), before);
    }

    // A row whose numbers cannot be read is named for the user, never read as zero.
    void unreadableRow()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Opern.dat"));
        CreateSongDatabase(file, kPassword, Songs({1}));
        TADOConnection conn;
        conn.SetTarget(file, kPassword);
        TADOQuery q;
        q.Exec(conn, QStringLiteral("update TableCfg set Conn='x' where SeqID=1"), {});
        QCOMPARE(Dump(conn).at(1), QStringLiteral("歌曲“歌1”（SongID 1）中 SeqID 为 1 的一行：Conn 的值“x”不是整数"));
        const QString err = [&] {
            try {
                ReadSong(conn, 1);
            } catch (const TavoError& e) {
                return e.text();
            }
            return QString();
        }();
        QVERIFY(err.contains(QStringLiteral("Conn 的值“x”")));
    }
};

TAVO_CORE_TEST_MAIN(TestSongRows)
#include "test_song_rows.moc"
