// Saving a 481-cell song into a library that already holds 20 songs of 500 rows, then
// reading the whole song table back as the reload after a save does. Prints medians.
#include "core/Dialogs.h"
#include "core/library/Database.h"
#include "core/library/Password.h"
#include "core/library/SongSave.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {
double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

class YesDialogs : public IDialogs {
public:
    void ShowError(const QString&) override {}
    void ShowInfo(const QString&) override {}
    bool AskYesNo(const QString&) override { return true; }
    QString OpenFile(const QString&, const QString&) override { return {}; }
};

SongTableType TwentySongs()
{
    SongTableType rows;
    for (int song = 1; song <= 20; ++song)
        for (int seq = 0; seq < 500; ++seq) {
            SongRecord r;
            r.SongID = song;
            r.SeqID = seq;
            r.SongName = QStringLiteral("第%1首歌 Song number %1").arg(song);
            r.SongNote = seq ? QString::number(seq % 8) : QStringLiteral("佚名");
            r.OpernLong = QString::number(seq % 3);
            r.OpernHigh = QString::number(seq % 3);
            r.Conn = seq % 4;
            r.InfoType = seq ? QStringLiteral("1") : QStringLiteral("0");
            r.SongDate = QStringLiteral("20260101");
            rows.push_back(r);
        }
    return rows;
}

// Header and cells 1..481, the most the editor's "增加" reaches.
EntryTableType EnteredSong()
{
    EntryTableType entry{};
    for (SongRecord& r : entry)
        ResetToBlank(r);
    SongRecord& h = entry[0];
    h.SongName = QStringLiteral("新录入的歌曲");
    h.SongNote = h.OpernLong = h.OpernHigh = QStringLiteral("佚名");
    h.Conn = 1;
    h.InfoType = QStringLiteral("0");
    for (int i = 1; i <= 481; ++i) {
        SongRecord& r = entry[size_t(i)];
        r.SeqID = i;
        if (i % 5 == 0) {
            r.SongNote = QStringLiteral("9");
            r.Conn = 2;
            r.InfoType = QStringLiteral("2");
        } else {
            r.SongNote = QString::number(i % 8);
            r.OpernLong = QString::number(i % 3);
            r.OpernHigh = QString::number(i % 3);
            r.Conn = i % 7 == 0 ? 2 : 0;
            r.InfoType = QStringLiteral("1");
        }
    }
    return entry;
}

// As the loader cuts: short ASCII values need no GBK encoding.
QString Cut(const QString& text, int maxBytes)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return text.size() * 2 <= maxBytes ? text : GbkCut(text, maxBytes);
    return text.left(maxBytes);
}

SongTableType Reload(TADOConnection& conn)
{
    TADOQuery q;
    q.Open(conn, QStringLiteral("select SongID,SeqID,SongName,SongNote,OpernLong,OpernHigh,Conn,InfoType,SongDate "
                                "from TableCfg order by SongID,SeqID"), {});
    SongTableType table(size_t(q.RecordCount()));
    size_t i = 0;
    for (q.First(); !q.Eof(); q.Next(), ++i) {
        SongRecord& r = table[i];
        r.SongID = q.FieldAsInteger(QStringLiteral("SongID"));
        r.SeqID = q.FieldAsInteger(QStringLiteral("SeqID"));
        r.SongName = Cut(q.FieldAsString(QStringLiteral("SongName")), 200);
        r.SongNote = Cut(q.FieldAsString(QStringLiteral("SongNote")), 10);
        r.OpernLong = Cut(q.FieldAsString(QStringLiteral("OpernLong")), 10);
        r.OpernHigh = Cut(q.FieldAsString(QStringLiteral("OpernHigh")), 10);
        r.Conn = q.FieldAsInteger(QStringLiteral("Conn"));
        r.InfoType = Cut(q.FieldAsString(QStringLiteral("InfoType")), 1);
        r.SongDate = Cut(q.FieldAsString(QStringLiteral("SongDate")), 10);
    }
    return table;
}
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString password = DeriveDatabasePassword(QByteArray(PasswordSeed));
    const QString pristine = dir.filePath(QStringLiteral("twenty.dat"));
    CreateSongDatabase(pristine, password, TwentySongs());
    const EntryTableType entry = EnteredSong();
    const QDate today(2026, 12, 6);
    YesDialogs dialogs;

    constexpr int runs = 15;
    std::vector<double> save, total, cpu, saveCpu;
    for (int i = 0; i < runs; ++i) {
        // A fresh copy each time, opened before the clock starts: in the program the
        // connection is already open when 提交 is pressed.
        const QString file = dir.filePath(QStringLiteral("run%1.dat").arg(i));
        QFile::copy(pristine, file);
        TADOConnection conn;
        conn.SetTarget(file, password);
        conn.Handle();

        QElapsedTimer t;
        const std::clock_t c0 = std::clock();
        t.start();
        const SaveResult r = SaveNewSong(conn, entry, dialogs, today);
        save.push_back(t.nsecsElapsed() / 1e6);
        saveCpu.push_back(double(std::clock() - c0) * 1000.0 / CLOCKS_PER_SEC);
        const SongTableType table = Reload(conn);
        total.push_back(t.nsecsElapsed() / 1e6);
        cpu.push_back(double(std::clock() - c0) * 1000.0 / CLOCKS_PER_SEC);
        if (!r.saved() || r.songId != 21 || r.rows != 482 || table.size() != 20 * 500 + 482) {
            std::fprintf(stderr, "unexpected result: song %d, %d rows, table %zu\n", r.songId, r.rows, table.size());
            return 1;
        }
        conn.Close();
        QFile::remove(file);
    }
    std::printf("save a 481-cell song into 20 songs x 500 rows, %d runs\n", runs);
    std::printf("  save alone (median): %.2f ms\n", Median(save));
    std::printf("  save + reload of the song table (median): %.2f ms (min %.2f, max %.2f)\n", Median(total),
                *std::min_element(total.begin(), total.end()), *std::max_element(total.begin(), total.end()));
    // On a busy machine the wall time includes waiting for a core and for the disk
    // to confirm the commit; the processor time is what the work itself costs.
    std::printf("  processor time: save %.2f ms, save + reload %.2f ms (medians)\n", Median(saveCpu), Median(cpu));
    return 0;
}
