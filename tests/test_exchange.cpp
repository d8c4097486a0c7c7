// Deleting, exporting and importing songs through exchange files.
#include "RecordingDialogs.h"
#include "core/Errors.h"
#include "core/library/Database.h"
#include "core/library/SongRows.h"
#include "core/formats/MidiFile.h"
#include "core/formats/MusicXml.h"
#include "core/library/Exchange.h"
#include "core/library/SongMarks.h"
#include "core/formats/JianpuText.h"
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <deque>

namespace {

using Answers = RecordingDialogs;

const QString Illegal = QStringLiteral("非法数据，请检查路径及文件！");

SongRecord Row(int song, int seq, const QString& name, const QString& type, const QString& date = "20100301")
{
    return SongRecord{song, seq, name, type == "0" ? "佚名" : "5", "1", "2", type == "0" ? 1 : seq % 3, type, date};
}

SongTableType SongOfCells(int id, const QString& title, int cells, const QString& date = "20100301")
{
    SongTableType rows{Row(id, 0, title, "0", date)};
    for (int i = 1; i <= cells; ++i)
        rows.push_back(Row(id, i, title, i % 4 ? "1" : "2", date));
    return rows;
}

QByteArray Hash(const QString& file)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// Every row of a song table in one line each; songId < 0 means all songs.
QStringList Dump(TADOConnection& conn, const QString& table, const QString& where = QString())
{
    const bool lib = table == "TableCfg";
    TADOQuery q;
    q.Open(conn,
           lib ? "select SongID,SeqID,SongName,SongNote,OpernLong,OpernHigh,Conn,InfoType,SongDate from TableCfg " + where +
                     " order by SongID,SeqID"
               : "select A,B,C,D,E,F,G,H,I from data order by cast(B as integer)",
           {});
    QStringList out;
    for (q.First(); !q.Eof(); q.Next()) {
        QStringList cols;
        for (const char* c : {"SongID", "SeqID", "SongName", "SongNote", "OpernLong", "OpernHigh", "Conn", "InfoType",
                              "SongDate"})
            cols << q.FieldAsString(lib ? c : QString(QChar(char16_t(u'A' + cols.size()))));
        out << cols.join(u'|');
    }
    return out;
}

// Rows as Dump shows them, under song number id, in SeqID order.
QStringList Lines(SongTableType rows, int id)
{
    std::stable_sort(rows.begin(), rows.end(), [](const SongRecord& a, const SongRecord& b) { return a.SeqID < b.SeqID; });
    QStringList out;
    for (const SongRecord& r : rows)
        out << QStringList{QString::number(id), QString::number(r.SeqID), r.SongName, r.SongNote, r.OpernLong,
                           r.OpernHigh, QString::number(r.Conn), r.InfoType, r.SongDate}.join(u'|');
    return out;
}

// Replaces the song number at the front of each dumped row.
QStringList Renumber(QStringList rows, int id)
{
    for (QString& r : rows)
        r = QString::number(id) + r.mid(r.indexOf(u'|'));
    return rows;
}

// Builds exchange files fast: keyed with the key SQLCipher would derive from the
// password for a fixed salt, so making one costs no key derivation.
class ExchangeMaker {
public:
    ExchangeMaker()
    {
        const QByteArray salt = QByteArray::fromHex("00112233445566778899aabbccddeeff");
        const QByteArray key = QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha1, ExchangePassword, salt,
                                                                  64000, 32);
        rawKey = "x'" + QString::fromLatin1((key + salt).toHex()) + "'";
    }
    void make(const QString& file, const QList<QVariantList>& rows, QStringList schema = {}, QString key = {}) const
    {
        if (schema.isEmpty())
            schema << ExchangeTableSchema;
        if (key.isEmpty())
            key = rawKey;
        // An empty file opens as a new database; these throwaway files need no syncing.
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly))
            Raise("cannot write " + file);
        f.close();
        TADOConnection c;
        c.SetTarget(file, key, CipherSettings::Standard);
        TADOQuery q;
        q.Exec(c, "PRAGMA synchronous = OFF", {});
        q.Exec(c, "begin", {});
        for (const QString& s : schema)
            q.Exec(c, s, {});
        for (const QVariantList& r : rows)
            q.Exec(c, "insert into data (A,B,C,D,E,F,G,H,I) values (?,?,?,?,?,?,?,?,?)", r);
        q.Exec(c, "commit", {});
    }
    QString rawKey;
};

QList<QVariantList> AsExchange(const SongTableType& rows)
{
    QList<QVariantList> out;
    for (const SongRecord& r : rows)
        out << QVariantList{QString::number(r.SongID), QString::number(r.SeqID), r.SongName, r.SongNote, r.OpernLong,
                            r.OpernHigh, QString::number(r.Conn), r.InfoType, r.SongDate};
    return out;
}

} // namespace

QByteArray Be(quint32 v, int bytes)
{
    QByteArray out;
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char((v >> (8 * i)) & 0xff));
    return out;
}

QByteArray Vlq(quint32 v)
{
    QByteArray out(1, char(v & 0x7f));
    while (v >>= 7)
        out.prepend(char((v & 0x7f) | 0x80));
    return out;
}

QByteArray Chunk(const QByteArray& events)
{
    return "MTrk" + Be(quint32(events.size()), 4) + events;
}

