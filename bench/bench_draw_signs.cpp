// A page of 105 cells with accidentals (every third note signed) against the same page without,
// drawn into the score view and painted, the two taken in turns in one run.
#include "BenchDialogs.h"
#include "BenchSupport.h"
#include "core/library/Password.h"
#include "core/library/SongLibrary.h"
#include "core/library/SongRows.h"
#include "core/score/Song.h"
#include "ui/panels/ScorePanel.h"
#include "ui/shell/FormPiano.h"
#include "ui/shell/TavoApplication.h"
#include <QDate>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {
Song PageSong(const QString& title, bool signs)
{
    SongTableType rows;
    SongRecord header;
    header.SongID = 1;
    header.SongName = title;
    header.InfoType = QStringLiteral("0");
    header.Conn = 1;
    rows.push_back(header);
    for (int n = 1; n <= 210; ++n)
        rows.push_back(PageRow(n));
    Song song = SongFromRows(rows);
    song.header->title = title;
    int notes = 0;
    for (Cell& c : song.cells)
        if (c.IsNote() && signs && notes++ % 3 == 0)
            c.alter = notes % 2 ? 1 : -1;
    return song;
}
}

int main(int argc, char** argv)
{
    QTemporaryDir tmp;
    qputenv("TMPDIR", tmp.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TavoApplication app(argc, argv);
    BenchDialogs dialogs;
    TFormPiano form(dialogs);

    // Both songs go into a library of their own, the signs beside the table as the program keeps them.
    const QString file = tmp.filePath(QStringLiteral("bench.dat"));
    CreateSongDatabase(file, DeriveDatabasePassword(QByteArray(PasswordSeed)), {});
    SongLibrary& library = form.Library();
    library.ConnectSongDatabase(file);
    int ids[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        const Song song = PageSong(i ? QStringLiteral("升降号") : QStringLiteral("无升降号"), i == 1);
        const std::vector<SongRecord> rows = SongToRows(song, 0, QStringLiteral("20260101"));
        ids[i] = AddSong(library.Connection(), SongTableType(rows.begin(), rows.end()), song.Title(), QDate(2026, 1, 1),
                         SongToMarks(song, 0))
                     .songId;
    }
    BannerLinkList links;
    library.LoadSongTable(links);
    int signed_ = 0;
    for (Accidental a : ShownAccidentals(library.SongOf(ids[1])))
        signed_ += a != Accidental::None;
    std::printf("signs shown in the signed song: %d (marks %d)\n", signed_, int(library.Marks().size()));
    form.GBxShowOpern->show();

    constexpr int rounds = 400;
    std::vector<double> plain, withSigns;
    QPixmap target(form.GBxShowOpern->size());
    QElapsedTimer t;
    for (int warm = 0; warm < 4; ++warm)   // the signed pictures are composed once, then kept
        for (int id : ids)
            form.GBxShowOpern->DrawPage(QString::number(id), warm % 2 ? 1 : 106);
    for (int i = 0; i < 2 * rounds; ++i) {
        const int which = i % 2;
        const int start = (i / 2) % 2 ? 1 : 106;   // alternate pages so every cell changes
        t.start();
        form.GBxShowOpern->DrawPage(QString::number(ids[which]), start);
        form.GBxShowOpern->render(&target);
        (which ? withSigns : plain).push_back(t.nsecsElapsed() / 1e6);
    }
    const double a = Median(plain), b = Median(withSigns);
    std::printf("DrawPage + paint, no signs:           median %.3f ms over %d\n", a, rounds);
    std::printf("DrawPage + paint, every third signed: median %.3f ms over %d\n", b, rounds);
    std::printf("ratio signed / plain: %.3f (goal: at most 1.10)\n", a > 0 ? b / a : 0.0);
    return 0;
}
