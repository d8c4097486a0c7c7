#include "TestSupport.h"
#include "core/Errors.h"
#include "ui/widgets/ShockwaveFlash.h"
#include "core/library/Database.h"
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
    std::unique_ptr<PianoWindows> w;

    TFormPiano& main() { return *w->main; }
    void writeLibrary(const SongTableType& rows)
    {
        CreateSongDatabase(env->app() + QStringLiteral("dat/Opern.dat"), DeriveDatabasePassword(QByteArray(PasswordSeed)), rows);
    }
    void load()
    {
        main().ConnectSongDatabase();
        main().LoadSongTable();
    }
    void fillBannerFromFile()
    {
        for (int s = 1; s <= 30; ++s)
            main().BannerLinks[size_t(s)] = QStringLiteral("file%1.swf").arg(s);
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
        w = std::make_unique<PianoWindows>();
        AppDir = env->app();
        TodayOverride = [] { return QDate(2010, 7, 16); };
    }
    void cleanup()
    {
        TodayOverride = nullptr;
        w.reset();
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
        QCOMPARE(main().SongTable.size(), rows.size());
        for (size_t i = 0; i < rows.size(); ++i)
            QVERIFY2(SameRecord(main().SongTable[i], rows[i]), qPrintable(QString::number(i)));
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
        const SongRecord& r = main().SongTable.at(0);
        QCOMPARE(r.SongName, QString(199, u'a'));
        QCOMPARE(r.SongNote, QStringLiteral("演唱者的名"));
        QCOMPARE(r.OpernLong, QStringLiteral("abcdefghi"));
        QCOMPARE(r.OpernHigh, QStringLiteral("0123456789"));
        QCOMPARE(r.SongDate, QStringLiteral("2010071600"));
        // "90" arrives as "9" and is a notice.
        QCOMPARE(main().SongTable.at(1).InfoType, QStringLiteral("9"));
        QCOMPARE(main().BannerLinks[21], QStringLiteral("notice.swf"));
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
        QCOMPARE(main().SongTable.size(), size_t(1));
        QCOMPARE(main().BannerLinks[21], recent ? QStringLiteral("n.swf") : QStringLiteral("file21.swf"));
        QCOMPARE(main().BannerLinks[22], QStringLiteral("file22.swf"));
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
        QCOMPARE(main().BannerLinks[21], QStringLiteral("a.swf"));
        QCOMPARE(main().BannerLinks[22], QStringLiteral("b.swf"));
        QCOMPARE(main().BannerLinks[23], QStringLiteral("c.swf"));
        for (int s = 24; s <= 30; ++s)
            QCOMPARE(main().BannerLinks[size_t(s)], QStringLiteral("file%1.swf").arg(s));
        for (int s = 1; s <= 20; ++s)
            QCOMPARE(main().BannerLinks[size_t(s)], QStringLiteral("file%1.swf").arg(s));
        // Notice rows stay in the song table too.
        QCOMPARE(main().SongTable.size(), size_t(5));
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
            QCOMPARE(main().BannerLinks[size_t(s)], QStringLiteral("n%1.swf").arg(s - 20));
        QCOMPARE(main().BannerLinks[20], QStringLiteral("file20.swf"));
        QCOMPARE(main().BannerLinks[0], QString());
        QCOMPARE(main().SongTable.size(), size_t(13));
    }

    void badNoticeDateStopsTheLoad_data()
    {
        QTest::addColumn<QString>("date");
        QTest::newRow("letters") << "2010x716";
        QTest::newRow("empty") << "";
        QTest::newRow("spaces") << " 20100716";
    }
    void badNoticeDateStopsTheLoad()
    {
        QFETCH(QString, date);
        fillBannerFromFile();
        writeLibrary({Row(1, 0, QStringLiteral("0"), QStringLiteral("first")), Row(1, 1, QStringLiteral("1"), QStringLiteral("first")),
                      Notice(2, QStringLiteral("good.swf"), QStringLiteral("20100710")),
                      Notice(3, QStringLiteral("bad.swf"), date),
                      Row(4, 0, QStringLiteral("0"), QStringLiteral("after")),
                      Notice(5, QStringLiteral("late.swf"), QStringLiteral("20100710"))});
        const QString err = loadError();
        QVERIFY2(err.contains(QStringLiteral("is not a valid integer value")), qPrintable(err));
        QCOMPARE(main().SongTable.size(), size_t(6));
        QCOMPARE(main().SongTable[0].SongName, QStringLiteral("first"));
        QCOMPARE(main().SongTable[1].SeqID, 1);
        QCOMPARE(main().SongTable[3].SongName, QStringLiteral("bad.swf"));
        // The rest stays blank.
        QCOMPARE(main().SongTable[4].SongID, 0);
        QCOMPARE(main().SongTable[4].SongName, QString());
        QCOMPARE(main().SongTable[5].InfoType, QString());
        QCOMPARE(main().BannerLinks[21], QStringLiteral("good.swf"));
        QCOMPARE(main().BannerLinks[22], QStringLiteral("file22.swf"));
    }

    // A date that is not a number only matters on a notice row.
    void datesOfCellsAreNotRead()
    {
        writeLibrary({Row(1, 0, QStringLiteral("0"), QStringLiteral("s"), QStringLiteral("someday"))});
        load();
        QCOMPARE(main().SongTable.at(0).SongDate, QStringLiteral("someday"));
    }

    void emptyTableLeavesEverythingAlone()
    {
        fillBannerFromFile();
        main().MySWF->SetBackgroundColor(0x123456);
        writeLibrary({});
        load();
        QVERIFY(main().SongTable.empty());
        for (int s = 1; s <= 30; ++s)
            QCOMPARE(main().BannerLinks[size_t(s)], QStringLiteral("file%1.swf").arg(s));
        QCOMPARE(main().MySWF->BackgroundColor(), 0x123456);
        // With a row the banner's background is reset to 0.
        QFile::remove(env->app() + QStringLiteral("dat/Opern.dat"));
        writeLibrary({Row(1, 0, QStringLiteral("0"))});
        load();
        QCOMPARE(main().MySWF->BackgroundColor(), 0);
    }

    void missingOrForeignDatabase()
    {
        const QString file = QDir::toNativeSeparators(env->app() + QStringLiteral("dat/Opern.dat"));
        QString err = loadError();
        QVERIFY2(err.contains(file) && err.contains(QStringLiteral("does not exist")), qPrintable(err));
        QVERIFY(main().SongTable.empty());
        CreateSongDatabase(env->app() + QStringLiteral("dat/Opern.dat"), QStringLiteral("another password"),
                           {Row(1, 0, QStringLiteral("0"))});
        err = loadError();
        QVERIFY2(err.contains(file) && err.contains(QStringLiteral("password is wrong")), qPrintable(err));
        QVERIFY(main().SongTable.empty());
    }

    // The connection always points at the program folder's database, reconnecting after
    // it was pointed elsewhere.
    void connectPointsBackAtTheLibrary()
    {
        writeLibrary({Row(1, 0, QStringLiteral("0"), QStringLiteral("mine"))});
        QTemporaryDir other;
        CreateSongDatabase(other.filePath(QStringLiteral("x.dat")), QStringLiteral("x"), {Row(1, 0, QStringLiteral("0"), QStringLiteral("theirs"))});
        main().ADOConn->SetTarget(other.filePath(QStringLiteral("x.dat")), QStringLiteral("x"));
        main().OpenQuery(QStringLiteral("select SongName from TableCfg"));
        QCOMPARE(main().ADOQryESM->FieldAsString(QStringLiteral("SongName")), QStringLiteral("theirs"));
        load();
        QCOMPARE(QDir::cleanPath(main().ADOConn->File()), QDir::cleanPath(env->app() + QStringLiteral("dat/Opern.dat")));
        QCOMPARE(main().SongTable.at(0).SongName, QStringLiteral("mine"));
    }
};

TAVO_TEST_MAIN(TestSongLoader)
#include "test_song_loader.moc"