// A file of several tracks of random notes, names, signatures and running status.
QByteArray RandomMidi(QRandomGenerator& rng, quint32 longestDelta)
{
    const int tracks = 1 + int(rng.bounded(4));
    const int tpq = rng.bounded(2) ? 480 : 24 + int(rng.bounded(1000));
    QByteArray file = "MThd" + Be(6, 4) + Be(1, 2) + Be(quint32(tracks), 2) + Be(quint32(tpq), 2);
    for (int t = 0; t < tracks; ++t) {
        QByteArray e;
        QByteArray name(int(rng.bounded(12)), 0);
        for (char& c : name)
            c = char(rng.bounded(256));
        e += Vlq(0) + "\xff\x03" + Vlq(quint32(name.size())) + name;
        e += Vlq(0) + "\xff\x59\x02" + char(int(rng.bounded(17)) - 8) + char(rng.bounded(3));
        e += Vlq(0) + "\xff\x58\x04" + char(rng.bounded(13)) + char(rng.bounded(8)) + "\x18\x08";
        int status = 0;
        for (int n = int(rng.bounded(120)); n > 0; --n) {
            const quint32 steps[] = {0, quint32(tpq / 4), quint32(tpq / 2), quint32(tpq), quint32(rng.bounded(longestDelta))};
            e += Vlq(steps[rng.bounded(5)]);
            const int s = (rng.bounded(2) ? 0x90 : 0x80) | int(rng.bounded(16));
            if (s != status || rng.bounded(4) == 0)
                e += char(s);
            status = s;
            e += char(rng.bounded(128));
            e += char(rng.bounded(128));
        }
        file += Chunk(e + Vlq(0) + "\xff\x2f" + Vlq(0));
    }
    return file;
}

