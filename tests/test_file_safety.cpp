// Files from elsewhere and a disk that fills: every reader refuses a pipe or a huge file at
// once, every writer keeps the old file whole when the new one cannot be written.
#include "FileFaultSupport.h"
#include "RecordingDialogs.h"
#include "core/Errors.h"
#include "core/files/FileOps.h"
#include "core/formats/MidiFile.h"
#include "core/library/Database.h"
#include "core/library/Exchange.h"
#include "core/platform/FileSystem.h"
#include "core/practice/Results.h"
#include "core/settings/Banner.h"
#include "core/settings/Preferences.h"
#include "core/settings/Settings.h"
#include "core/sound/SampleCache.h"
#include "core/sound/SoundFiles.h"
#include "core/sound/Voices.h"
#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <map>

namespace {
const QString LongTitle = QString(60, u'长');
}   // namespace

class TestFileSafety : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void boundedRead_data();
    void boundedRead();
    void fullDiskKeepsOldFile_data();
    void fullDiskKeepsOldFile();
    void replacementKeepsLinkAndPermissions();
    void pipeIsRefusedAtOnce_data();
    void pipeIsRefusedAtOnce();
    void hugeSettingsFilesAreSkipped_data();
    void hugeSettingsFilesAreSkipped();
    void preferencesReadBackWhatTheyWrite();
};

void TestFileSafety::boundedRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("fault");
    QTest::newRow("at the cap") << "cap" << int(FileRead::Fault::None);
    QTest::newRow("one byte over") << "over" << int(FileRead::Fault::TooLarge);
    QTest::newRow("folder") << "folder" << int(FileRead::Fault::NotRegular);
    QTest::newRow("missing") << "missing" << int(FileRead::Fault::Missing);
    QTest::newRow("link to a file") << "link" << int(FileRead::Fault::None);
#ifdef Q_OS_UNIX
    // Reports a size of 0 and never ends.
    QTest::newRow("/dev/zero") << "zero" << int(FileRead::Fault::NotRegular);
#endif
}

void TestFileSafety::boundedRead()
{
    QFETCH(QString, kind);
    QFETCH(int, fault);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("f"));
    constexpr qint64 cap = 100;
    QString path = file;
    if (kind == QLatin1String("cap") || kind == QLatin1String("link"))
        QVERIFY(WriteFileBytes(file, QByteArray(cap, 'a')));
    if (kind == QLatin1String("over"))
        QVERIFY(WriteFileBytes(file, QByteArray(cap + 1, 'a')));
    if (kind == QLatin1String("folder"))
        path = dir.path();
    if (kind == QLatin1String("link")) {
        path = dir.filePath(QStringLiteral("l"));
        QVERIFY(QFile::link(file, path));
    }
    if (kind == QLatin1String("zero"))
        path = QStringLiteral("/dev/zero");
    const FileRead read = ReadFileBounded(path, cap);
    QCOMPARE(int(read.fault), fault);
    QCOMPARE(read.bytes.size(), read.ok() ? cap : 0);
    QCOMPARE(read.reason.isEmpty(), read.ok());
    QCOMPARE(ReadRegularFile(path, cap).has_value(), read.ok());
}

void TestFileSafety::fullDiskKeepsOldFile_data()
{
    QTest::addColumn<QString>("writer");
    // What the file held before; smaller than the room left on the "disk", unlike the new version.
    QTest::addColumn<QByteArray>("old");
    QTest::newRow("musicxml export") << "whole" << QByteArray("<old/>\n");
    QTest::newRow("midi export") << "midi" << QByteArray("MThd old");
    QTest::newRow("preferences.conf") << "preferences" << QByteArray("[General]\nkeyLetters=false\n");
    QTest::newRow("results.txt") << "results" << QByteArray("F\tx\t1\t0\t9\n");
    QTest::newRow("banner file") << "ini" << QByteArray("[info]\n21=a\n");
    QTest::newRow("sound file") << "sound" << QByteArray("RIFF old");
}

