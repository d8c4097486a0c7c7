// Start-up and exit of the whole program: folder paths, the sound files, the guard,
// the private temporary folder and a start-up that fails half-way.
#include "TestSupport.h"
#include "core/platform/Platform.h"
#include "core/sound/Voices.h"
#include <QDirIterator>
#include <QProcess>
#include <QSignalSpy>
#include <sys/stat.h>

namespace {
QStringList DatFiles(const QString& dir)
{
    return QDir(dir).entryList({QStringLiteral("*.dat")}, QDir::Files);
}

QProcessEnvironment ChildEnv(const TempEnv& env)
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("HOME"), env.home());
    e.insert(QStringLiteral("TMPDIR"), env.root.path() + QStringLiteral("/tmp"));
    e.insert(QStringLiteral("XDG_CONFIG_HOME"), env.root.path() + QStringLiteral("/config"));   // settings files
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    e.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    return e;
}
}

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sequenceWritesEverySoundFileAndSetsPaths()
    {
        TempEnv env;
        QVERIFY(env.copyStarterDatabase());
        PianoWindows w{env};
        w.main->StartupSequence();
        QVERIFY(w.main->StartupDone());
        const Folders& f = w.main->Paths();
        const QString TempDir = f.TempDir;
        const QStringList& SoundNames = w.main->Voices().SoundNames;
        QCOMPARE(f.AppDir, env.app());
        QVERIFY(f.AppDir.endsWith('/'));
        QVERIFY(TempDir.endsWith('/'));
        QCOMPARE(f.HomeDir, env.home());   // taken as it comes, nothing appended
        QVERIFY(TempDir.startsWith(env.root.path() + QStringLiteral("/tmp/")));
        QCOMPARE(w.main->KeyboardRoute(), 0);

        const QStringList files = DatFiles(TempDir);
        QCOMPARE(files.size(), 192);
        QCOMPARE(SoundNames.size(), 192);
        for (const QString& name : SoundNames) {
            QFile written(TempDir + name + QStringLiteral(".dat"));
            QFile resource(SoundResourcePath(name));
            QVERIFY2(written.open(QIODevice::ReadOnly), qPrintable(name));
            QVERIFY(resource.open(QIODevice::ReadOnly));
            QCOMPARE(written.readAll(), resource.readAll());
        }
        QVERIFY(env.dialogs.errors.isEmpty());
    }

    void failingDatabaseEndsTheSequenceBeforeTheSoundFiles()
    {
        TempEnv env;   // no song database in the program folder
        PianoWindows w{env};
        w.main->show();
        QTRY_VERIFY(!env.dialogs.errors.isEmpty());
        QVERIFY2(env.dialogs.errors.first().contains(QStringLiteral("Opern.dat")), qPrintable(env.dialogs.errors.first()));
        QVERIFY(!w.main->StartupDone());
        QVERIFY(w.main->isVisible());        // the window stays open
        QCOMPARE(DatFiles(w.main->Paths().TempDir).size(), 0);   // no note can sound
        QCOMPARE(env.dialogs.errors.size(), 1);
    }

    void exitPrunesAtMostSixAndNeverTheLast()
    {
        TempEnv env;
        QVERIFY(env.copyStarterDatabase());
        PianoWindows w{env};
        w.main->show();
        QTRY_VERIFY(w.main->StartupDone());
        w.main->LabCloseClick();
        QVERIFY(!w.main->isVisible());
        const QStringList left = DatFiles(w.main->Paths().TempDir);
        QVERIFY(left.size() >= 186 && left.size() <= 191);
        QVERIFY(left.contains(w.main->Voices().SoundNames.at(191) + QStringLiteral(".dat")));
    }

    void secondInstanceInProcessIsRefused()
    {
        TempEnv env;
        PianoWindows w{env};
        QVERIFY(w.main->FirstInstance());
        TFormPiano second(env.dialogs, env.options());
        QVERIFY(!second.FirstInstance());
    }

    // A lock that cannot be taken for another reason than a running copy is said, naming the
    // file, instead of ending quietly as if another copy ran.
    void unusableInstanceLockIsReported()
    {
        TempEnv env;
        const QString lock = Platform::UserTempDir() + QStringLiteral("Tavo电脑钢琴.lock");
        QVERIFY(QDir().mkpath(lock + QStringLiteral("/inside")));   // a folder where the lock goes
        QVERIFY(!RunGuarded(env.dialogs, [&] { TFormPiano w(env.dialogs, env.options()); }));
        QCOMPARE(env.dialogs.errors.size(), 1);
        QVERIFY2(env.dialogs.errors.first().contains(lock), qPrintable(env.dialogs.errors.first()));
    }

    void secondProcessEndsAtOnceAndStaleLockDoesNotBlock()
    {
        TempEnv env;
        QVERIFY(env.copyStarterDatabase());
        const QString exe = QStringLiteral(TAVO_APPDIR "/tavopiano");
        // Stale lock from a crashed instance: a process id that is not running.
        const QString tempDir = Platform::UserTempDir();
        QFile stale(tempDir + QStringLiteral("Tavo电脑钢琴.lock"));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("2147483000\ntavopiano\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        stale.close();

        // The program folder is the executable's own: give it ours.
        QVERIFY(QFile::copy(exe, env.app() + QStringLiteral("tavopiano")));
        QFile::setPermissions(env.app() + QStringLiteral("tavopiano"), QFile::ExeOwner | QFile::ReadOwner);
        QProcess first;
        first.setProcessEnvironment(ChildEnv(env));
        first.start(env.app() + QStringLiteral("tavopiano"));
        QVERIFY(first.waitForStarted());
        // It is up once its sound files are written.
        QTRY_VERIFY_WITH_TIMEOUT(DatFiles(tempDir).size() == 192, 60000);
        QCOMPARE(first.state(), QProcess::Running);

        QProcess second;
        second.setProcessEnvironment(ChildEnv(env));
        second.start(env.app() + QStringLiteral("tavopiano"));
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        first.kill();
        QVERIFY(first.waitForFinished(30000));
    }

    void temporaryFolderMustBeOurOwn()
    {
        TempEnv env;
        const QString dir = Platform::UserTempDir();
        QFileInfo info(dir);
        QVERIFY(info.isDir());
        QCOMPARE(info.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
        // Loosened permissions are tightened again.
        QFile::setPermissions(dir, QFile::Permissions(0x7777));
        QCOMPARE(Platform::UserTempDir(), dir);
        QCOMPARE(QFileInfo(dir).permissions() & (QFile::WriteGroup | QFile::WriteOther), QFile::Permissions());

        // A link planted in its place is refused with a clear message.
        QDir(dir).removeRecursively();
        const QString target = env.root.path() + QStringLiteral("/elsewhere");
        QVERIFY(QDir().mkpath(target));
        QVERIFY(QFile::link(target, dir.chopped(1)));
        try {
            Platform::UserTempDir();
            QFAIL("a link was accepted as the temporary folder");
        } catch (const TavoError& e) {
            QVERIFY2(e.text().contains(QStringLiteral("链接")), qPrintable(e.text()));
        }
        // The window refuses to start on it rather than write through the link.
        QVERIFY(!RunGuarded(env.dialogs, [&] { TFormPiano w(env.dialogs, env.options()); }));
        QCOMPARE(env.dialogs.errors.size(), 1);
        QVERIFY(QDir(target).isEmpty());
    }
};

TAVO_TEST_MAIN(TestStartup)
#include "test_startup.moc"
