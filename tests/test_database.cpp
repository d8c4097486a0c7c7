#include "CoreTestSupport.h"
#include "core/Errors.h"
#include "core/library/Database.h"
#include "core/library/SongRows.h"
#include "core/library/SongLibrary.h"

namespace {
SongRecord Row(int song, int seq, const QString& name, const QString& type = QStringLiteral("1"))
{
    SongRecord r;
    r.SongID = song;
    r.SeqID = seq;
    r.SongName = name;
    r.SongNote = QStringLiteral("5");
    r.OpernLong = QStringLiteral("1");
    r.OpernHigh = QStringLiteral("2");
    r.Conn = 0;
    r.InfoType = type;
    r.SongDate = QStringLiteral("20100716");
    return r;
}

QString ErrorOf(const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const TavoError& e) {
        return e.text();
    }
    return QString();
}
}

class TestDatabase : public QObject {
    Q_OBJECT
private:
    QString makeDb(const QTemporaryDir& dir, const QString& password, const SongTableType& rows = {})
    {
        const QString file = dir.filePath(QStringLiteral("songs.dat"));
        CreateSongDatabase(file, password, rows);
        return file;
    }

private Q_SLOTS:
    // A statement that would run or grow without end is stopped by its budget, naming the file.
    void statementsStopAtTheirBudget()
    {
        QTemporaryDir dir;
        const QString file = makeDb(dir, QStringLiteral("pw"), {Row(1, 0, QStringLiteral("甲"), QStringLiteral("0"))});
        TADOConnection conn;
        conn.SetTarget(file, QStringLiteral("pw"));
        TADOQuery q;
        for (const char* select : {"x from c", "count(*) from c"}) {
            const QString sql = QStringLiteral("with recursive c(x) as (select randomblob(1000) union select "
                                               "randomblob(1000) from c) select ") + QLatin1String(select);
            QElapsedTimer clock;
            clock.start();
            const QString err = ErrorOf([&] { q.Open(conn, sql, {}); });
            QVERIFY(clock.elapsed() < 3 * StatementTimeBudgetMs);
            QVERIFY2(err.contains(QDir::toNativeSeparators(file)) && err.contains(QStringLiteral("已停止")), qPrintable(err));
        }
    }

    // Values travel as parameters, so quotes and SQL-looking titles are just text.
    void boundValuesSurviveQuotes()
    {
        QTemporaryDir dir;
        const QString file = makeDb(dir, QStringLiteral("pw"));
        TADOConnection conn;
        conn.SetTarget(file, QStringLiteral("pw"));
        TADOQuery q;
        const QStringList titles{QStringLiteral("Don't Stop"), QStringLiteral("x'); drop table TableCfg; --"),
                                 QStringLiteral("送别 '李叔同'")};
        int seq = 0;
        for (const QString& t : titles)
            q.Exec(conn, QStringLiteral("insert into TableCfg (SongID,SeqID,SongName,InfoType) values (?,?,?,?)"),
                   {1, seq++, t, QStringLiteral("0")});
        q.Open(conn, QStringLiteral("select SongName from TableCfg where SongName=? order by SeqID"), {titles[1]});
        QCOMPARE(q.RecordCount(), 1);
        QCOMPARE(q.FieldAsString(QStringLiteral("SongName")), titles[1]);
        q.Open(conn, QStringLiteral("select SeqID,SongName from TableCfg order by SeqID"), {});
        QStringList back;
        for (q.First(); !q.Eof(); q.Next())
            back << q.FieldAsString(QStringLiteral("songname"));   // names ignore case
        QCOMPARE(back, titles);
    }

    // The integer columns take decimals written as text, as the inserts quote every value.
    void integerColumnsTakeQuotedNumbers()
    {
        QTemporaryDir dir;
        const QString file = makeDb(dir, QStringLiteral("pw"));
        TADOConnection conn;
        conn.SetTarget(file, QStringLiteral("pw"));
        TADOQuery q;
        q.Exec(conn, QStringLiteral("insert into TableCfg (SongID,SeqID,Conn,SongName) values (?,?,?,?)"),
               {QStringLiteral("12"), QStringLiteral("3"), QStringLiteral("-2"), QStringLiteral("7")});
        q.Open(conn, QStringLiteral("select SongID,SeqID,Conn,SongName,SongNote,typeof(SongID) as t from TableCfg where SongID=?"), {12});
        QCOMPARE(q.RecordCount(), 1);
        QCOMPARE(q.FieldAsInteger(QStringLiteral("SongID")), 12);
        QCOMPARE(q.FieldAsInteger(QStringLiteral("SeqID")), 3);
        QCOMPARE(q.FieldAsInteger(QStringLiteral("Conn")), -2);
        QCOMPARE(q.FieldAsString(QStringLiteral("t")), QStringLiteral("integer"));
        QCOMPARE(q.FieldAsInteger(QStringLiteral("SongName")), 7);     // text "7" reads as a number
        QCOMPARE(q.FieldAsString(QStringLiteral("SongNote")), QString());  // null reads empty
        QCOMPARE(q.FieldAsInteger(QStringLiteral("SongNote")), 0);
    }

