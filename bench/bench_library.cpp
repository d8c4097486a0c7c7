// Opening and loading a full library (21 songs of 500 rows) as the start-up does:
// password derivation, keyed open and the whole song table. Prints medians.
#include "BenchSupport.h"
#include "core/library/Database.h"
#include "core/library/SongRows.h"
#include "core/library/Password.h"
#include "core/library/SongLibrary.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {
SongTableType FullLibrary()
{
    SongTableType rows = SyntheticSongs(21);
    // Stored in reverse, so the load has to sort.
    std::reverse(rows.begin(), rows.end());
    return rows;
}
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("dat"));
    const QString file = dir.path() + QStringLiteral("/dat/Opern.dat");
    CreateSongDatabase(file, DeriveDatabasePassword(QByteArray(PasswordSeed)), FullLibrary());

    SongLibrary library;
    BannerLinkList links{};
    constexpr int runs = 21;
    std::vector<double> total, open, cpu;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        const std::clock_t c0 = std::clock();
        t.start();
        library.ConnectSongDatabase(file);
        library.Connection().Handle();
        open.push_back(t.nsecsElapsed() / 1e6);
        library.LoadSongTable(links);
        total.push_back(t.nsecsElapsed() / 1e6);
        cpu.push_back(double(std::clock() - c0) * 1000.0 / CLOCKS_PER_SEC);
        const SongTableType& table = library.Table();
        if (table.size() != 21 * 500 || table.front().SeqID != 0 || table.back().SongID != 21) {
            std::fprintf(stderr, "unexpected song table\n");
            return 1;
        }
    }
    // The select alone, on an open connection.
    std::vector<double> select;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        library.OpenQuery(QStringLiteral("select SongID,SeqID,SongName,SongNote,OpernLong,OpernHigh,Conn,InfoType,SongDate "
                                      "from TableCfg order by SongID,SeqID"));
        select.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("library: 21 songs x 500 rows, kdf_iter %d, %d runs\n", DatabaseKdfIter, runs);
    std::printf("  connect + keyed open (median): %.2f ms\n", Median(open));
    std::printf("  connect + open + load (median): %.2f ms (min %.2f, max %.2f)\n", Median(total),
                *std::min_element(total.begin(), total.end()), *std::max_element(total.begin(), total.end()));
    std::printf("  the select alone, connection open (median): %.2f ms\n", Median(select));
    // On a busy machine the wall time includes waiting for a core; the processor
    // time is what the work itself costs.
    std::printf("  processor time of the same (median): %.2f ms\n", Median(cpu));
    return 0;
}
