// Export and import of a 481-cell song, each from a closed connection so the key
// derivations are counted. Prints medians and the size of the exported file.
#include "BenchDialogs.h"
#include "core/library/Database.h"
#include "core/library/SongRows.h"
#include "BenchSupport.h"
#include "core/library/Exchange.h"
#include "core/library/Password.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {
SongTableType SongRows(int id, int cells, const QString& title)
{
    SongTableType rows;
    for (int seq = 0; seq <= cells; ++seq)
        rows.push_back(SongRecord{id, seq, title, seq ? QString::number(seq % 8) : QStringLiteral("佚名"),
                                  QString::number(seq % 3), QString::number(seq % 3), seq ? seq % 4 : 1,
                                  seq ? QString::number(1 + seq % 2) : QStringLiteral("0"), QStringLiteral("20260101")});
    return rows;
}
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString password = DeriveDatabasePassword(QByteArray(PasswordSeed));
    const QString from = dir.filePath(QStringLiteral("from.dat"));
    const QString into = dir.filePath(QStringLiteral("into.dat"));
    const QString templ = dir.filePath(QStringLiteral("ExpData.dat"));
    const QString desktop = dir.filePath(QStringLiteral("Desktop"));
    SongTableType library = SongRows(1, 481, QStringLiteral("送别 Farewell"));
    const SongTableType other = SongRows(2, 100, QStringLiteral("另一首"));
    library.insert(library.end(), other.begin(), other.end());
    CreateSongDatabase(from, password, library);
    CreateSongDatabase(into, password, other);
    CreateExchangeFile(templ);

    YesDialogs ui;
    constexpr int runs = 15;
    std::vector<double> exportMs, importMs;
    QString file;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        TADOConnection conn;
        conn.SetTarget(from, DeriveDatabasePassword(QByteArray(PasswordSeed)));
        const ShareResult out = ExportSong(conn, 1, QStringLiteral("送别"), templ, desktop, ui);
        exportMs.push_back(t.nsecsElapsed() / 1e6);
        if (!out.done() || out.rows != 482) {
            std::fprintf(stderr, "export failed\n");
            return 1;
        }
        file = out.file;
    }
    ui.file = file;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        TADOConnection conn;
        conn.SetTarget(into, DeriveDatabasePassword(QByteArray(PasswordSeed)));
        const ShareResult in = ImportSongFile(conn, ui, QDate(2026, 1, 1));
        importMs.push_back(t.nsecsElapsed() / 1e6);
        if (!in.done() || in.rows != 482) {
            std::fprintf(stderr, "import failed\n");
            return 1;
        }
        TADOQuery q;
        q.Exec(conn, QStringLiteral("delete from TableCfg where SongID=?"), {in.songId});
    }
    std::printf("export of a 481-cell song: median %.1f ms over %d runs\n", Median(exportMs), runs);
    std::printf("import of a 481-cell song: median %.1f ms over %d runs\n", Median(importMs), runs);
    std::printf("exported file: %lld bytes\n", qlonglong(QFileInfo(file).size()));
    return 0;
}