void TestFileSafety::fullDiskKeepsOldFile()
{
#ifndef Q_OS_UNIX
    QSKIP("needs a file size limit");
#else
    QFETCH(QString, writer);
    QFETCH(QByteArray, old);
    QTemporaryDir dir;
    VoiceBank bank;
    bank.Fill();
    const QString sound = bank.SoundNames.value(0);
    const std::map<QString, QString> names{{"whole", "歌.musicxml"},  {"midi", "歌.mid"},
                                           {"preferences", "preferences.conf"}, {"results", "results.txt"},
                                           {"ini", BannerFileName}, {"sound", sound + ".dat"}};
    const QString target = dir.filePath(names.at(writer));
    QVERIFY(WriteFileBytes(target, old));
    const QStringList before = FolderEntries(dir.path());

    QString raised;
    QStringList told;
    Preferences prefs(dir.path());
    prefs.OnSaveFailed([&](const QString& text) { told << text; });
    Results results(dir.path());
    {
        const FullDisk full(48);
        QVERIFY(full.ok());
        try {
            if (writer == QLatin1String("whole"))
                WriteWholeFile(target, QByteArray(4096, 'x'));
            else if (writer == QLatin1String("midi"))
                WriteMidiFile(target, SongFromTable(SmallSong(), 1), 120, QStringLiteral("小歌"));
            else if (writer == QLatin1String("preferences"))
                prefs.SetMetronome(true);
            else if (writer == QLatin1String("results"))
                results.OfferFollow(LongTitle, Results::Follow{5, 0, 1000});
            else if (writer == QLatin1String("ini"))
                IniWriteString(target, QStringLiteral("link"), QStringLiteral("21"), QString(80, u'x'));
            else if (writer == QLatin1String("sound"))
                ExtractSounds({sound}, dir.path() + u'/');
        } catch (const TavoError& e) {
            raised = e.text();
        }
    }
    QCOMPARE(ReadBack(target), old);
    QCOMPARE(FolderEntries(dir.path()), before);
    // Exports and preferences say so in one message naming the file; the sound file's
    // message is the start-up's own; results and the banner file stay quiet.
    if (writer == QLatin1String("whole") || writer == QLatin1String("midi")) {
        QVERIFY2(raised.startsWith(QStringLiteral("无法写入文件")), qPrintable(raised));
        QVERIFY(raised.contains(QFileInfo(target).fileName()));
    } else if (writer == QLatin1String("preferences")) {
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].startsWith(QStringLiteral("无法写入文件")) && told[0].contains("preferences.conf"),
                 qPrintable(told[0]));
        QVERIFY(prefs.Metronome());   // the choice holds for this run
    } else if (writer == QLatin1String("sound")) {
        QVERIFY2(raised.contains(target), qPrintable(raised));
    } else {
        QVERIFY2(raised.isEmpty(), qPrintable(raised));
    }

    // With room again, the same write goes through and leaves no temporary.
    if (writer == QLatin1String("whole")) {
        WriteWholeFile(target, QByteArray(4096, 'x'));
        QCOMPARE(ReadBack(target), QByteArray(4096, 'x'));
        QCOMPARE(FolderEntries(dir.path()), before);
    }
#endif
}

void TestFileSafety::replacementKeepsLinkAndPermissions()
{
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("real.mid"));
    const QString link = dir.filePath(QStringLiteral("link.mid"));
    QVERIFY(WriteFileBytes(real, "old"));
    const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(real, perms));
    QVERIFY(QFile::link(real, link));
    WriteWholeFile(link, "new");
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(ReadBack(real), QByteArray("new"));
    QCOMPARE(QFile::permissions(real) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser), perms);
    // A folder in the way is named, not replaced.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub.musicxml")));
    QVERIFY_THROWS_EXCEPTION(TavoError, WriteWholeFile(dir.filePath(QStringLiteral("sub.musicxml")), "x"));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("sub.musicxml"))).isDir());
    // Nor is a pipe (or a device) that a link points to: it is neither written into nor replaced.
    const QString fifo = dir.filePath(QStringLiteral("pipe"));
    if (Platform::MakeFifo(fifo)) {
        QVERIFY(QFile::link(fifo, dir.filePath(QStringLiteral("to-pipe.mid"))));
        QVERIFY_THROWS_EXCEPTION(TavoError, WriteWholeFile(dir.filePath(QStringLiteral("to-pipe.mid")), "x"));
        QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
        QVERIFY_THROWS_EXCEPTION(TavoError, WriteWholeFile(fifo, "x"));
        QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
    }
}

void TestFileSafety::pipeIsRefusedAtOnce_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QString>("name");
    for (const char* name : {"歌.txt", "歌.mid", "歌.musicxml", "歌.mxl", "歌.opr"})
        QTest::addRow("import %s", name) << "import" << QString::fromUtf8(name);
    QTest::newRow("preferences.conf") << "preferences" << "preferences.conf";
    QTest::newRow("results.txt") << "results" << "results.txt";
    QTest::newRow("banner file at start") << "banner" << BannerFileName;
    QTest::newRow("banner file at exit") << "bannerExit" << BannerFileName;
    QTest::newRow("sound file") << "sound" << "VOIC_1.dat";
}

