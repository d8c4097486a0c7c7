// Start-up and exit of the whole program: folder paths, the sound files, the guard,
// the private temporary folder and a damaged library.
#include "TestSupport.h"
#include "core/library/Database.h"
#include "core/library/SongRows.h"
#include "core/library/Password.h"
#include "core/platform/Platform.h"
#include "core/sound/MediaPlayer.h"
#include "core/sound/Voices.h"
#include "ui/shell/Program.h"
#include "ui/panels/PracticeBar.h"
#include <QDirIterator>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStyle>
#include <sys/stat.h>

namespace {
QStringList DatFiles(const QString& dir)
{
    return QDir(dir).entryList({QStringLiteral("*.dat")}, QDir::Files);
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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
        // The sound files are written behind the window.
        QTRY_COMPARE(w.main->Player().Samples().FromMemory(), 0);
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

    // Panels come when first opened, prepared as if they had been built before the sequence.
    void panelsWaitForFirstUse_data()
    {
        QTest::addColumn<bool>("beforeSequence");
        QTest::newRow("opened after the start") << false;
        QTest::newRow("asked for before it") << true;
    }
    void panelsWaitForFirstUse()
    {
        QFETCH(bool, beforeSequence);
        TempEnv env;
        QVERIFY(env.copyStarterDatabase());
        PianoWindows w{env};
        TFormPiano& m = *w.main;
        // The window paints first with the plain style: a style sheet there would put the
        // style sheet machinery on its first paint.
        for (const QWidget* child : m.findChildren<QWidget*>())
            QVERIFY2(!child->style()->inherits("QStyleSheetStyle"), child->metaObject()->className());
        if (beforeSequence)
            m.GBxShowOpern->Practice->Best().Load(QString());
        m.StartupSequence();
        QCOMPARE(m.GBxShowOpern.IfBuilt() != nullptr, beforeSequence);
        QVERIFY(!m.GBxOpernWrite.IfBuilt() && !m.GBxHelp.IfBuilt() && !m.GBxAbout.IfBuilt());
        m.ImgOpernShowClick();
        QVERIFY(!m.GBxShowOpern->isHidden());
        QCOMPARE(QFileInfo(m.GBxShowOpern->Practice->Best().FilePath()).absolutePath(),
                 QDir(m.Paths().DataDir).absolutePath());
        QCOMPARE(m.GBxShowOpern->LabOpMenu[0]->text(), m.Library().Table().front().SongName);   // the menu is filled
        QVERIFY(!m.GBxOpernWrite.IfBuilt());
        m.ImgOpernWriteClick();
        QVERIFY(!m.GBxOpernWrite->isHidden() && m.GBxShowOpern->isHidden());
    }

    // A damaged library is reported once and left as it is; the piano still gets every sound.
    void damagedLibraryKeepsTheSound_data()
    {
        QTest::addColumn<bool>("wholeFile");
        QTest::newRow("file that is not a library") << true;
        QTest::newRow("row that is not a number") << false;
    }
    void damagedLibraryKeepsTheSound()
    {
        QFETCH(bool, wholeFile);
        TempEnv env;
        const QString file = env.app() + QStringLiteral("dat/Opern.dat");
        if (wholeFile) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            for (int i = 0; i < 8192; ++i)
                f.putChar(char(i * 7919 % 251));
        } else {
            auto row = [](const char* values) { return QStringLiteral("insert into TableCfg values (%1)").arg(QString::fromUtf8(values)); };
            CreateDatabaseFile(file, DeriveDatabasePassword(QByteArray(PasswordSeed)),
                               {SongTableSchema(), row("1,0,'甲','a','b','c',1,'0','20100101'"),
                                row("2,0,'乙','a','b','c',1,'0','20100101'"), row("2,1,'乙','1','0','1','x','1','20100101'"),
                                row("3,0,'丙','a','b','c',1,'0','20100101'")});
        }
        const QByteArray before = ReadAll(file);
        PianoWindows w{env};
        w.main->show();
        QTRY_VERIFY_WITH_TIMEOUT(w.main->StartupDone(), 30000);
        QTRY_COMPARE(DatFiles(w.main->Paths().TempDir).size(), 192);
        QCOMPARE(env.dialogs.errors.size(), 1);
        const QString error = env.dialogs.errors.first();
        QVERIFY2(error.contains(QDir::toNativeSeparators(file)), qPrintable(error));
        QCOMPARE(ReadAll(file), before);
        w.main->ImgOpernShowClick();
        QStringList titles;
        for (auto* l : w.main->GBxShowOpern->LabOpMenu)
            if (!l->isHidden())
                titles << l->text();
        if (wholeFile) {
            QVERIFY(titles.isEmpty());
        } else {
            QVERIFY2(error.contains(QStringLiteral("乙")) && error.contains(QStringLiteral("SeqID 为 1"))
                         && error.contains(QStringLiteral("Conn 的值“x”")), qPrintable(error));
            QCOMPARE(titles, (QStringList{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")}));
        }
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

    // A sound file that cannot be written is said once, in Chinese, and its note and every
    // later one (never written) still play, from memory.
    void unwritableSoundFilePlaysFromMemory()
    {
        TempEnv env;
        QVERIFY(env.copyStarterDatabase());
        PianoWindows w{env};
        VoiceBank bank;
        bank.Fill();
        const QString c1 = bank.Current[size_t(NoteSlot(QStringLiteral("c1")))];
        const int blockedAt = int(bank.SoundNames.indexOf(c1));
        QVERIFY(QDir().mkpath(Platform::UserTempDir() + c1 + QStringLiteral(".dat")));   // a folder in its place
        w.main->show();
        QTRY_VERIFY(w.main->StartupDone());
        QTRY_COMPARE(env.dialogs.errors.size(), 1);
        QVERIFY2(env.dialogs.errors.first().startsWith(QStringLiteral("无法写入声音文件“")), qPrintable(env.dialogs.errors.first()));
        QCOMPARE(w.main->Player().Samples().FromMemory(), 192 - blockedAt);
        w.player().Audio().SetDeviceAllowed(false);
        for (const char* note : {"c1", "d2", "c1"}) {
            w.player().PlayNote(QString::fromLatin1(note), w.player().Voice());
            QVERIFY(w.player().Player(w.player().PlayerTurn())->IsOpen());
        }
        QTest::qWait(50);
        QCOMPARE(env.dialogs.errors.size(), 1);
    }

    // A lock that cannot be taken for another reason than a running copy is said, naming the
    // file, and the program ends with an error instead of as if another copy ran.
    void unusableInstanceLockIsReported()
    {
        TempEnv env;
        const QString lock = Platform::UserTempDir() + QStringLiteral("Tavo电脑钢琴.lock");
        QVERIFY(QDir().mkpath(lock + QStringLiteral("/inside")));   // a folder where the lock goes
        const PianoStart piano = StartPiano(env.dialogs, env.options());
        QVERIFY(!piano.window);
        QVERIFY(piano.exitCode != 0);
        QCOMPARE(env.dialogs.errors.size(), 1);
        QVERIFY2(env.dialogs.errors.first().contains(lock), qPrintable(env.dialogs.errors.first()));
    }

    // The running piano comes to the front when the program is started again, from wherever it
    // was (minimised, hidden); the second start ends at once. A crashed copy's lock does not block.
    void secondStartBringsTheFirstForward()
    {
        TempEnv env;
        QVERIFY(env.copyStarterDatabase());
        QFile stale(Platform::UserTempDir() + QStringLiteral("Tavo电脑钢琴.lock"));
        QVERIFY(stale.open(QIODevice::WriteOnly));   // left by a process that is gone
        stale.write("2147483000\ntavopiano\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        stale.close();

        PianoStart first = StartPiano(env.dialogs, env.options());
        QVERIFY(first.window);
        TFormPiano& window = *first.window;
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(window.StartupDone(), 30000);

        // In the same process a second claim gets no window.
        const PianoStart again = StartPiano(env.dialogs, env.options());
        QVERIFY(!again.window);
        QCOMPARE(again.exitCode, 0);

        // The program folder is the executable's own: give it ours.
        const QString exe = env.app() + QStringLiteral("tavopiano");
        QVERIFY(QFile::copy(QStringLiteral(TAVO_APPDIR "/tavopiano"), exe));
        for (const bool minimise : {true, false}) {
            QTest::qWait(100);   // the in-process request above has been answered
            if (minimise)
                window.showMinimized();
            else
                window.hide();
            QVERIFY(window.isMinimized() || !window.isVisible());
            QProcess second;
            second.setProcessEnvironment(ChildEnv(env));
            second.start(exe);
            QVERIFY(second.waitForFinished(30000));
            QCOMPARE(second.exitStatus(), QProcess::NormalExit);
            QCOMPARE(second.exitCode(), 0);
            // (Activation is not observable on the headless platform; tried on a display.)
            QTRY_VERIFY(window.isVisible() && !window.isMinimized());
        }
        QVERIFY(env.dialogs.errors.isEmpty());
        QTRY_COMPARE(DatFiles(Platform::UserTempDir()).size(), 192);   // written once, by the first
    }

    // What the first paint does not need is opened when first wanted, not linked: sound,
    // MIDI and .mxl files cost a start nothing.
    void theProgramLinksOnlyWhatTheWindowNeeds()
    {
        const QString ldd = QStandardPaths::findExecutable(QStringLiteral("ldd"));
        if (ldd.isEmpty())
            QSKIP("no ldd here");
        QProcess p;
        p.start(ldd, {QStringLiteral(TAVO_APPDIR "/tavopiano")});
        QVERIFY(p.waitForFinished(30000));
        const QString linked = QString::fromLocal8Bit(p.readAllStandardOutput());
        QVERIFY(linked.contains(QStringLiteral("libQt6Widgets")));
        for (const char* late : {"libSDL2", "libfluidsynth", "librtmidi", "libasound", "libjack", "libzip"})
            QVERIFY2(!linked.contains(QLatin1String(late)), late);
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
        // The program refuses to start on it rather than write through the link.
        const PianoStart piano = StartPiano(env.dialogs, env.options());
        QVERIFY(!piano.window);
        QVERIFY(piano.exitCode != 0);
        QCOMPARE(env.dialogs.errors.size(), 1);
        QVERIFY(QDir(target).isEmpty());
    }
};

TAVO_TEST_MAIN(TestStartup)
#include "test_startup.moc"
