// Saving a 481-cell song into a library that already holds 20 songs of 500 rows, then
// reading the whole song table back as the reload after a save does. Prints medians.
// The last figure is the program's own path: 提交 on the entry panel, with the shell
// reloading the song table and refreshing the open menu.
#include "BenchDialogs.h"
#include "BenchSupport.h"
#include "core/Dialogs.h"
#include "core/library/Database.h"
#include "core/library/SongRows.h"
#include "core/library/Password.h"
#include "core/library/SongSave.h"
#include "ui/panels/EntryPanel.h"
#include "ui/shell/FormPiano.h"
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

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

// The panel's 提交 with the editor holding 481 cells, timed from the click to the
// refreshed menu; the library copy is fresh for every run.
std::vector<double> ThroughThePanel(const QString& pristine, const QDir& dir, int runs)
{
    YesDialogs dialogs;
    TFormPiano main(dialogs, AppFolderOptions(dir.path() + QStringLiteral("/app/")));
    EntryPanel& panel = *main.GBxOpernWrite;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const QString file = dir.filePath(QStringLiteral("panel%1.dat").arg(i));
        QFile::copy(pristine, file);
        main.Library().ConnectSongDatabase(file);
        main.ReloadLibrary();
        main.ImgOpernShowClick();   // the menu is open, so the reload refreshes it
        main.ImgOpernWriteClick();
        panel.EdSongName->setText(QStringLiteral("新录入的歌曲"));
        panel.ImgNextOperClick();
        for (int c = 1; c <= 481; ++c) {
            if (c > 1)
                panel.ImgNextOperClick();
            if (c % 5 == 0)
                panel.ImgSymbol_2Click();
            else
                (c % 2 ? panel.LabOpren_5Click() : panel.LabOpren_3Click());
        }
        if (panel.Editor().CursorIndex() != 481)
            return {};
        QElapsedTimer t;
        t.start();
        panel.ImgOperInsDBClick();
        times.push_back(t.nsecsElapsed() / 1e6);
        if (panel.Editor().Started() || main.Library().Table().size() != 20 * 500 + 482)
            return {};
        main.Library().Connection().Close();
        QFile::remove(file);
    }
    return times;
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    // The single-instance lock of the window lives under TMPDIR: keep it away from a running piano.
    qputenv("TMPDIR", dir.path().toLocal8Bit());
    QApplication app(argc, argv);
    const QString password = DeriveDatabasePassword(QByteArray(PasswordSeed));
    const QString pristine = dir.filePath(QStringLiteral("twenty.dat"));
    CreateSongDatabase(pristine, password, SyntheticSongs(20));
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

    const std::vector<double> panel = ThroughThePanel(pristine, QDir(dir.path()), runs);
    if (panel.empty()) {
        std::fprintf(stderr, "the panel's save did not go as expected\n");
        return 1;
    }
    std::printf("  提交 on the panel, with ReloadLibrary and the menu (median): %.2f ms (min %.2f, max %.2f)\n",
                Median(panel), *std::min_element(panel.begin(), panel.end()),
                *std::max_element(panel.begin(), panel.end()));
    return 0;
}