void TestFileSafety::pipeIsRefusedAtOnce()
{
    QFETCH(QString, reader);
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString fifo = dir.filePath(name);
    if (!Platform::MakeFifo(fifo))
        QSKIP("no named pipes here");
#ifdef Q_OS_UNIX
    RecordingDialogs dialogs;
    QString problem;
    bool refused = false;
    const bool quick = ReturnsWithoutWaiting(fifo, [&] {
        try {
            if (reader == QLatin1String("import")) {
                TADOConnection library;   // never reached: the file is refused first
                dialogs.fileToOpen = fifo;
                refused = ImportSongFile(library, dialogs, QDate(2024, 1, 1)).outcome ==
                          ShareResult::Outcome::Refused;
            } else if (reader == QLatin1String("preferences")) {
                Preferences prefs;
                problem = prefs.Load(dir.path());
                refused = !problem.isEmpty() && !prefs.Metronome();
            } else if (reader == QLatin1String("results")) {
                const Results results(dir.path());
                refused = !results.BestFollow(QStringLiteral("歌")).has_value();
            } else if (reader == QLatin1String("banner")) {
                const BannerLinkList links = LoadSettingsFiles(dir.path(), &problem);
                refused = !problem.isEmpty() && links[1].isEmpty();
            } else if (reader == QLatin1String("bannerExit")) {
                bool fetched = false;
                refused = !BannerExitStep(dir.path(), QDateTime::currentDateTime(), [&](const QString&) {
                    fetched = true;
                    return QString();
                }) && !fetched;
            } else if (reader == QLatin1String("sound")) {
                SampleCache cache;
                cache.Sound(fifo);
            }
        } catch (const TavoError& e) {
            problem = e.text();
            refused = true;
        }
    });
    QVERIFY2(quick, "the reader waited on the pipe");
    QVERIFY(refused);
    if (reader == QLatin1String("import")) {
        QCOMPARE(dialogs.messages(), 1);
        problem = (dialogs.errors + dialogs.infos).value(0);
        // The exchange file keeps its one fixed message; every other names the file.
        if (!name.endsWith(QLatin1String(".opr")))
            QVERIFY2(problem.contains(name), qPrintable(problem));
    } else if (reader != QLatin1String("results") && reader != QLatin1String("bannerExit")) {
        QVERIFY2(problem.contains(name), qPrintable(problem));
    }
    QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());   // refused, not replaced
#endif
}

void TestFileSafety::hugeSettingsFilesAreSkipped_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("preferences.conf") << "preferences.conf";
    QTest::newRow("results.txt") << "results.txt";
    QTest::newRow("banner file") << BannerFileName;
}

void TestFileSafety::hugeSettingsFilesAreSkipped()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString file = dir.filePath(name);
    // 1 GiB that takes no room: a file with a hole, valid settings at its start.
    QVERIFY(WriteFileBytes(file, "[General]\nmetronome=true\n[info]\n1=a\n[link]\n1=b.jpg\nF\t歌\t3\t0\t9\n"));
    QVERIFY(QFile::resize(file, qint64(1) << 30));
    QString problem;
    if (name == QLatin1String("preferences.conf")) {
        Preferences prefs;
        problem = prefs.Load(dir.path());
        QVERIFY(!prefs.Metronome());
    } else if (name == QLatin1String("results.txt")) {
        const Results results(dir.path());
        QVERIFY(!results.BestFollow(QStringLiteral("歌")).has_value());
        return;   // a nicety: skipped without a word
    } else {
        QCOMPARE(LoadSettingsFiles(dir.path(), &problem)[1], QString());
        QVERIFY(UnreadableFile(file));   // and never written over at exit
    }
    QVERIFY2(problem.contains(name) && problem.contains(QStringLiteral("太大")), qPrintable(problem));
}

void TestFileSafety::preferencesReadBackWhatTheyWrite()
{
    QTemporaryDir dir;
    const QString font = QStringLiteral("/音色/a,b;c \"x\"\\y=z #1.sf2");
    {
        Preferences prefs(dir.path());
        prefs.SetKeyLetters(true);
        prefs.SetSoundFont(font);
        prefs.SetVoice(Preferences::SampledVoice);
        prefs.SetSustain(false);
    }
    const Preferences again(dir.path());
    QVERIFY(again.KeyLetters());
    QVERIFY(!again.Metronome());
    QCOMPARE(again.SoundFont(), font);
    QCOMPARE(again.Voice(), Preferences::SampledVoice);
    QVERIFY(!again.Sustain());
}

QTEST_GUILESS_MAIN(TestFileSafety)
#include "test_file_safety.moc"