    void fieldReadingFaults_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("letters") << "SongName" << "12a" << "'12a' 不是有效的整数值";
        QTest::newRow("spaces") << "SongName" << " 12" << "' 12' 不是有效的整数值";
        QTest::newRow("empty") << "SongName" << "" << "'' 不是有效的整数值";
        QTest::newRow("too big") << "SongName" << "99999999999" << "不是有效的整数值";
        QTest::newRow("no such column") << "Nothing" << "1" << "找不到字段“Nothing”";
    }
    void fieldReadingFaults()
    {
        QFETCH(QString, column);
        QFETCH(QString, value);
        QFETCH(QString, message);
        QTemporaryDir dir;
        SongTableType rows{Row(1, 0, value)};
        const QString file = makeDb(dir, QStringLiteral("pw"), rows);
        TADOConnection conn;
        conn.SetTarget(file, QStringLiteral("pw"));
        TADOQuery q;
        q.Open(conn, QStringLiteral("select SongName from TableCfg"), {});
        const QString err = ErrorOf([&] { q.FieldAsInteger(column); });
        QVERIFY2(err.contains(message), qPrintable(err));
    }

    void missingFileIsNamedAndNotCreated()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("dat/Opern.dat"));
        TADOConnection conn;
        conn.SetTarget(file, QStringLiteral("pw"));
        TADOQuery q;
        const QString err = ErrorOf([&] { q.Open(conn, QStringLiteral("select * from TableCfg"), {}); });
        QVERIFY2(err.contains(QDir::toNativeSeparators(file)), qPrintable(err));
        QVERIFY2(err.contains(QStringLiteral("文件不存在")), qPrintable(err));
        QVERIFY(!conn.Connected());
        QVERIFY(!QFileInfo::exists(file));
    }

    void wrongPasswordFailsCleanly()
    {
        QTemporaryDir dir;
        const QString file = makeDb(dir, QStringLiteral("right"), {Row(1, 0, QStringLiteral("a"))});
        const QByteArray before = [&] { QFile f(file); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        for (const QString& wrong : {QStringLiteral("wrong"), QString()}) {
            TADOConnection conn;
            conn.SetTarget(file, wrong);
            TADOQuery q;
            const QString err = ErrorOf([&] { q.Open(conn, QStringLiteral("select * from TableCfg"), {}); });
            QVERIFY2(err.contains(QStringLiteral("密码不对")), qPrintable(err));
            QVERIFY2(err.contains(QDir::toNativeSeparators(file)), qPrintable(err));
            QVERIFY(!conn.Connected());
            QCOMPARE(q.RecordCount(), 0);
        }
        // The file is untouched and opens with the right password on the same connection.
        const QByteArray after = [&] { QFile f(file); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        QCOMPARE(after, before);
        TADOConnection conn;
        conn.SetTarget(file, QStringLiteral("wrong"));
        TADOQuery q;
        QVERIFY(!ErrorOf([&] { q.Open(conn, QStringLiteral("select 1"), {}); }).isEmpty());
        conn.SetTarget(file, QStringLiteral("right"));
        q.Open(conn, QStringLiteral("select SongName from TableCfg"), {});
        QCOMPARE(q.FieldAsString(QStringLiteral("SongName")), QStringLiteral("a"));
    }

    // The file is really encrypted: no title can be read from its bytes.
    void fileIsEncrypted()
    {
        QTemporaryDir dir;
        const QString file = makeDb(dir, QStringLiteral("pw"), {Row(1, 0, QStringLiteral("PlainTitleMarker"))});
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(!bytes.contains("PlainTitleMarker"));
        QVERIFY(!bytes.startsWith("SQLite format 3"));
    }

    void statementFaults_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("params");
        QTest::addColumn<QString>("message");
        QTest::newRow("two statements") << "select 1; drop table TableCfg" << QVariantList{} << "一次只能执行一条语句";
        QTest::newRow("too few values") << "select * from TableCfg where SongID=? and SeqID=?" << QVariantList{1}
                                        << "语句需要 2 个值，却给了 1 个";
        QTest::newRow("too many values") << "select * from TableCfg" << QVariantList{1} << "语句需要 0 个值，却给了 1 个";
        QTest::newRow("no such table") << "select * from Nothing" << QVariantList{} << "no such table: Nothing";
        QTest::newRow("no such column") << "select Bogus from TableCfg" << QVariantList{} << "no such column: Bogus";
    }
    void statementFaults()
    {
        QFETCH(QString, sql);
        QFETCH(QVariantList, params);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString file = makeDb(dir, QStringLiteral("pw"), {Row(1, 0, QStringLiteral("a"))});
        TADOConnection conn;
        conn.SetTarget(file, QStringLiteral("pw"));
        TADOQuery q;
        const QString err = ErrorOf([&] { q.Open(conn, sql, params); });
        QVERIFY2(err.contains(message), qPrintable(err));
        const QString err2 = ErrorOf([&] { q.Exec(conn, sql, params); });
        QVERIFY2(err2.contains(message), qPrintable(err2));
        // Nothing after the refused text ran.
        q.Open(conn, QStringLiteral("select count(*) as n from TableCfg"), {});
        QCOMPARE(q.FieldAsInteger(QStringLiteral("n")), 1);
    }

    // A statement that returns no rows leaves the rows of the last select in place.
    void execKeepsLastSelect()
    {
        QTemporaryDir dir;
        const QString file = makeDb(dir, QStringLiteral("pw"), {Row(1, 0, QStringLiteral("a")), Row(1, 1, QStringLiteral("a"))});
        TADOConnection conn;
        conn.SetTarget(file, QStringLiteral("pw"));
        TADOQuery q;
        q.Open(conn, QStringLiteral("select SeqID from TableCfg order by SeqID"), {});
        q.Next();
        q.Exec(conn, QStringLiteral("delete from TableCfg where SeqID=?"), {0});
        QCOMPARE(q.RecordCount(), 2);
        QCOMPARE(q.FieldAsInteger(QStringLiteral("SeqID")), 1);
        q.Next();
        QVERIFY(q.Eof());
        QVERIFY(ErrorOf([&] { q.FieldAsInteger(QStringLiteral("SeqID")); }).contains(QStringLiteral("当前没有可读的记录")));
        q.Open(conn, QStringLiteral("select SeqID from TableCfg"), {});
        QCOMPARE(q.RecordCount(), 1);
    }

    void createNeverOverwrites()
    {
        QTemporaryDir dir;
        const QString file = makeDb(dir, QStringLiteral("pw"), {Row(1, 0, QStringLiteral("keep me"))});
        const QString err = ErrorOf([&] { CreateSongDatabase(file, QStringLiteral("pw"), {}); });
        QVERIFY2(err.contains(QStringLiteral("已存在")), qPrintable(err));
        TADOConnection conn;
        conn.SetTarget(file, QStringLiteral("pw"));
        TADOQuery q;
        q.Open(conn, QStringLiteral("select SongName from TableCfg"), {});
        QCOMPARE(q.FieldAsString(QStringLiteral("SongName")), QStringLiteral("keep me"));
        // A failed creation leaves nothing behind.
        const QString bad = dir.filePath(QStringLiteral("bad.dat"));
        QVERIFY(!ErrorOf([&] { CreateDatabaseFile(bad, QStringLiteral("pw"), {QStringLiteral("create tabel x")}); }).isEmpty());
        QVERIFY(!QFileInfo::exists(bad));
    }

    // The library's two steps run on its one connection and one query.
    void libraryStepsShareOneConnection()
    {
        SongLibrary lib;
        QTemporaryDir dir;
        const QString file = makeDb(dir, QStringLiteral("pw"));
        lib.Connection().SetTarget(file, QStringLiteral("pw"));
        lib.ExecStatement(QStringLiteral("insert into TableCfg (SongID,SeqID,SongName) values (?,?,?)"),
                          {QStringLiteral("4"), QStringLiteral("0"), QStringLiteral("It's")});
        QVERIFY(lib.Connection().Connected());
        lib.OpenQuery(QStringLiteral("select SongID,SongName from TableCfg where SongName=?"), {QStringLiteral("It's")});
        QCOMPARE(lib.Query().RecordCount(), 1);
        QCOMPARE(lib.Query().FieldAsInteger(QStringLiteral("SongID")), 4);
        lib.Connection().Close();
        QVERIFY(!lib.Connection().Connected());
        // Reopens by itself on the next statement.
        lib.OpenQuery(QStringLiteral("select count(*) as n from TableCfg"));
        QCOMPARE(lib.Query().FieldAsInteger(QStringLiteral("n")), 1);
    }
};

TAVO_CORE_TEST_MAIN(TestDatabase)
#include "test_database.moc"
