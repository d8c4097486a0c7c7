// The settings files and the banner as the main window runs them at start and at exit.
#include "TestSupport.h"
#include "core/files/FileOps.h"
#include "core/settings/Banner.h"
#include "core/settings/WebAddresses.h"
#include "ui/widgets/BannerView.h"
#include <QElapsedTimer>
#include <QImage>
#include <QTcpServer>

namespace {
QString Link(const QString& file, int key) { return IniReadString(file, "link", QString::number(key), ""); }

void StartUp(PianoWindows& w)
{
    w.main->show();
    QTRY_VERIFY_WITH_TIMEOUT(w.main->StartupDone(), 30000);
}
}

class TestBannerShell : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstStartAndCloseWriteBothFiles()
    {
        TempEnv env;
        QVERIFY(env.copyStarterDatabase());
        const QString config = env.options().configDir;
        PianoWindows w{env};
        QStringList asked;
        w.main->SetPageFetcher([&](const QString& address) {
            asked << address;
            return QStringLiteral("<p>\n<a href='http://h.example/new.swf'>[新] 歌</a>\n");
        });
        StartUp(w);
        QCOMPARE(w.main->Paths().ConfigDir, config);
        QCOMPARE(IniReadString(SettingsFilePath(config), "cfg", "precision", ""), QStringLiteral("0"));
        QVERIFY(!QFileInfo::exists(BannerFilePath(config)));
        QVERIFY(!w.main->MySWF->isVisible());   // nothing to show on a first start

        QTest::mouseClick(w.main->LabClose, Qt::LeftButton);
        QVERIFY(!w.main->isVisible());
        QCOMPARE(asked, QStringList{MakerPageAddress});
        QCOMPARE(Link(BannerFilePath(config), 21), QStringLiteral("http://h.example/new.swf"));
        QVERIFY(env.dialogs.errors.isEmpty());
    }

    void startShowsAPictureAndPassesOverMovies_data()
    {
        QTest::addColumn<bool>("withPicture");
        QTest::newRow("a picture and a movie") << true;
        QTest::newRow("movies only") << false;
    }
    void startShowsAPictureAndPassesOverMovies()
    {
        QFETCH(bool, withPicture);
        TempEnv env;
        QVERIFY(env.copyStarterDatabase());
        QVERIFY(QDir().mkpath(env.options().configDir));
        const QString banner = BannerFilePath(env.options().configDir);
        const QString jpg = env.root.path() + QStringLiteral("/b.jpg");
        QImage img(40, 20, QImage::Format_RGB32);
        img.fill(Qt::red);
        QVERIFY(img.save(jpg, "JPEG"));
        IniWriteString(banner, "info", "21", "[a]");
        IniWriteString(banner, "link", "21", "http://h.example/a.swf");
        if (withPicture) {
            IniWriteString(banner, "info", "22", "[b]");
            IniWriteString(banner, "link", "22", jpg);
        }
        QCOMPARE(Link(banner, 21), QStringLiteral("http://h.example/a.swf"));
        PianoWindows w{env};
        StartUp(w);
        TShockwaveFlash& view = *w.main->MySWF;
        QCOMPARE(view.isVisible(), withPicture);
        if (!withPicture)
            return;
        QCOMPARE(view.geometry(), QRect(25, 120, 620, 230));
        QCOMPARE(view.Movie(), jpg);
        QCOMPARE(view.ScaleMode(), 3);
        QCOMPARE(view.Shown().size(), QSize(40, 20));
    }

    void closeGivesUpOnASilentServer()
    {
        TempEnv env;
        QVERIFY(env.copyStarterDatabase());
        QTcpServer silent;   // takes the connection and never answers
        QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
        const QString url = QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort());
        PianoWindows w{env};
        w.main->SetPageFetcher([&](const QString&) { return FetchPage(url); });
        StartUp(w);
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(w.main->LabClose, Qt::LeftButton);
        QVERIFY(clock.elapsed() < 10000);
        QVERIFY(!w.main->isVisible());
        const QString banner = BannerFilePath(w.main->Paths().ConfigDir);
        QCOMPARE(IniReadString(banner, "info", "30", ""), QStringLiteral("TavoPiano"));   // the fallback
    }
};

TAVO_TEST_MAIN(TestBannerShell)
#include "test_banner_shell.moc"
