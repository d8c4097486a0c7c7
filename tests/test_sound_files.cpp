// Voice tables, the sound files in the temporary folder, and the file helpers.
#include "CoreTestSupport.h"
#include "FileFaultSupport.h"
#include "core/Errors.h"
#include "core/platform/Platform.h"
#include "core/sound/SoundFiles.h"
#include "core/files/FileOps.h"
#include "core/sound/Voices.h"
#include <QRandomGenerator>
#include <QDirIterator>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringEncoder>
#include <cerrno>
#include <cstring>
#include <set>

namespace {

// The table of names as the build reads it: set -> slot -> name.
std::map<int, std::map<int, QString>> VoicesFile()
{
    std::map<int, std::map<int, QString>> t;
    QFile f(QStringLiteral(TAVO_SOURCE_DIR "/assets/voices.txt"));
    if (!f.open(QIODevice::ReadOnly))
        return t;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() == 3 && !line.startsWith('#'))
            t[parts[0].toInt()][parts[1].toInt()] = QString::fromLatin1(parts[2]);
    }
    return t;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QStringList DatFiles(const QString& dir)
{
    return QDir(dir).entryList({QStringLiteral("*.dat")}, QDir::Files);
}

// The test walks the steps one at a time over these, as the start-up sequence does over its own.
QString TempDir;
QStringList SoundNames;
VoiceBank Bank;
const std::array<VoiceTable, 4>& VoiceSets = Bank.Sets;
const VoiceTable& CurrentVoice = Bank.Current;

void FillVoiceTables() { Bank.Fill(); }
void ListSoundNames() { SoundNames = Bank.SoundNames; }
void ExtractSounds() { ::ExtractSounds(SoundNames, TempDir); }
void PruneSounds() { ::PruneSounds(SoundNames, TempDir); }
void PruneSoundsWith(QRandomGenerator& rng) { ::PruneSoundsWith(rng, SoundNames, TempDir); }

void PrepareSounds()
{
    TempDir = Platform::UserTempDir();
    SoundNames.clear();
    FillVoiceTables();
    ListSoundNames();
}

} // namespace

class TestSoundFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // ---- Voice tables and the list of names ----
    void voiceTablesFollowTheNameTable()
    {
        const auto file = VoicesFile();
        QCOMPARE(int(file.size()), 4);
        FillVoiceTables();
        std::set<QString> seen;
        const QRegularExpression form(QStringLiteral("^VOIC_[0-9]{9}$"));
        for (int set = 1; set <= 4; ++set)
            for (int slot = 0; slot < 48; ++slot) {
                const QString& name = VoiceSets[size_t(set - 1)][size_t(slot)];
                QCOMPARE(name, file.at(set).at(slot));
                QVERIFY2(form.match(name).hasMatch(), qPrintable(name));
                seen.insert(name);
            }
        QCOMPARE(int(seen.size()), 192);
        QCOMPARE(CurrentVoice, VoiceSets[3]);
    }

    void tellingNamesSitInTheirSlots_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("name");
        QTest::newRow("set 1 slot 0") << 1 << 0 << QStringLiteral("VOIC_957244428");
        QTest::newRow("set 2 slot 0") << 2 << 0 << QStringLiteral("VOIC_504231545");
        QTest::newRow("set 3 slot 0") << 3 << 0 << QStringLiteral("VOIC_361609876");
        QTest::newRow("set 4 slot 0") << 4 << 0 << QStringLiteral("VOIC_188727228");
        QTest::newRow("set 4 slot 24, c1") << 4 << 24 << QStringLiteral("VOIC_487641321");
        QTest::newRow("set 4 slot 33, a1") << 4 << 33 << QStringLiteral("VOIC_070776465");
    }
    void tellingNamesSitInTheirSlots()
    {
        QFETCH(int, set);
        QFETCH(int, slot);
        QFETCH(QString, name);
        FillVoiceTables();
        QCOMPARE(VoiceSets[size_t(set - 1)][size_t(slot)], name);
        if (set == 4)
            QCOMPARE(CurrentVoice[size_t(slot)], name);
    }

    void soundNamesListSetsTwoThreeFourOne()
    {
        const auto file = VoicesFile();
        SoundNames.clear();
        FillVoiceTables();
        ListSoundNames();
        QCOMPARE(SoundNames.size(), 192);
        const int order[4] = {2, 3, 4, 1};
        for (int i = 0; i < 192; ++i)
            QCOMPARE(SoundNames[i], file.at(order[i / 48]).at(i % 48));
        QCOMPARE(SoundNames[0], QStringLiteral("VOIC_504231545"));
        QCOMPARE(SoundNames[96], QStringLiteral("VOIC_188727228"));
        QCOMPARE(SoundNames[191], file.at(1).at(47));
    }

    // ---- Writing the sound files ----
    void extractWritesEveryFileAsItsResource()
    {
        TempEnv env;
        PrepareSounds();
        // A stale, longer file of the same name is replaced, not patched.
        QVERIFY(WriteBytes(TempDir + SoundNames[5] + QStringLiteral(".dat"), QByteArray(200000, 'x')));
        ExtractSounds();
        QCOMPARE(DatFiles(TempDir).size(), 192);
        const int sizes[5] = {0, 45734, 42208, 96174, 96918};
        const int order[4] = {2, 3, 4, 1};
        for (int i = 0; i < 192; ++i) {
            const QString path = TempDir + SoundNames[i] + QStringLiteral(".dat");
            const QByteArray bytes = ReadAll(path);
            QCOMPARE(bytes.size(), sizes[order[i / 48]]);
            QVERIFY2(bytes == ReadAll(SoundResourcePath(SoundNames[i])), qPrintable(path));
            QVERIFY(bytes.startsWith("RIFF"));
        }
    }

    void laterStartRepairsChangedFilesOfTheSameSize()
    {
        TempEnv env;
        PrepareSounds();
        ExtractSounds();
        // Same size, other bytes: must be written again, not taken as up to date.
        const QString path = TempDir + SoundNames[100] + QStringLiteral(".dat");
        QByteArray damaged = ReadAll(path);
        damaged[damaged.size() / 2] = char(damaged[damaged.size() / 2] ^ 0x5A);
        QVERIFY(WriteBytes(path, damaged));
        QFile::remove(TempDir + SoundNames[7] + QStringLiteral(".dat"));
        ExtractSounds();
        QCOMPARE(ReadAll(path), ReadAll(SoundResourcePath(SoundNames[100])));
        QCOMPARE(ReadAll(TempDir + SoundNames[7] + QStringLiteral(".dat")), ReadAll(SoundResourcePath(SoundNames[7])));
        QCOMPARE(DatFiles(TempDir).size(), 192);
    }

    void unwritableFileStopsWithTheSystemReason()
    {
        TempEnv env;
        PrepareSounds();
        // The third file's place is taken by a folder: it cannot be created.
        const QString blocked = TempDir + SoundNames[2] + QStringLiteral(".dat");
        QVERIFY(QDir().mkpath(blocked));
        QString text;
        try {
            ExtractSounds();
        } catch (const TavoError& e) {
            text = e.text();
        }
        const QString prefix = QStringLiteral("Cannot create file \"%1\". ").arg(blocked);
        QVERIFY2(text.startsWith(prefix), qPrintable(text));
        QVERIFY2(text.size() > prefix.size(), "the system's reason follows the path");
        // The two before it were written, nothing after it.
        QVERIFY(QFile::exists(TempDir + SoundNames[0] + QStringLiteral(".dat")));
        QVERIFY(QFile::exists(TempDir + SoundNames[1] + QStringLiteral(".dat")));
        QCOMPARE(DatFiles(TempDir).size(), 2);
    }

    // A full disk says so, not "Unknown error", and the old file stays whole.
    void fullDiskNamesTheReason()
    {
#ifdef Q_OS_UNIX
        TempEnv env;
        PrepareSounds();
        const QString path = TempDir + SoundNames[0] + QStringLiteral(".dat");
        QVERIFY(WriteBytes(path, "old"));
        QString text;
        {
            const FullDisk full(48);
            try {
                ExtractSounds();
            } catch (const TavoError& e) {
                text = e.text();
            }
        }
        QCOMPARE(text, QStringLiteral("Cannot create file \"%1\". 文件超出了允许的大小").arg(path));
        QCOMPARE(ReadBack(path), QByteArray("old"));
#endif
    }

    void missingFolderGivesTheExactText()
    {
        TempEnv env;
        PrepareSounds();
        TempDir = env.root.path() + QStringLiteral("/no-such-folder/");
        const QString path = TempDir + SoundNames[0] + QStringLiteral(".dat");
        QFile probe(path);
        QVERIFY(!probe.open(QIODevice::WriteOnly));
        try {
            ExtractSounds();
            QFAIL("no error");
        } catch (const TavoError& e) {
            QCOMPARE(e.text(), QStringLiteral("Cannot create file \"%1\". %2").arg(path, probe.errorString()));
        }
    }

    void missingResourceIsNamed()
    {
        TempEnv env;
        PrepareSounds();
        SoundNames = QStringList{SoundNames[0], QStringLiteral("VOIC_000000001"), SoundNames[1]};
        try {
            ExtractSounds();
            QFAIL("no error");
        } catch (const TavoError& e) {
            QCOMPARE(e.text(), QStringLiteral("Resource VOIC_000000001 not found"));
        }
        QCOMPARE(DatFiles(TempDir), QStringList{SoundNames[0] + QStringLiteral(".dat")});
    }

    // ---- Deleting a few at exit ----
    void prunePicksNeverReachTheLastName()
    {
        QRandomGenerator rng(12345);
        int low = 1000, high = -1;
        std::vector<int> counts(191, 0);
        for (int i = 0; i < 191 * 200; ++i) {
            const int p = PickPrunePosition(rng);
            QVERIFY(p >= 0 && p <= 190);
            low = std::min(low, p);
            high = std::max(high, p);
            ++counts[size_t(p)];
        }
        QCOMPARE(low, 0);
        QCOMPARE(high, 190);
        // Roughly uniform: no position far from its share of 200.
        for (int c : counts)
            QVERIFY2(c > 120 && c < 290, qPrintable(QString::number(c)));
    }

    void pruneDeletesExactlyThePickedFiles_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 s : {1u, 77u, 4242u})
            QTest::addRow("seed %u", s) << s;
    }
    void pruneDeletesExactlyThePickedFiles()
    {
        QFETCH(quint32, seed);
        TempEnv env;
        PrepareSounds();
        ExtractSounds();
        QRandomGenerator expect(seed);
        std::set<QString> picked;
        for (int i = 0; i < 6; ++i)
            picked.insert(SoundNames[PickPrunePosition(expect)] + QStringLiteral(".dat"));
        QRandomGenerator rng(seed);
        PruneSoundsWith(rng);
        const QStringList left = DatFiles(TempDir);
        QCOMPARE(left.size(), 192 - int(picked.size()));
        for (const QString& name : picked)
            QVERIFY(!left.contains(name));
        QVERIFY(left.contains(SoundNames[191] + QStringLiteral(".dat")));
    }

    void pruneAtExitRemovesAtMostSix()
    {
        TempEnv env;
        PrepareSounds();
        ExtractSounds();
        PruneSounds();
        const QStringList left = DatFiles(TempDir);
        QVERIFY(left.size() >= 186 && left.size() <= 191);
        QVERIFY(left.contains(SoundNames[191] + QStringLiteral(".dat")));
        // The next start writes them all again.
        ExtractSounds();
        QCOMPARE(DatFiles(TempDir).size(), 192);
    }

    void pruneAfterAnEarlyFailedStartDeletesNothing()
    {
        TempEnv env;
        PrepareSounds();
        ExtractSounds();
        const QStringList names = SoundNames;
        SoundNames.clear();   // start-up stopped before the list was made
        PruneSounds();
        QCOMPARE(DatFiles(TempDir).size(), 192);
        SoundNames = names;
        const QString dir = TempDir;
        TempDir.clear();      // ... or before the folders were worked out
        PruneSounds();
        QCOMPARE(DatFiles(dir).size(), 192);
        TempDir = dir;
    }

    // ---- Ini files ----
    void iniWriteThenRead_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("zero") << QStringLiteral("0");
        QTest::newRow("address") << QStringLiteral("http://example.com/movie.swf?a=1,b=2");
        QTest::newRow("caption in Chinese") << QStringLiteral("[新歌] 月亮代表我的心");
        QTest::newRow("inner spaces") << QStringLiteral("a  b ; c");
    }
    void iniWriteThenRead()
    {
        QFETCH(QString, value);
        TempEnv env;
        const QString file = env.home() + QStringLiteral("/tavopianoinfo.ini");
        IniWriteString(file, QStringLiteral("link"), QStringLiteral("21"), value);
        QVERIFY(QFile::exists(file));   // on disk when the call returns
        QCOMPARE(IniReadString(file, QStringLiteral("link"), QStringLiteral("21"), QStringLiteral("-")), value);
        QCOMPARE(IniReadString(file, QStringLiteral("info"), QStringLiteral("21"), QStringLiteral("-")),
                 QStringLiteral("-"));
    }

    void iniEmptyValueDeletesTheKeyOnly()
    {
        TempEnv env;
        const QString file = env.home() + QStringLiteral("/tavopianoinfo.ini");
        IniWriteString(file, QStringLiteral("info"), QStringLiteral("30"), QStringLiteral("TavoPiano"));
        IniWriteString(file, QStringLiteral("link"), QStringLiteral("30"), QStringLiteral("x.swf"));
        IniWriteString(file, QStringLiteral("link"), QStringLiteral("29"), QStringLiteral("y.swf"));
        IniWriteString(file, QStringLiteral("link"), QStringLiteral("30"), QString());
        QCOMPARE(IniReadString(file, QStringLiteral("link"), QStringLiteral("30"), QStringLiteral("none")),
                 QStringLiteral("none"));
        QCOMPARE(IniReadString(file, QStringLiteral("link"), QStringLiteral("29"), QString()), QStringLiteral("y.swf"));
        QCOMPARE(IniReadString(file, QStringLiteral("info"), QStringLiteral("30"), QString()),
                 QStringLiteral("TavoPiano"));
        QVERIFY(!ReadAll(file).contains("x.swf"));
        // Deleting what is not there changes nothing and creates nothing.
        const QByteArray before = ReadAll(file);
        IniWriteString(file, QStringLiteral("nosection"), QStringLiteral("1"), QString());
        QCOMPARE(ReadAll(file), before);
        const QString other = env.home() + QStringLiteral("/other.ini");
        IniWriteString(other, QStringLiteral("a"), QStringLiteral("1"), QString());
        QVERIFY(!QFile::exists(other));
    }

    void iniMissingFileOrKeyGivesTheDefault()
    {
        TempEnv env;
        const QString file = env.home() + QStringLiteral("/missing.ini");
        QCOMPARE(IniReadString(file, QStringLiteral("cfg"), QStringLiteral("precision"), QStringLiteral("dflt")),
                 QStringLiteral("dflt"));
        IniWriteString(file, QStringLiteral("cfg"), QStringLiteral("precision"), QStringLiteral("0"));
        QCOMPARE(IniReadString(file, QStringLiteral("cfg"), QStringLiteral("other"), QStringLiteral("dflt")),
                 QStringLiteral("dflt"));
        // A file that cannot be written (its folder is missing) is simply not written.
        const QString nowhere = env.root.path() + QStringLiteral("/no/such/dir/x.ini");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Cannot write settings file")));
        IniWriteString(nowhere, QStringLiteral("cfg"), QStringLiteral("a"), QStringLiteral("1"));
        QCOMPARE(IniReadString(nowhere, QStringLiteral("cfg"), QStringLiteral("a"), QStringLiteral("d")),
                 QStringLiteral("d"));
    }

    void iniReadsFilesAsTheProfileCallsDo()
    {
        TempEnv env;
        const QString file = env.home() + QStringLiteral("/hand.ini");
        QStringEncoder gbk("GBK");
        QVERIFY(gbk.isValid());
        const QByteArray text = QByteArray("; written by hand\r\n[Info]\r\n  21 = \"[新] 歌\"  \r\n22=plain\r\n")
                                    .replace("[新] 歌", QByteArray(gbk.encode(QStringLiteral("[新] 歌"))))
                                + "[link]\r\n21=a.swf\r\n";
        QVERIFY(WriteBytes(file, text));
        QCOMPARE(IniReadString(file, QStringLiteral("info"), QStringLiteral("21"), QString()),
                 QStringLiteral("[新] 歌"));
        QCOMPARE(IniReadString(file, QStringLiteral("INFO"), QStringLiteral("22"), QString()), QStringLiteral("plain"));
        QCOMPARE(IniReadString(file, QStringLiteral("link"), QStringLiteral("22"), QStringLiteral("d")),
                 QStringLiteral("d"));

        // Writing keeps the other lines and puts a new key into its own section.
        IniWriteString(file, QStringLiteral("INFO"), QStringLiteral("23"), QStringLiteral("third"));
        IniWriteString(file, QStringLiteral("info"), QStringLiteral("22"), QStringLiteral("changed"));
        const QString after = QString::fromUtf8(ReadAll(file));
        QVERIFY(after.startsWith(QStringLiteral("; written by hand\r\n")));
        QCOMPARE(after.count(QStringLiteral("22=")), 1);
        QVERIFY(after.indexOf(QStringLiteral("23=third")) < after.indexOf(QStringLiteral("[link]")));
        QCOMPARE(IniReadString(file, QStringLiteral("info"), QStringLiteral("21"), QString()),
                 QStringLiteral("[新] 歌"));
        QCOMPARE(IniReadString(file, QStringLiteral("info"), QStringLiteral("22"), QString()),
                 QStringLiteral("changed"));
        QCOMPARE(IniReadString(file, QStringLiteral("link"), QStringLiteral("21"), QString()),
                 QStringLiteral("a.swf"));
    }

    void iniUnreadableFileIsNotReplaced()
    {
        TempEnv env;
        // A folder in the file's place stands for any file that cannot be read.
        const QString file = env.home() + QStringLiteral("/tavopiano.ini");
        QVERIFY(QDir().mkpath(file + QStringLiteral("/keep")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Cannot read settings file")));
        IniWriteString(file, QStringLiteral("cfg"), QStringLiteral("a"), QStringLiteral("1"));
        QVERIFY(QFileInfo(file).isDir());
        QVERIFY(QFileInfo::exists(file + QStringLiteral("/keep")));
    }

    void iniValueCannotInjectLines()
    {
        TempEnv env;
        const QString file = env.home() + QStringLiteral("/x.ini");
        IniWriteString(file, QStringLiteral("info"), QStringLiteral("21"), QStringLiteral("a\n[link]\n21=evil.swf"));
        QCOMPARE(IniReadString(file, QStringLiteral("link"), QStringLiteral("21"), QStringLiteral("none")),
                 QStringLiteral("none"));
    }

    // ---- Copy and delete ----
    void copyReplacesAndCreatesFolders()
    {
        TempEnv env;
        const QString src = env.root.path() + QStringLiteral("/ExpData.dat");
        QVERIFY(WriteBytes(src, "template"));
        const QString dst = env.home() + QStringLiteral("/Desktop/new/song.opr");
        QVERIFY(CopyFiles(src, dst));
        QCOMPARE(ReadAll(dst), QByteArray("template"));
        QVERIFY(WriteBytes(dst, "an older and longer export"));
        QVERIFY(CopyFiles(src, dst));
        QCOMPARE(ReadAll(dst), QByteArray("template"));
        // An existing folder as the target receives the file under its own name.
        QVERIFY(CopyFiles(src, env.home()));
        QCOMPARE(ReadAll(env.home() + QStringLiteral("/ExpData.dat")), QByteArray("template"));
    }

    void copyFailuresLeaveTheTargetAlone()
    {
        TempEnv env;
        const QString dst = env.home() + QStringLiteral("/keep.opr");
        QVERIFY(WriteBytes(dst, "keep me"));
        QVERIFY(!CopyFiles(env.root.path() + QStringLiteral("/missing.dat"), dst));
        QCOMPARE(ReadAll(dst), QByteArray("keep me"));
        QVERIFY(!CopyFiles(dst, dst));
        QCOMPARE(ReadAll(dst), QByteArray("keep me"));
    }

    void deleteRemovesForGood()
    {
        TempEnv env;
        const QString file = env.home() + QStringLiteral("/a.dat");
        QVERIFY(WriteBytes(file, "x"));
        QVERIFY(DeleteFiles(file));
        QVERIFY(!QFile::exists(file));
        QVERIFY(!DeleteFiles(file));
        QVERIFY(QDir().mkpath(env.home() + QStringLiteral("/d/e")));
        QVERIFY(WriteBytes(env.home() + QStringLiteral("/d/e/f"), "x"));
        QVERIFY(DeleteFiles(env.home() + QStringLiteral("/d")));
        QVERIFY(!QFileInfo::exists(env.home() + QStringLiteral("/d")));
    }
};

TAVO_CORE_TEST_MAIN(TestSoundFiles)
#include "test_sound_files.moc"
