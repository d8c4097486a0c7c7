// Settings files, banner pick and banner refresh against a loopback page server.
#include "core/files/FileOps.h"
#include "core/settings/Banner.h"
#include "core/settings/WebAddresses.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <set>

using Slots = QMap<int, QString>;

namespace {

// Answers every request with a fixed reply, or holds the connection and never answers.
class PageServer : public QTcpServer {
public:
    QByteArray status = "200 OK";
    QByteArray body;
    bool answer = true;
    PageServer()
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* s = nextPendingConnection();
            connect(s, &QTcpSocket::readyRead, s, [this, s] {
                if (!answer || !s->readAll().contains("\r\n\r\n"))
                    return;
                s->write("HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
                         "\r\nConnection: close\r\n\r\n" + body);
                s->disconnectFromHost();
            });
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/").arg(serverPort()); }
};

QString Info(const QString& file, int key) { return IniReadString(file, "info", QString::number(key), ""); }
QString Link(const QString& file, int key) { return IniReadString(file, "link", QString::number(key), ""); }
QByteArray Anchor(int n, const char* caption = "[新] 歌")
{
    return "<li><a href='http://h.example/m" + QByteArray::number(n) + ".swf'>" + caption + "</a></li>";
}

} // namespace

class TestBanner : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loadSettingsFiles()
    {
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QStringLiteral("/cfg/tavo");   // not there yet
        const QString settings = SettingsFilePath(folder), banner = BannerFilePath(folder);
        LoadSettingsFiles(folder);
        QFile f(settings);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts),
                 QStringList({"[cfg]", "commision=0", "stamptax=0", "transfer=0", "otherfee=0", "precision=0"}));
        IniWriteString(settings, "cfg", "precision", "7");
        IniWriteString(banner, "info", "21", "[a]");
        IniWriteString(banner, "link", "21", "http://h.example/21.jpg");
        IniWriteString(banner, "link", "22", "http://h.example/22.jpg");   // no caption: does not count
        IniWriteString(banner, "info", "5", "x");
        IniWriteString(banner, "link", "5", "d:/5.swf");
        BannerLinkList want{};
        want[1] = "d:/5.swf";
        want[2] = "http://h.example/21.jpg";
        QCOMPARE(LoadSettingsFiles(folder), want);
        QCOMPARE(IniReadString(settings, "cfg", "precision", ""), QStringLiteral("7"));   // second start: left alone
    }

    void pick_data()
    {
        QTest::addColumn<Slots>("filled");
        QTest::addColumn<QList<int>>("expected");   // every slot some start may pick; empty: hidden
        QTest::newRow("single link in slot 1") << Slots{{1, "http://h.example/a.jpg"}} << QList<int>{1};
        QTest::newRow("only the picture shows")
            << Slots{{3, "http://h.example/m.swf"}, {7, "ftp://h.example/f.jpg"},
                                  {12, "http://h.example/p.gif"}, {18, "banner.jpg"},   // no such file
                                  {20, "https://h.example/p.JPG?x=1"}, {30, "plain text"}}
            << QList<int>{20};
        QTest::newRow("movies only: hidden") << Slots{{1, "http://h.example/a.swf"}, {30, "b.swf"}}
                                             << QList<int>{};
        QTest::newRow("start wraps around")
            << Slots{{5, "http://h.example/5.png"}, {25, "http://h.example/25.jpg"}} << QList<int>{5, 25};
    }
    void pick()
    {
        QFETCH(Slots, filled);
        QFETCH(QList<int>, expected);
        BannerLinkList links{};
        for (auto it = filled.cbegin(); it != filled.cend(); ++it)
            links[it.key()] = it.value();
        std::set<int> picked;
        for (quint32 seed = 0; seed < 200; ++seed) {
            QRandomGenerator rng(seed);
            const auto choice = PickBanner(links, rng);
            if (!choice)
                continue;
            QCOMPARE(choice->movie, links[choice->slot]);
            QCOMPARE(choice->scaleMode, std::optional<int>(3));
            picked.insert(choice->slot);
        }
        QCOMPARE(QList<int>(picked.begin(), picked.end()), expected);
    }

    void pickNeedsThePictureFile()
    {
        QTemporaryDir tmp;
        BannerLinkList links{};
        links[9] = tmp.filePath(QStringLiteral("b.jpg"));
        QRandomGenerator rng(1);
        QVERIFY(!PickBanner(links, rng));
        QFile f(links[9]);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QCOMPARE(PickBanner(links, rng)->slot, 9);
    }

    void refreshFromPage_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QList<int>>("linkNumbers");   // m<n>.swf written as keys 21, 22, ...
        QByteArray many;
        QList<int> first20;
        for (int n = 1; n <= 25; ++n)
            many += Anchor(n) + "\r\n";
        for (int n = 1; n <= 20; ++n)
            first20 << n;
        QTest::newRow("25 anchors, one per line") << many << first20;
        QTest::newRow("two anchors on one line") << Anchor(1) + Anchor(2) + "\n" + Anchor(3) << QList<int>{1, 3};
        QTest::newRow("no ] in captions") << Anchor(1, "new") + "\n" + Anchor(2, "song") << QList<int>{};
        QTest::newRow("not a movie") << QByteArray("<a href='http://h.example/p.jpg'>[x]</a>\n") + Anchor(4)
                                     << QList<int>{4};
        QTest::newRow("error status") << QByteArray() << QList<int>{};
    }
    void refreshFromPage()
    {
        QFETCH(QByteArray, page);
        QFETCH(QList<int>, linkNumbers);
        PageServer server;
        server.body = page;
        if (page.isEmpty()) {
            server.status = "404 Not Found";
            server.body = Anchor(9);
        }
        QTemporaryDir tmp;
        const QString banner = BannerFilePath(tmp.path());
        QStringList asked;
        const bool ran = BannerExitStep(tmp.path(), QDateTime::currentDateTime(), [&](const QString& address) {
            asked << address;
            return FetchPage(server.url());
        });
        QVERIFY(ran);
        QCOMPARE(asked, QStringList{MakerPageAddress});
        for (int k = 21; k <= 41; ++k) {
            const int i = k - 21;
            const QString want = i < linkNumbers.size()
                                     ? QStringLiteral("http://h.example/m%1.swf").arg(linkNumbers[i]) : QString();
            QCOMPARE(Link(banner, k), want);
        }
        QCOMPARE(Info(banner, 30) == QStringLiteral("TavoPiano"), linkNumbers.isEmpty());
        if (!linkNumbers.isEmpty())
            QCOMPARE(Info(banner, 21), QStringLiteral("[新] 歌"));
    }

    void refreshGivesUpOrFallsBack_data()
    {
        QTest::addColumn<bool>("refused");
        QTest::newRow("never answers") << false;
        QTest::newRow("connection refused") << true;
    }
    void refreshGivesUpOrFallsBack()
    {
        QFETCH(bool, refused);
        PageServer server;
        server.answer = false;
        QString url = server.url();
        if (refused)
            server.close();
        QTemporaryDir tmp;
        const QString banner = BannerFilePath(tmp.path());
        IniWriteString(banner, "info", "21", "[old]");
        IniWriteString(banner, "link", "21", "http://h.example/old.swf");
        IniWriteString(banner, "info", "30", "[old]");
        IniWriteString(banner, "link", "30", "http://h.example/30.swf");
        QElapsedTimer clock;
        clock.start();
        QVERIFY(BannerExitStep(tmp.path(), QFileInfo(banner).lastModified().addDays(31),
                               [&](const QString&) { return FetchPage(url); }));
        QVERIFY(clock.elapsed() < 10000);
        QCOMPARE(Link(banner, 21), QStringLiteral("http://h.example/old.swf"));
        QCOMPARE(Info(banner, 30), QStringLiteral("TavoPiano"));
        QCOMPARE(Link(banner, 30), QString());
    }

    void refreshOnlyWhenDue_data()
    {
        QTest::addColumn<qint64>("ageSeconds");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<bool>("due");
        QTest::newRow("10 days") << qint64(10 * 86400) << true << false;
        QTest::newRow("exactly 30 days") << qint64(30 * 86400) << true << false;
        QTest::newRow("31 days") << qint64(31 * 86400) << true << true;
        QTest::newRow("unreadable, a year") << qint64(365 * 86400) << false << false;
    }
    void refreshOnlyWhenDue()
    {
        QFETCH(qint64, ageSeconds);
        QFETCH(bool, readable);
        QFETCH(bool, due);
        QTemporaryDir tmp;
        const QString banner = BannerFilePath(tmp.path());
        if (readable) {
            IniWriteString(banner, "info", "1", "x");
            IniWriteString(banner, "link", "1", "http://h.example/1.jpg");
        } else {
            QVERIFY(QDir().mkpath(banner));   // there, but cannot be read as a file
        }
        QCOMPARE(LoadSettingsFiles(tmp.path())[1].isEmpty(), !readable);
        int fetches = 0;
        const QDateTime now = QFileInfo(banner).lastModified().addSecs(ageSeconds);
        QCOMPARE(BannerExitStep(tmp.path(), now, [&](const QString&) { ++fetches; return QString(); }), due);
        QCOMPARE(fetches, due ? 1 : 0);
        QCOMPARE(QFileInfo(banner).isDir(), !readable);   // never replaced
    }

    void linesWithBreaksAreSkipped()
    {
        QTemporaryDir tmp;
        const QString banner = BannerFilePath(tmp.path());
        const QStringList lines{"<a href='http://h.example/a.swf'>[one\n]</a>",
                                "<a href='http://h.example/b\r.swf'>[two]</a>",
                                "<a href='http://h.example/c.swf'>[three]</a>"};
        QCOMPARE(HarvestBannerEntries(lines, banner, "<a href='", "'", "'>", "</a>"), 1);
        QCOMPARE(Link(banner, 21), QStringLiteral("http://h.example/c.swf"));
        QCOMPARE(SplitPageLines("a\r\nb\rc\n\nd\n"), QStringList({"a", "b", "c", "", "d"}));
    }
};

QTEST_GUILESS_MAIN(TestBanner)
#include "test_banner.moc"