class TestExchange : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString libFile, desktop, templ;
    TADOConnection lib;
    Answers ui;
    ExchangeMaker maker;

    void newLibrary(const SongTableType& rows)
    {
        lib.Close();
        QFile::remove(libFile);
        CreateSongDatabase(libFile, "pw", rows);
        lib.SetTarget(libFile, "pw");
        ui = Answers{};
    }
    ShareResult import(const QString& file)
    {
        ui.fileToOpen = file;
        return ImportSongFile(lib, ui, QDate(2010, 7, 16));
    }
    // A save and a delete both land in the song library.
    void libraryStillReachable()
    {
        TADOQuery q;
        q.Exec(lib, "insert into TableCfg (SongID,SeqID,SongName,InfoType) values (?,?,?,?)", {20, 0, "存", "0"});
        QCOMPARE(Dump(lib, "TableCfg", "where SongID=20").size(), 1);
        ui.answers.clear();
        QVERIFY(DeleteSong(lib, 20, "存", ui).done());
        QVERIFY(Dump(lib, "TableCfg", "where SongID=20").isEmpty());
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(dir.isValid());
        libFile = dir.filePath("Opern.dat");
        desktop = dir.filePath("home/Desktop");   // missing until the first export
        templ = dir.filePath("ExpData.dat");
        if (!QFile::exists(templ))
            CreateExchangeFile(templ);
        QDir(desktop).removeRecursively();
    }

    void deleteAsksAndRemovesOnlyThatSong()
    {
        SongTableType rows = SongOfCells(1, "甲", 3);
        for (const SongRecord& r : SongOfCells(3, "乙", 4))
            rows.push_back(r);
        rows.push_back(Row(3, 9, "通知", "9"));
        newLibrary(rows);
        const QStringList song1 = Dump(lib, "TableCfg", "where SongID=1");
        QCOMPARE(DeleteSong(lib, 0, "乙", ui).outcome, ShareResult::Outcome::Stopped);
        QCOMPARE(ui.messages(), 0);
        ui.answers = {false};
        QVERIFY(!DeleteSong(lib, 3, "乙", ui).done());
        QCOMPARE(Dump(lib, "TableCfg", "where SongID=3").size(), 6);
        QVERIFY(DeleteSong(lib, 3, "乙", ui).done());
        QCOMPARE(ui.questions, QStringList(2, "删除歌曲：乙，是否继续？"));
        QCOMPARE(ui.infos, QStringList{"歌曲：乙，已删除！"});
        QCOMPARE(Dump(lib, "TableCfg"), song1);
    }

    // Export song 5, delete it, import it: same rows under the lowest free number.
    void roundTrip()
    {
        SongTableType rows;
        for (int id : {1, 2, 4, 5})
            for (const SongRecord& r : SongOfCells(id, id == 5 ? QString("送别") : QString("曲%1").arg(id), id == 5 ? 120 : 2))
                rows.push_back(r);
        rows.push_back(Row(5, 0, "送别的通知", "9", "20100101"));
        newLibrary(rows);
        const QStringList song5 = Dump(lib, "TableCfg", "where SongID=5");

        for (int pass = 0; pass < 2; ++pass) {   // the second export replaces the first
            const ShareResult out = ExportSong(lib, 5, "送别", templ, desktop, ui);
            QVERIFY(out.done());
            QCOMPARE(out.file, QDir(desktop).filePath("送别.opr"));
        }
        QCOMPARE(QDir(desktop).entryList(QDir::Files), QStringList{"送别.opr"});
        QCOMPARE(ui.infos, QStringList(2, "歌曲：送别 导出到桌面！"));
        {
            TADOConnection x;
            ConnectExchangeFile(x, QDir(desktop).filePath("送别.opr"));
            QStringList inFile = Dump(x, "data");
            inFile.sort();
            QStringList expected = song5;
            expected.sort();
            QCOMPARE(inFile, expected);
        }

        QVERIFY(DeleteSong(lib, 5, "送别", ui).done());
        ui = Answers{};
        const ShareResult in = import(QDir(desktop).filePath("送别.opr"));
        QVERIFY(in.done());
        QCOMPARE(in.songId, 3);
        QVERIFY(ui.filterAsked.startsWith("所有支持的文件 (*.opr *.txt *.musicxml *.xml *.mxl *.mid *.midi);;"
                                          "歌谱文件(*.opr);;简谱文本 (*.txt);;"));
        QVERIFY(ui.filterAsked.endsWith(";;MIDI (*.mid *.midi)"));
        QCOMPARE(ui.questions, QStringList{"新歌曲导入，是否继续？\r\n\r\n歌曲：送别"});
        QCOMPARE(ui.questionTitles, QStringList{"新歌曲导入"});
        QCOMPARE(ui.infos, QStringList{"歌曲：送别，导入完毕！"});
        QCOMPARE(Dump(lib, "TableCfg", "where SongID=3"), Renumber(song5, 3));
        QCOMPARE(ExportSong(lib, 5, "送别", templ, desktop, ui).outcome, ShareResult::Outcome::Stopped);
    }

    void exportNamesStayOnTheDesktop_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "送别" << "送别.opr";
        QTest::newRow("separators") << "../a/b\\c:d*e?f\"g<h>i|j" << ".._a_b_c_d_e_f_g_h_i_j.opr";
        QTest::newRow("control") << "a\tb\nc" << "a_b_c.opr";
        QTest::newRow("dots") << ".." << "未命名.opr";
        QTest::newRow("spaces and dots") << " . " << "未命名.opr";
        QTest::newRow("empty") << "" << "未命名.opr";
        QTest::newRow("long") << QString(100, QChar(u'长')) << QString(66, QChar(u'长')) + ".opr";
    }
    void exportNamesStayOnTheDesktop()
    {
        QFETCH(QString, title);
        QFETCH(QString, name);
        newLibrary(SongOfCells(2, title, 3));
        const ShareResult out = ExportSong(lib, 2, title, templ, desktop, ui);
        QVERIFY(out.done());
        QCOMPARE(QDir(desktop).entryList(QDir::Files | QDir::Hidden), QStringList{name});
        QCOMPARE(QDir(dir.filePath("home")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"Desktop"});
        QCOMPARE(ui.infos, QStringList{"歌曲：" + title + " 导出到桌面！"});
    }

    // Titles that make the same file name never replace each other's file; a song's own
    // file is replaced, and the message names a changed file name.
    void exportNeverReplacesAnotherSong()
    {
        SongTableType rows = SongOfCells(1, "合/唱", 2);
        for (const SongRecord& r : SongOfCells(2, "合_唱", 3))
            rows.push_back(r);
        newLibrary(rows);
        for (int pass = 0; pass < 2; ++pass) {
            QCOMPARE(ExportSong(lib, 1, "合/唱", templ, desktop, ui).file, QDir(desktop).filePath("合_唱.opr"));
            QCOMPARE(ExportSong(lib, 2, "合_唱", templ, desktop, ui).file, QDir(desktop).filePath("合_唱 (2).opr"));
        }
        QCOMPARE(QDir(desktop).entryList(QDir::Files).size(), 2);
        QCOMPARE(ui.infos.first(), "歌曲：合/唱 导出到桌面！");
        QVERIFY2(ui.infos.last().startsWith("歌曲：合_唱 导出到桌面！") && ui.infos.last().contains("“合_唱 (2).opr”"),
                 qPrintable(ui.infos.last()));
    }

    // A failed export names the file and the reason, writes nothing and keeps the
    // older file; the library is still the connection's target.
    void failedExportIsReported()
    {
        newLibrary(SongOfCells(1, "甲", 3));
        QVERIFY(ExportSong(lib, 1, "甲", templ, desktop, ui).done());
        const QString old = QDir(desktop).filePath("甲.opr");
        const QByteArray before = Hash(old);
        const QString missing = dir.filePath("none/ExpData.dat");
        const QString broken = dir.filePath("broken.dat");
        QFile b(broken);
        QVERIFY(b.open(QIODevice::WriteOnly));
        b.write("not a database at all");
        b.close();
        for (const QString& t : {missing, broken}) {
            QString error;
            try {
                ExportSong(lib, 1, "甲", t, desktop, ui);
            } catch (const TavoError& e) {
                error = e.text();
            }
            QVERIFY2(!error.isEmpty(), qPrintable(t));
            if (t == missing)
                QVERIFY2(error.contains(QDir::toNativeSeparators(missing)) && error.contains("不存在"), qPrintable(error));
            QCOMPARE(QDir(desktop).entryList(QDir::Files | QDir::Hidden), QStringList{"甲.opr"});
            QCOMPARE(Hash(old), before);
        }
        libraryStillReachable();
    }

    void importCases()
    {
        // Song 7 of another library lands as song 3 in one holding 1, 2 and 4.
        SongTableType rows;
        for (int id : {1, 2, 4})
            for (const SongRecord& r : SongOfCells(id, QString("曲%1").arg(id), 2))
                rows.push_back(r);
        newLibrary(rows);
        const QString seven = dir.filePath("seven.opr");
        SongTableType song7 = SongOfCells(7, "七号", 5, "20090909");
        song7.insert(song7.begin(), Row(7, 8, "曲1", "9", "20090101"));   // a notice first, titled like song 1
        maker.make(seven, AsExchange(song7));
        QVERIFY(import(seven).done());
        QCOMPARE(Dump(lib, "TableCfg", "where SongID=3"), Lines(song7, 3));

        // A second import asks, then says the title is taken.
        const QByteArray before = Hash(libFile);
        ui = Answers{};
        QCOMPARE(import(seven).outcome, ShareResult::Outcome::Refused);
        QCOMPARE(ui.questions.size(), 1);
        QCOMPARE(ui.infos, QStringList{"歌曲名称已存在，未导入！"});
        QCOMPARE(Hash(libFile), before);

        // No header row, the wrong extension, no dot, a cancelled dialog, the answer No.
        const QString headless = dir.filePath("headless.opr");
        maker.make(headless, AsExchange(SongTableType(song7.begin() + 2, song7.end())));
        const QString upper = dir.filePath("seven.OPR");
        QFile::copy(seven, upper);
        const QStringList paths{headless, upper, QString("nodot/file"), QString()};
        const QList<QStringList> said{{Illegal}, {Illegal}, {}, {}};
        for (int i = 0; i < paths.size(); ++i) {
            ui = Answers{};
            QVERIFY(!import(paths[i]).done());
            QCOMPARE(ui.infos, said[i]);
            QCOMPARE(ui.questions.size(), 0);
        }
        QFile::remove(seven);
        maker.make(seven, AsExchange(SongOfCells(7, "新", 2)));
        ui = Answers{};
        ui.answers = {false};
        QCOMPARE(import(seven).outcome, ShareResult::Outcome::Stopped);
        QCOMPARE(Hash(libFile), before);
        libraryStillReachable();

        // A full library says so.
        SongTableType full;
        for (int id = 1; id <= 21; ++id)
            for (const SongRecord& r : SongOfCells(id, QString("曲%1").arg(id), 1))
                full.push_back(r);
        newLibrary(full);
        const QByteArray fullHash = Hash(libFile);
        QCOMPARE(import(seven).outcome, ShareResult::Outcome::Refused);
        QCOMPARE(ui.infos, QStringList{"曲库已满（21首），无法导入！"});
        QCOMPARE(Hash(libFile), fullHash);
    }

    // A text file goes the same way: parsed, asked about, written whole under a free number;
    // a faulty text names the file and the line, and leaves the library as it was.
    void importText()
    {
        newLibrary(SongOfCells(1, "曲1", 1));
        const QString good = dir.filePath("小星星.TXT");
        QFile f(good);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QString("1=C 4/4\n1 1 5 5 | 6 6 5 - |\n一闪一闪亮晶晶\n").toUtf8());
        f.close();
        QVERIFY(import(good).done());
        QCOMPARE(ui.questions, QStringList{"新歌曲导入，是否继续？\r\n\r\n歌曲：小星星\r\n\r\n跳过了 1 行歌词等文字（第 3 行起）"});
        QCOMPARE(ui.infos, QStringList{"歌曲：小星星，导入完毕！"});
        const QStringList rows = Dump(lib, "TableCfg", "where SongID=2");
        QCOMPARE(rows.size(), 11);
        QCOMPARE(rows.at(0), QString("2|0|小星星|佚名|佚名|佚名|1|0|20100716"));
        QCOMPARE(rows.at(6), QString("2|6|小星星|6|0|1|0|1|20100716"));

        const QByteArray before = Hash(libFile);
        const QString bad = dir.filePath("bad.txt");
        f.setFileName(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QString("歌名：坏\n1 2 9").toUtf8());
        f.close();
        ui = Answers{};
        QCOMPARE(import(bad).outcome, ShareResult::Outcome::Refused);
        QCOMPARE(ui.errors, QStringList{QString("简谱文本 %1 有错：\n第 2 行第 5 列：9 不是音级（0 到 7）").arg(QDir::toNativeSeparators(bad))});
        ui = Answers{};
        QCOMPARE(import(good).outcome, ShareResult::Outcome::Refused);   // the title is taken now
        QCOMPARE(ui.infos, QStringList{"歌曲名称已存在，未导入！"});
        QCOMPARE(Hash(libFile), before);
    }

    // Text files of every kind of line end and encoding; one that is mostly undecodable bytes
    // is refused, and a huge value reaches the question only as a short quote.
    void textFilesOfEveryKind_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("title");   // empty: refused
        QTest::addColumn<int>("cells");
        QTest::newRow("old Mac line ends") << QString("歌名：旧\r1 2 3 |\r").toUtf8() << "旧" << 4;
        QTest::newRow("UTF-16 with its mark")
            << QByteArray("\xFF\xFE") + QByteArray(QStringEncoder(QStringEncoder::Utf16LE).encode(QString("歌名：宽\r\n1 2")))
            << "宽" << 2;
        QTest::newRow("GBK") << QByteArray(QStringEncoder("GBK").encode(QString("歌名：国标\n5 5"))) << "国标" << 2;
        QTest::newRow("a 2 MB credit") << "演唱：" + QByteArray(2'000'000, 'a') + "\n1" << "song" << 1;
        QTest::newRow("mostly undecodable") << QByteArray("\xFF\x81\x20").repeated(100) + "\n1 2 3\n" << "" << 0;
        QTest::newRow("binary zeros and controls") << QByteArray(300, '\0') + QByteArray(300, '\x01') + "\n1" << "" << 0;
    }
    void textFilesOfEveryKind()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, title);
        QFETCH(int, cells);
        newLibrary(SongOfCells(1, "曲1", 1));
        const QString file = dir.filePath("song.txt");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        const QByteArray before = Hash(libFile);
        const ShareResult result = import(file);
        if (title.isEmpty()) {
            QCOMPARE(result.outcome, ShareResult::Outcome::Refused);
            QCOMPARE(ui.errors, QStringList{QString("文件 %1 大部分无法读成文字，不是简谱文本。").arg(QDir::toNativeSeparators(file))});
            QCOMPARE(Hash(libFile), before);
            return;
        }
        QVERIFY(result.done());
        QCOMPARE(result.title, title);
        QCOMPARE(Dump(lib, "TableCfg", "where SongID=2").size(), cells + 1);
        QCOMPARE(ui.questions.size(), 1);
        QVERIFY2(ui.questions[0].size() < 200, qPrintable(ui.questions[0].left(300)));
    }

    // A title and credits from text are stored as an exchange file can carry them: bidi
    // overrides, emoji and control characters once went out to the desktop and came back refused.
    void textTitlesTravel()
    {
        newLibrary(SongOfCells(1, "曲1", 1));
        const QString file = dir.filePath("t.txt");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QString::fromUtf16(u"歌名：\u202E甲\u202C🎵\u0007\n作词：\u200B乙😀\n1 2 3 |\n").toUtf8());
        f.close();
        QVERIFY(import(file).done());
        const QStringList rows = Dump(lib, "TableCfg", "where SongID=2");
        QCOMPARE(rows.size(), 5);
        QCOMPARE(rows.at(0), QString("2|0|甲?|佚名|乙?|佚名|1|0|20100716"));

        const ShareResult out = ExportSong(lib, 2, "甲?", templ, desktop, ui);
        QVERIFY(out.done());
        QCOMPARE(QFileInfo(out.file).fileName(), QString("甲_.opr"));
        QVERIFY(DeleteSong(lib, 2, "甲?", ui).done());
        ui = Answers{};
        QVERIFY(import(out.file).done());
        QCOMPARE(Dump(lib, "TableCfg", "where SongID=2"), rows);
    }

    // Today 20100716: a recent imported notice refreshes older library notices.
    void noticeRefresh_data()
    {
        QTest::addColumn<QString>("imported");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("recent") << "20100710" << QStringList{"新通知|20100710", "旧通知B|20100712"};
        QTest::newRow("too old") << "20100101" << QStringList{"旧通知A|20100301", "旧通知B|20100712"};
    }
    void noticeRefresh()
    {
        QFETCH(QString, imported);
        QFETCH(QStringList, after);
        SongTableType rows = SongOfCells(1, "甲", 2);
        rows.push_back(Row(1, 5, "旧通知A", "9", "20100301"));
        rows.push_back(Row(2, 0, "旧通知B", "9", "20100712"));
        newLibrary(rows);
        const QString file = dir.filePath("notice.opr");
        QFile::remove(file);
        SongTableType song = SongOfCells(9, "乙", 2);
        song.push_back(Row(9, 3, "新通知", "9", imported));
        maker.make(file, AsExchange(song));
        QVERIFY(import(file).done());
        QStringList notices;
        TADOQuery q;
        q.Open(lib, "select SongName,SongDate from TableCfg where InfoType='9' and SongID<>3 order by SongID", {});
        for (q.First(); !q.Eof(); q.Next())
            notices << q.FieldAsString("SongName") + "|" + q.FieldAsString("SongDate");
        QCOMPARE(notices, after);
        QCOMPARE(Dump(lib, "TableCfg", "where SongID=3 and InfoType='9'").size(), 1);
    }

    // Untrusted files from a fixed seed: each one ends in one message and leaves the
    // library byte for byte as it was. Four rounds of the 19 kinds by default (every kind and
    // every heavy case once); TAVO_LONG_FUZZ=1 runs sixteen.
    void fuzz()
    {
        const int rounds = qEnvironmentVariableIntValue("TAVO_LONG_FUZZ") ? 16 : 4;
        SongTableType rows = SongOfCells(1, "甲", 4);
        rows.push_back(Row(1, 7, "旧通知", "9", "20100301"));
        newLibrary(rows);
        const QByteArray before = Hash(libFile);
        QRandomGenerator rng(20100716);
        const QString longText = QString(2500, QChar(u'长'));
        const QStringList hostile{"Don't", "'); delete from TableCfg; --", "\" or 1=1 --", "送别", longText,
                                  "a'b'c", "x'00'", "; drop table data"};
        auto pick = [&] { return hostile[int(rng.bounded(hostile.size()))]; };
        QByteArray validBytes;   // a good file for cutting short
        {
            const QString base = dir.filePath("base.opr");
            maker.make(base, AsExchange(SongOfCells(4, longText, 300)));
            QFile f(base);
            QVERIFY(f.open(QIODevice::ReadOnly));
            validBytes = f.readAll();
        }
        int valid = 0;
        const QString endlessView = "create view v as with recursive c(x) as (select 1 union all select x+1 from c) "
                                    "select x A,0 B,x C,x D,x E,x F,0 G,'1' H,'1' I from c";
        for (int i = 0; i < 19 * rounds; ++i) {
            const QString file = dir.filePath(QString("fuzz/%1.opr").arg(i));
            QDir().mkpath(QFileInfo(file).absolutePath());
            QList<QVariantList> data;
            data << QVariantList{"1", "0", pick(), pick(), pick(), pick(), "1", "0", "20100101"};
            const int cells = 1 + int(rng.bounded(30));
            for (int c = 1; c <= cells; ++c)
                data << QVariantList{"1", QString::number(c), pick(), pick(), pick(), pick(),
                                     QString::number(rng.bounded(6)), c % 3 ? "1" : "2", pick()};
            const int at = int(rng.bounded(data.size()));
            const int kind = i % 19;
            const int round = i / 19;
            QStringList schema;
            QString key;
            QByteArray bytes;   // written as the whole file when set
            switch (kind) {
            case 0: bytes.resize(rng.bounded(4096)); rng.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4); break;
            case 1: bytes = validBytes.left(int(rng.bounded(int(validBytes.size())))); break;
            case 2: key = "x'" + QString::number(rng.generate64(), 16).repeated(4).left(64) + "'"; break;
            case 3: {   // a column missing
                QStringList columns;
                for (char16_t c = u'A'; c <= u'I'; ++c)
                    if (c != u'A' + round % 9)
                        columns << QString(QChar(c)) + " TEXT";
                schema << "create table data (" + columns.join(", ") + ")";
                data.clear();
                break;
            }
            case 4:   // no table data: another name, or a view that never ends
                schema << "create table t (A,B,C,D,E,F,G,H,I)";
                if (round % 2)
                    schema << QString(endlessView).replace(" v ", " data ");
                data.clear();
                break;
            case 5: data[at][QList<int>{0, 1, 6}[round % 3]] =
                        QStringList{"", "1.5", "x", " 3", "99999999999", "0x10", "--1", "七"}[int(rng.bounded(8))]; break;
            case 6: data[at][1] = QStringList{"-1", "500", "100000"}[round % 3]; break;
            case 7: data << data.last(); break;   // the same cell twice
            case 8: data[at][7] = QStringList{"3", "", "00", "a", "9'"}[int(rng.bounded(5))]; break;
            case 9:   // no header, or two
                data[0][7] = QString(round % 2 ? "0" : "1");
                if (round % 2)
                    data << data.first();
                break;
            case 10: data[at][7] = "9"; data[at][8] = QStringList{"", "2010-07-01", "明天"}[round % 3]; break;
            case 11: data[at][int(2 + rng.bounded(7))] = QByteArray(QStringEncoder("GBK").encode(QString("送别"))); break;   // not text
            case 12: data[at][int(2 + rng.bounded(4))] = QString::fromUtf8("\xF0\x9F\x8E\xB9 乐"); break;
            case 13: {   // too many rows; a few files of 100,000
                const bool huge = round % 4 == 0;
                data.clear();
                schema << ExchangeTableSchema
                       << QString("insert into data select '1',x % 500,'t','1','0','1','0','1','20100101' from "
                                  "(with recursive c(x) as (select 0 union all select x+1 from c limit %1) select x from c)")
                              .arg(huge ? 100000 : ExchangeRowLimit + 1);
                break;
            }
            case 14:   // a full-text table of good rows, or one over a view that never ends
                if (round % 2) {
                    schema << endlessView;
                    data.clear();
                }
                schema << QString("create virtual table data using fts4(%1A,B,C,D,E,F,G,H,I)")
                              .arg(round % 2 ? "content='v'," : "");
                break;
            case 15: data[0][2] = QStringList{"", "   ", "..", QString(2, QChar(0)), " .\t\r\n", "\u3000.\u3000"}[round % 6]; break;
            case 16:   // markup is just text: asked about with its characters as they are
                data[0][2] = QStringList{"<img src=/dev/zero>", "<h1>大标题</h1>", "<b>唱</b>&amp;"}[round % 3];
                data[0][3] = "<b>唱</b>";
                [[fallthrough]];
            default: ++valid; break;   // quotes, SQL and long texts: a file to ask about
            }
            if (!bytes.isNull() || kind <= 1) {
                QFile f(file);
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write(bytes);
            } else {
                maker.make(file, data, schema, key);
            }
            ui = Answers{};
            ui.answers = {false};
            QElapsedTimer clock;
            clock.start();
            const ShareResult r = import(file);
            QVERIFY2(clock.elapsed() < 3 * StatementTimeBudgetMs, qPrintable(QString("file %1").arg(i)));
            const QString said = ui.infos.isEmpty() ? ui.questions.value(0) : ui.infos.first();
            const QString want = kind >= 16 ? "新歌曲导入，是否继续？\r\n\r\n歌曲：" + GbkCut(data[0][2].toString(), 200)
                                 : kind == 15 ? InvalidTitleMessage.toString()
                                              : Illegal;
            QVERIFY2(ui.messages() == 1 && said == want, qPrintable(QString("file %1: %2").arg(i).arg(said)));
            QVERIFY(!r.done());
            QCOMPARE(Hash(libFile), before);
        }
        QCOMPARE(valid, 3 * rounds);   // kinds 16 to 18 are good files
        libraryStillReachable();
    }

    // A MIDI file: the part asked for with the likely melody first, the summary shown in the
    // question, the cells saved; a song too long keeps its first bars when the user agrees.
    // Only the part list names parts: score-part elements strewn through the measures once grew
    // the parts under the one being read, and its notes went into freed memory.
    void musicXmlPartsNamedOnlyInThePartList()
    {
        QByteArray measures = "<measure><attributes><divisions>1</divisions></attributes>";
        for (int i = 0; i < 200; ++i) {
            measures += "<score-part id=\"S" + QByteArray::number(i) + "\"><part-name>n" + QByteArray::number(i) +
                        "</part-name></score-part><note><pitch><step>" + QByteArray(1, "CDEFGAB"[i % 7]) +
                        "</step><octave>4</octave></pitch><duration>1</duration></note>";
            if (i % 4 == 3)
                measures += "</measure><measure>";
        }
        const QString file = dir.filePath("散.musicxml");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<?xml version=\"1.0\"?><score-partwise version=\"4.0\"><work><work-title>散</work-title></work>"
                "<part-list><score-part id=\"P1\"><part-name>Melody</part-name></score-part></part-list>"
                "<part id=\"P1\">" + measures + "</measure></part></score-partwise>");
        f.close();
        QStringList first;
        for (int run = 0; run < 3; ++run) {
            newLibrary(SongOfCells(1, "甲", 2));
            QVERIFY2(import(file).done(), qPrintable(ui.errors.join(' ') + ui.infos.join(' ')));
            QVERIFY(ui.itemsOffered.isEmpty());   // one part: nothing to choose
            const QStringList rows = Dump(lib, "TableCfg", "where SongID=2");
            if (run == 0)
                first = rows;
            QCOMPARE(rows, first);
        }
        QCOMPARE(first.size(), 1 + 200 + 50);   // the header, the notes, a bar line every four
        QVERIFY(first.at(0).startsWith("2|0|散|"));
    }

    void midiImport()
    {
        newLibrary(SongOfCells(1, "甲", 2));
        const SongTableType song = ParseSongText("title: 欢乐颂\ntime: 4/4\n3 3 4 5 | 5 4 3 2 | 1 1 2 3 | 3 - - (2 | 2) 0 0 0 |",
                                                 "20100716").at(0).Rows();
        const QByteArray one = MidiBytes(SongFromTable(song, 1), 120, "欢乐颂");
        // A second track, lower and with fewer notes.
        QByteArray bass = Vlq(0) + "\xff\x03\x04" "Bass";
        for (int n = 0; n < 12; ++n)
            bass += Vlq(n ? 240 : 0) + QByteArray::fromHex("913050") + Vlq(240) + QByteArray::fromHex("813000");
        QByteArray two = one;
        two[11] = 2;   // two tracks
        two[9] = 1;    // of type 1
        two += Chunk(bass + Vlq(0) + "\xff\x2f" + Vlq(0));
        const QString file = dir.filePath("欢乐颂.mid");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(two);
        f.close();
        QVERIFY2(import(file).done(), qPrintable(ui.errors.join(' ') + ui.infos.join(' ')));
        QCOMPARE(ui.itemsOffered, (QStringList{"欢乐颂（14 个音）", "Bass（12 个音）"}));
        QCOMPARE(ui.preselected, 0);
        QCOMPARE(ui.questions, QStringList{"新歌曲导入，是否继续？\r\n\r\n歌曲：欢乐颂\r\n\r\n原调 1=C"});
        QCOMPARE(Dump(lib, "TableCfg", "where SongID=2"), Lines(song, 2));

        // 105 bars of four notes: 525 cells. No keeps the library; yes keeps whole bars.
        SongTableType longSong = ParseSongText("title: 长歌\ntime: 4/4\n" + QString("1 2 3 4 | ").repeated(105), "20100716")
                                     .at(0).Rows();
        f.remove();
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(MidiBytes(SongFromTable(longSong, 1), 90, "长歌"));
        f.close();
        const QByteArray before = Hash(libFile);
        ui = Answers{};
        ui.answers = {false};
        QVERIFY(!import(file).done());
        QCOMPARE(ui.questions, QStringList{"《长歌》写成简谱有 525 格，一首歌最多 499 格。\r\n\r\n是否只导入前面放得下的小节？"});
        QCOMPARE(Hash(libFile), before);
        ui = Answers{};
        QVERIFY(import(file).done());
        QVERIFY(ui.questions.value(1).endsWith("原调 1=C；只导入了前 495 格"));
        longSong.resize(496);
        QCOMPARE(Dump(lib, "TableCfg", "where SongID=3"), Lines(longSong, 3));
    }

    // A MIDI or MusicXML file's key, meter and signs go into the library beside the rows.
    void importedKeyMeterAndSignsReachTheLibrary()
    {
        JianpuParse parse =
            ParseJianpu("1=D 3/4\n5, #4, 5, | 1 - 3 | 2 #1 2 | 1 - - |", {JianpuMode::Paste, "20100716", 1});
        QVERIFY(parse.ok());
        Song song = parse.songs.at(0).song;
        song.header->title = "D 调";
        for (const auto& [name, bytes] : {std::pair{QString("D 调.mid"), MidiBytes(song, 100, "D 调")},
                                          std::pair{QString("D 调.musicxml"), WriteMusicXml(song)}}) {
            newLibrary(SongOfCells(1, "甲", 2));
            const QString file = dir.filePath(name);
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
            f.close();
            const ShareResult r = import(file);
            QVERIFY2(r.done(), qPrintable(ui.errors.join(' ')));
            const SongTableType rows = ReadSong(lib, r.songId);
            const Song back = SongFromRows(rows, ReadSongMarks(lib, rows, r.songId));
            QCOMPARE(back.header->key.Name(), QStringLiteral("1=D"));
            QCOMPARE(back.header->MeterText(), QStringLiteral("3/4"));
            QCOMPARE(back.cells, song.cells);
        }
    }

    // Generated MIDI files, good and hostile, from a fixed seed: each ends in one message
    // (an error, or the question before saving, answered No) and leaves the library as it was.
    void midiFuzz()
    {
        newLibrary(SongOfCells(1, "甲", 4));
        const QByteArray before = Hash(libFile);
        QRandomGenerator rng(20261208);
        int good = 0, refused = 0;
        for (int i = 0; i < 320; ++i) {
            QByteArray b = RandomMidi(rng, 4000);
            const int at = 14 + int(rng.bounded(int(b.size()) - 14));
            switch (i % 10) {
            case 0: b = "MThd" + QByteArray(int(rng.bounded(3000)), char(rng.bounded(256))); break;
            case 1: b.truncate(at); break;
            case 2: for (int k = 1 + int(rng.bounded(8)); k > 0; --k) b[14 + int(rng.bounded(int(b.size()) - 14))] = char(rng.bounded(256)); break;
            case 3: b.replace(8 + 2 * int(rng.bounded(3)), 2, Be(QList<quint32>{0, 3, 300, 0xffff, 0xe728}[int(rng.bounded(5))], 2)); break;
            case 4: b.replace(18, 4, Be(rng.bounded(2) ? 0xffffffffu : quint32(rng.bounded(40)), 4)); break;
            case 5: b = b.left(22) + QByteArray::fromHex(rng.bounded(2) ? "003c40003c40" : "00f0ffffff7f") + b.mid(22); break;
            case 6: b = b.left(22) + QByteArray::fromHex(rng.bounded(2) ? "ffffffff7f90" : "00ff01ffffff7f") + b.mid(22); break;
            case 7: b = b.left(22) + Vlq(0x0fffffff) + QByteArray::fromHex("903c40") + Vlq(0x0fffffff) + QByteArray::fromHex("803c00") + b.mid(22); break;
            default: break;
            }
            if (i == 3) {   // past the size limit
                b = RandomMidi(rng, 100);
                b += QByteArray(int(MidiFileLimit), '\0');
            } else if (i == 13) {   // past the event limit: two million notes in running status
                b = "MThd" + Be(6, 4) + Be(0, 2) + Be(1, 2) + Be(96, 2);
                b += Chunk("\x00\x90\x3c\x40" + QByteArray("\x00\x3c", 2).repeated(2'000'000));
            }
            if (i % 10 >= 2 && i % 10 <= 7)
                b[4 + 3] = char(6);   // the header keeps its length, so the fault is the mutation's
            const QString file = dir.filePath(QString("fuzz/%1.mid").arg(i));
            QDir().mkpath(QFileInfo(file).absolutePath());
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(b);
            f.close();
            ui = Answers{};
            ui.answers = {false};
            const ShareResult r = import(file);
            QVERIFY2(ui.messages() == 1, qPrintable(QString("file %1").arg(i)));
            QVERIFY(!r.done());
            if (!ui.errors.isEmpty()) {
                ++refused;
                QVERIFY2(ui.errors[0].contains(QDir::toNativeSeparators(file)), qPrintable(ui.errors[0]));
            } else {
                ++good;
            }
            QCOMPARE(Hash(libFile), before);
        }
        QVERIFY2(good >= 60 && refused >= 200, qPrintable(QString("%1 %2").arg(good).arg(refused)));
        libraryStillReachable();
    }

    // Quotes, SQL and over-long texts arrive as plain text, cut to their capacities.
    void hostileTextsArriveCut()
    {
        newLibrary(SongOfCells(1, "甲", 2));
        const QString file = dir.filePath("hostile.opr");
        const QString title = "'); delete from TableCfg; --" + QString(300, QChar(u'长'));
        maker.make(file, {{"1", "0", title, "Don't'", "\"x\" or 1", "a'b", "1", "0", "20100101"},
                          {"1", "1", title, "5", "1", "2", "0", "1", QString(5000, QChar(u'9'))}});
        QVERIFY(import(file).done());
        QCOMPARE(Dump(lib, "TableCfg", "where SongID=1").size(), 3);
        const QString cut = GbkCut(title, 200);
        QCOMPARE(Dump(lib, "TableCfg", "where SongID=2"),
                 (QStringList{"2|0|" + cut + "|Don't'|\"x\" or 1|a'b|1|0|20100101",
                              "2|1|" + cut + "|5|1|2|0|1|" + QString(10, QChar(u'9'))}));
    }
    // A song in ♭B and 6/8 with a ♯4 and a ♭7: its file's data table is what an older program
    // reads (the diatonic song); the marks come back on import, under the new number.
    void marksTravelWithTheSong()
    {
        Song s;
        s.header = SongHeader("升降", "", "", "", Meter::FourFour);
        s.header->key = *Key::FromName(u"bB");
        s.header->SetMeter({6, 8});
        s.cells = {Cell::MakeNote(1, 0, 1), Cell::MakeNote(4, 0, 1, 0, 1), Cell::MakeSymbol(CellKind::Bar),
                   Cell::MakeNote(7, 0, 0, 0, -1)};
        SongTableType rows = SongOfCells(1, "甲", 2);
        newLibrary(rows);
        QCOMPARE(AddSong(lib, SongToRows(s, 7, "20100301"), "升降", QDate(2010, 3, 1), SongToMarks(s, 7)).songId, 2);
        QCOMPARE(AddSong(lib, SongOfCells(7, "乙", 2), "乙", QDate(2010, 3, 1)).songId, 3);

        QVERIFY(ExportSong(lib, 2, "升降", templ, desktop, ui).done());
        const QString file = QDir(desktop).filePath("升降.opr");
        {
            TADOConnection x;
            ConnectExchangeFile(x, file);
            QCOMPARE(Dump(x, "data"), Dump(lib, "TableCfg", "where SongID=2"));
            const std::optional<ExchangeContent> content = ReadExchangeFile(file);
            QVERIFY(content);
            QVERIFY(content->refusedMarks.isEmpty());
            QCOMPARE(SongFromRows(content->rows, content->marks), s);
            const Song old = SongFromRows(content->rows);   // the data table alone
            QVERIFY(old.header->key.IsC() && !old.header->meter && old.cells[1].alter == 0);
        }
        // Deleting takes the marks with the rows.
        QVERIFY(DeleteSong(lib, 2, "升降", ui).done());
        TADOQuery q;
        q.Open(lib, "select count(*) as n from TableCfgMark", {});
        QCOMPARE(q.FieldAsInteger("n"), 0);
        // Song 2 is free again, so make 2 taken: the import lands on 4.
        QCOMPARE(AddSong(lib, SongOfCells(9, "丙", 1), "丙", QDate(2010, 3, 1)).songId, 2);
        ui = Answers{};
        const ShareResult in = import(file);
        QVERIFY(in.done());
        QCOMPARE(in.songId, 4);
        QCOMPARE(ui.questions, QStringList{"新歌曲导入，是否继续？\r\n\r\n歌曲：升降"});
        QStringList refused;
        const SongTableType all = [&] {
            SongTableType t;
            for (int id : {1, 2, 3, 4})
                for (const SongRecord& r : ReadSong(lib, id))
                    t.push_back(r);
            return t;
        }();
        const SongMarkTable marks = ReadLibraryMarks(lib, all, refused);
        QVERIFY(refused.isEmpty());
        QCOMPARE(int(marks.size()), 4);
        for (const SongMark& m : marks)
            QCOMPARE(m.SongID, 4);
        QCOMPARE(SongFromTable(all, 4, marks), s);
        QCOMPARE(SongFromTable(all, 3, marks).cells, SongFromRows(ReadSong(lib, 3)).cells);
    }

    void hostileMarkTableInAFile_data()
    {
        QTest::addColumn<QStringList>("schema");
        QTest::addColumn<bool>("legal");
        QTest::addColumn<int>("refused");
        const QString table = ExchangeMarkTableSchema;
        QTest::newRow("a view")
            << QStringList{"create view mark as select '1' as A, '1' as B, '甲' as C, 'alter=1' as D"} << false << 0;
        QTest::newRow("a virtual table") << QStringList{"create virtual table mark using fts4(A, B, C, D)"} << false
                                         << 0;
        QTest::newRow("too many rows")
            << QStringList{table, QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where "
                                                 "i<%1) insert into mark select '1', '1', '甲', 'alter=1' from n")
                                      .arg(ExchangeRowLimit + 1)}
            << false << 0;
        QTest::newRow("bad rows are left out") << QStringList{table,
                                                              "insert into mark values ('1', '1', '甲', 'alter=1')",
                                                              "insert into mark values ('x', '1', '甲', 'alter=1')",
                                                              "insert into mark values ('1', '99', '甲', 'alter=1')",
                                                              "insert into mark values ('1', '0', '甲', 'alter=1')",
                                                              "insert into mark values ('1', '2', '甲', 'alter=7')",
                                                              "insert into mark values ('1', '2', '甲', x'ff')"}
                                               << true << 5;
        QTest::newRow("a trigger does nothing to a read")
            << QStringList{table, "insert into mark values ('1', '1', '甲', 'alter=1')",
                           "create trigger t after delete on data begin delete from mark; end"}
            << true << 0;
    }
    void hostileMarkTableInAFile()
    {
        QFETCH(QStringList, schema);
        QFETCH(bool, legal);
        QFETCH(int, refused);
        newLibrary(SongOfCells(1, "乙", 1));
        const QString file = dir.filePath("hostile.opr");
        QFile::remove(file);
        QStringList all{ExchangeTableSchema};
        all << schema;
        maker.make(file, AsExchange(SongOfCells(1, "甲", 3)), all);
        const std::optional<ExchangeContent> content = ReadExchangeFile(file);
        QCOMPARE(content.has_value(), legal);
        ui = Answers{};
        const ShareResult in = import(file);
        QCOMPARE(in.done(), legal);
        if (!legal) {
            QCOMPARE(ui.infos, QStringList{Illegal});
            QCOMPARE(Dump(lib, "TableCfg").size(), 2);
            return;
        }
        QCOMPARE(int(content->refusedMarks.size()), refused);
        QCOMPARE(int(content->marks.size()), 1);
        if (refused > 0)
            QVERIFY2(ui.questions.value(0).contains(QStringLiteral("%1 个附加记号").arg(refused)),
                     qPrintable(ui.questions.value(0)));
        TADOQuery q;
        q.Open(lib, "select SongID, SeqID, Mark from TableCfgMark", {});
        QCOMPARE(q.RecordCount(), 1);
        QCOMPARE(q.FieldAsInteger("SongID"), in.songId);
        QCOMPARE(q.FieldAsString("Mark"), QStringLiteral("alter=1"));
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "test_exchange.moc"
