#include "TestSupport.h"
#include "core/Errors.h"
#include "ui/widgets/BannerView.h"
#include "core/library/Database.h"
#include "core/library/SongRows.h"
#include "core/library/Password.h"
#include "core/library/SongLibrary.h"
#include <algorithm>
#include <random>

namespace {
SongRecord Row(int song, int seq, const QString& type, const QString& name = QStringLiteral("Song"),
               const QString& date = QStringLiteral("20100101"))
{
    SongRecord r;
    r.SongID = song;
    r.SeqID = seq;
    r.SongName = name;
    r.SongNote = seq == 0 ? QStringLiteral("佚名") : QString::number(seq % 8);
    r.OpernLong = QString::number(seq % 3);
    r.OpernHigh = QString::number((seq + 1) % 3);
    r.Conn = seq % 5;
    r.InfoType = type;
    r.SongDate = date;
    return r;
}

SongRecord Notice(int song, const QString& link, const QString& date)
{
    return Row(song, 0, QStringLiteral("9"), link, date);
}

bool SameRecord(const SongRecord& a, const SongRecord& b)
{
    return a.SongID == b.SongID && a.SeqID == b.SeqID && a.SongName == b.SongName && a.SongNote == b.SongNote
        && a.OpernLong == b.OpernLong && a.OpernHigh == b.OpernHigh && a.Conn == b.Conn && a.InfoType == b.InfoType
        && a.SongDate == b.SongDate;
}
}

class TestSongLoader : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TempEnv> env;
    std::unique_ptr<SongLibrary> lib;
    BannerLinkList links{};
    void writeLibrary(const SongTableType& rows)
    {
        CreateSongDatabase(env->app() + QStringLiteral("dat/Opern.dat"), DeriveDatabasePassword(QByteArray(PasswordSeed)), rows);
    }
    static QByteArray ReadAll(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void load()
    {
        lib->ConnectSongDatabase(env->app() + QStringLiteral("dat/Opern.dat"));
        lib->LoadSongTable(links);
    }
    void fillBannerFromFile()
    {
        for (int s = 1; s <= 30; ++s)
            links[size_t(s)] = QStringLiteral("file%1.swf").arg(s);
    }
    QString loadError()
    {
        try {
            load();
        } catch (const TavoError& e) {
            return e.text();
        }
        return QString();
    }

private Q_SLOTS:
    void init()
    {
        env = std::make_unique<TempEnv>();
        lib = std::make_unique<SongLibrary>();
        links = {};
        lib->Today = [] { return QDate(2010, 7, 16); };
    }
    void cleanup()
    {
        lib.reset();
        env.reset();
    }

    void rowsComeInSongAndSeqOrder()
    {
        SongTableType rows;
        for (int song : {3, 1, 2})
            for (int seq = 0; seq < 12; ++seq)
                rows.push_back(Row(song, seq, seq ? QStringLiteral("1") : QStringLiteral("0"), QStringLiteral("S%1").arg(song)));
        SongTableType shuffled = rows;
        std::mt19937 rng(7);
        std::shuffle(shuffled.begin(), shuffled.end(), rng);
        writeLibrary(shuffled);
        load();
        std::sort(rows.begin(), rows.end(), [](const SongRecord& a, const SongRecord& b) {
            return std::pair(a.SongID, a.SeqID) < std::pair(b.SongID, b.SeqID);
        });
        QCOMPARE(lib->Table().size(), rows.size());
        for (size_t i = 0; i < rows.size(); ++i)
            QVERIFY2(SameRecord(lib->Table()[i], rows[i]), qPrintable(QString::number(i)));
    }

    void textsAreCutToTheirCapacity()
    {
        // 199 single bytes, then a two-byte character across the 200-byte edge.
        const QString title = QString(199, u'a') + QStringLiteral("中") + QString(49, u'b');
        QCOMPARE(GbkLength(title), 250);
        SongRecord h = Row(1, 0, QStringLiteral("0"), title);
        h.SongNote = QStringLiteral("演唱者的名字很长");     // 16 bytes
        h.OpernLong = QStringLiteral("abcdefghi中");          // the character would end at byte 11
        h.OpernHigh = QStringLiteral("0123456789AB");
        h.SongDate = QStringLiteral("2010071600");
        SongRecord n = Notice(2, QStringLiteral("notice.swf"), QStringLiteral("20100701"));
        n.InfoType = QStringLiteral("90");
        writeLibrary({h, n});
        load();
        const SongRecord& r = lib->Table().at(0);
        QCOMPARE(r.SongName, QString(199, u'a'));
        QCOMPARE(r.SongNote, QStringLiteral("演唱者的名"));
        QCOMPARE(r.OpernLong, QStringLiteral("abcdefghi"));
        QCOMPARE(r.OpernHigh, QStringLiteral("0123456789"));
        QCOMPARE(r.SongDate, QStringLiteral("2010071600"));
        // "90" arrives as "9" and is a notice.
        QCOMPARE(lib->Table().at(1).InfoType, QStringLiteral("9"));
        QCOMPARE(links[21], QStringLiteral("notice.swf"));
    }

    void recentNotices_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<bool>("recent");
        QTest::newRow("599 back") << "20100117" << true;
        QTest::newRow("600 back") << "20100116" << false;
        QTest::newRow("today") << "20100716" << true;
        QTest::newRow("later this year") << "20101231" << true;
        QTest::newRow("next year") << "20110101" << true;
        QTest::newRow("last day of last year") << "20091231" << false;
        QTest::newRow("short number, far back") << "2010" << false;
        QTest::newRow("signed") << "+20100701" << true;
    }
    void recentNotices()
    {
        QFETCH(QString, date);
        QFETCH(bool, recent);
        fillBannerFromFile();
        writeLibrary({Notice(1, QStringLiteral("n.swf"), date)});
        load();
        QCOMPARE(lib->Table().size(), size_t(1));
        QCOMPARE(links[21], recent ? QStringLiteral("n.swf") : QStringLiteral("file21.swf"));
        QCOMPARE(links[22], QStringLiteral("file22.swf"));
    }

    // Three recent notices take 21 to 23 in load order; 24 to 30 keep the file's links.
    void noticesFillSlotsFrom21()
    {
        fillBannerFromFile();
        writeLibrary({Notice(9, QStringLiteral("c.swf"), QStringLiteral("20100601")),
                      Row(1, 0, QStringLiteral("0")),
                      Notice(2, QStringLiteral("old.swf"), QStringLiteral("20090716")),
                      Notice(5, QStringLiteral("b.swf"), QStringLiteral("20100701")),
                      Notice(3, QStringLiteral("a.swf"), QStringLiteral("20100201"))});
        load();
        QCOMPARE(links[21], QStringLiteral("a.swf"));
        QCOMPARE(links[22], QStringLiteral("b.swf"));
        QCOMPARE(links[23], QStringLiteral("c.swf"));
        for (int s = 24; s <= 30; ++s)
            QCOMPARE(links[size_t(s)], QStringLiteral("file%1.swf").arg(s));
        for (int s = 1; s <= 20; ++s)
            QCOMPARE(links[size_t(s)], QStringLiteral("file%1.swf").arg(s));
        // Notice rows stay in the song table too.
        QCOMPARE(lib->Table().size(), size_t(5));
    }

    void noMoreThanTenNotices()
    {
        fillBannerFromFile();
        SongTableType rows;
        for (int i = 1; i <= 13; ++i)
            rows.push_back(Notice(i, QStringLiteral("n%1.swf").arg(i), QStringLiteral("20100710")));
        writeLibrary(rows);
        load();
        for (int s = 21; s <= 30; ++s)
            QCOMPARE(links[size_t(s)], QStringLiteral("n%1.swf").arg(s - 20));
        QCOMPARE(links[20], QStringLiteral("file20.swf"));
        QCOMPARE(links[0], QString());
        QCOMPARE(lib->Table().size(), size_t(13));
    }

    // A notice whose date is not a number is left out and named once; every song loads.
    void badNoticeDateSkipsThatRow_data()
    {
        QTest::addColumn<QString>("date");
        QTest::newRow("letters") << "2010x716";
        QTest::newRow("empty") << "";
        QTest::newRow("spaces") << " 20100716";
    }
    void badNoticeDateSkipsThatRow()
    {
        QFETCH(QString, date);
        fillBannerFromFile();
        writeLibrary({Row(1, 0, QStringLiteral("0"), QStringLiteral("first")), Row(1, 1, QStringLiteral("1"), QStringLiteral("first")),
                      Notice(2, QStringLiteral("good.swf"), QStringLiteral("20100710")),
                      Notice(3, QStringLiteral("bad.swf"), date),
                      Row(4, 0, QStringLiteral("0"), QStringLiteral("after")),
                      Notice(5, QStringLiteral("late.swf"), QStringLiteral("20100710"))});
        lib->ConnectSongDatabase(env->app() + QStringLiteral("dat/Opern.dat"));
        const QString report = lib->LoadSongTable(links);
        QCOMPARE(report.count(QStringLiteral("bad.swf")), 1);
        QVERIFY2(report.contains(QStringLiteral("Opern.dat")) && report.contains(QStringLiteral("SongID 3")) &&
                     report.contains(QStringLiteral("1 行")),
                 qPrintable(report));
        QStringList kept;
        for (const SongRecord& r : lib->Table())
            kept << r.SongName;
        QCOMPARE(kept, (QStringList{"first", "first", "good.swf", "after", "late.swf"}));
        QCOMPARE(links[21], QStringLiteral("good.swf"));
        QCOMPARE(links[22], QStringLiteral("late.swf"));
    }

    // A date that is not a number only matters on a notice row.
    void datesOfCellsAreNotRead()
    {
        writeLibrary({Row(1, 0, QStringLiteral("0"), QStringLiteral("s"), QStringLiteral("someday"))});
        load();
        QCOMPARE(lib->Table().at(0).SongDate, QStringLiteral("someday"));
    }

    void emptyTableLeavesEverythingAlone()
    {
        fillBannerFromFile();
        writeLibrary({});
        load();
        QVERIFY(lib->Table().empty());
        for (int s = 1; s <= 30; ++s)
            QCOMPARE(links[size_t(s)], QStringLiteral("file%1.swf").arg(s));
    }

    void missingOrForeignDatabase()
    {
        const QString file = QDir::toNativeSeparators(env->app() + QStringLiteral("dat/Opern.dat"));
        QString err = loadError();
        QVERIFY2(err.contains(file) && err.contains(QStringLiteral("文件不存在")), qPrintable(err));
        QVERIFY(lib->Table().empty());
        CreateSongDatabase(env->app() + QStringLiteral("dat/Opern.dat"), QStringLiteral("another password"),
                           {Row(1, 0, QStringLiteral("0"))});
        err = loadError();
        QVERIFY2(err.contains(file) && err.contains(QStringLiteral("密码不对")), qPrintable(err));
        QVERIFY(lib->Table().empty());
    }

    // A library opened ahead on a worker is taken as it stands; one that failed there is
    // opened again in its step and reported as usual.
    void openedAhead()
    {
        const QString file = env->app() + QStringLiteral("dat/Opern.dat");
        CreateSongDatabase(file, QStringLiteral("another password"), {Row(1, 0, QStringLiteral("0"))});
        lib->OpenAhead(file);
        QVERIFY(loadError().contains(QStringLiteral("密码不对")));
        QVERIFY(QFile::remove(file));
        writeLibrary({Row(1, 0, QStringLiteral("0"), QStringLiteral("S1"))});
        lib->OpenAhead(file);
        lib->ConnectSongDatabase(file);
        QVERIFY(lib->Connection().Connected());   // taken, not opened again
        lib->LoadSongTable(links);
        QCOMPARE(lib->Table().size(), size_t(1));
    }

    // A library that cannot be opened or has no song table is reported with its file and the
    // reason, changes nothing on disk, and leaves no song of an earlier load behind.
    void damagedLibraryIsLeftAlone_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("reason");
        QTest::newRow("zero bytes") << "empty" << "没有歌曲表";
        QTest::newRow("truncated") << "truncated" << "malformed";
        QTest::newRow("random bytes") << "random" << "不是数据库";
        QTest::newRow("link to another file") << "link" << "不是数据库";
        QTest::newRow("no song table") << "table" << "没有歌曲表";
        QTest::newRow("endless view") << "view" << "没有歌曲表";
        QTest::newRow("full-text table over an endless view") << "fts" << "没有歌曲表";
    }
    void damagedLibraryIsLeftAlone()
    {
        QFETCH(QString, damage);
        QFETCH(QString, reason);
        const QString file = env->app() + QStringLiteral("dat/Opern.dat");
        SongTableType rows;
        for (int song = 1; song <= 40; ++song)
            for (int seq = 0; seq < 60; ++seq)
                rows.push_back(Row(song, seq, seq ? QStringLiteral("1") : QStringLiteral("0"), QStringLiteral("歌%1").arg(song)));
        writeLibrary(rows);
        load();
        QCOMPARE(lib->Table().size(), rows.size());

        QFile f(file);
        if (damage == QLatin1String("link")) {
            const QString other = env->root.filePath(QStringLiteral("notes.txt"));
            QFile o(other);
            QVERIFY(o.open(QIODevice::WriteOnly));
            o.write(QByteArray(5000, 'n'));
            o.close();
            QVERIFY(f.remove() && QFile::link(other, file));
        } else if (damage == QLatin1String("table") || damage == QLatin1String("view") || damage == QLatin1String("fts")) {
            QVERIFY(f.remove());
            const QString endless = QStringLiteral("create view %1 as with recursive c(x) as (select 1 union all select x+1 "
                                                   "from c) select x SongID,x SeqID,x SongName,x SongNote,x OpernLong,"
                                                   "x OpernHigh,x Conn,'0' InfoType,x SongDate from c");
            QStringList schema{QStringLiteral("create table Other (a)")};
            if (damage == QLatin1String("view"))
                schema << endless.arg(QStringLiteral("TableCfg"));
            if (damage == QLatin1String("fts"))
                schema << endless.arg(QStringLiteral("v"))
                       << QStringLiteral("create virtual table TableCfg using fts4(content='v', SongID, SeqID, SongName, "
                                         "SongNote, OpernLong, OpernHigh, Conn, InfoType, SongDate)");
            CreateDatabaseFile(file, DeriveDatabasePassword(QByteArray(PasswordSeed)), schema);
        } else {
            QVERIFY(f.open(QIODevice::ReadWrite));
            const qint64 size = f.size();
            QVERIFY(size > 8 * 4096);
            if (damage == QLatin1String("random"))
                for (qint64 i = 0; i < size; ++i)
                    f.putChar(char(i * 7919 % 251));
            QVERIFY(f.resize(damage == QLatin1String("truncated") ? size / 2 : damage == QLatin1String("empty") ? 0 : size));
            f.close();
        }
        const QByteArray before = ReadAll(file);
        const QString err = loadError();
        QVERIFY2(err.contains(QDir::toNativeSeparators(file)) && err.contains(reason), qPrintable(err));
        QVERIFY(lib->Table().empty());
        QCOMPARE(ReadAll(file), before);
        QCOMPARE(QFileInfo(file).isSymLink(), damage == QLatin1String("link"));
        QVERIFY(!QFileInfo::exists(file + QStringLiteral("-journal")));
    }

    // A row whose SongID, SeqID or Conn is not a number is left out and named; the rest loads.
    void rowsThatAreNotNumbersAreSkipped()
    {
        auto row = [](const char* values) { return QStringLiteral("insert into TableCfg values (%1)").arg(QString::fromUtf8(values)); };
        CreateDatabaseFile(env->app() + QStringLiteral("dat/Opern.dat"), DeriveDatabasePassword(QByteArray(PasswordSeed)),
                           {SongTableSchema(),
                            row("1,0,'甲','a','b','c',1,'0','20100101'"), row("1,1,'甲','1','0','1',0,'1',''"),
                            row("2,0,'乙','a','b','c',1,'0','20100101'"), row("2,'二','乙','1','0','1',0,'1',''"),
                            row("2,2,'乙','1','0','1','3.5','1',''"), row("'x',0,'丙','a','b','c',1,'0','20100101'"),
                            row("3,0,'丁','a','b','c',1,'0','20100101'"), row("4,0,'通知.swf','','','',0,'9','20100710'")});
        lib->ConnectSongDatabase(env->app() + QStringLiteral("dat/Opern.dat"));
        const QString report = lib->LoadSongTable(links);
        QStringList kept;
        for (const SongRecord& r : lib->Table())
            kept << QStringLiteral("%1/%2").arg(r.SongID).arg(r.SeqID);
        QCOMPARE(kept, (QStringList{"1/0", "1/1", "2/0", "3/0", "4/0"}));
        QCOMPARE(links[21], QStringLiteral("通知.swf"));
        for (const char* part : {"Opern.dat", "3 行", "歌曲“乙”（SongID 2）中 SeqID 为 二 的一行：SeqID 的值“二”",
                                 "歌曲“乙”（SongID 2）中 SeqID 为 2 的一行：Conn 的值“3.5”", "歌曲“丙”（SongID x）"})
            QVERIFY2(report.contains(QString::fromUtf8(part)), qPrintable(report));
    }

    // The connection always points at the program folder's database, reconnecting after
    // it was pointed elsewhere.
    void connectPointsBackAtTheLibrary()
    {
        writeLibrary({Row(1, 0, QStringLiteral("0"), QStringLiteral("mine"))});
        QTemporaryDir other;
        CreateSongDatabase(other.filePath(QStringLiteral("x.dat")), QStringLiteral("x"), {Row(1, 0, QStringLiteral("0"), QStringLiteral("theirs"))});
        lib->Connection().SetTarget(other.filePath(QStringLiteral("x.dat")), QStringLiteral("x"));
        lib->OpenQuery(QStringLiteral("select SongName from TableCfg"));
        QCOMPARE(lib->Query().FieldAsString(QStringLiteral("SongName")), QStringLiteral("theirs"));
        load();
        QCOMPARE(QDir::cleanPath(lib->Connection().File()), QDir::cleanPath(env->app() + QStringLiteral("dat/Opern.dat")));
        QCOMPARE(lib->Table().at(0).SongName, QStringLiteral("mine"));
    }
};

TAVO_TEST_MAIN(TestSongLoader)
#include "test_song_loader.moc"
