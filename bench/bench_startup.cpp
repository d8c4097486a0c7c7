// Start-up cost: a whole process run to the end of the start-up sequence, against a
// process that only shows an empty Qt window of the same size. Reported as a ratio.
//   bench_startup            runs both kinds of child several times, alternating,
//                            then one start-up timed step by step
#include "BenchDialogs.h"
#include "core/Errors.h"
#include "core/platform/Folders.h"
#include "core/score/SongRecord.h"
#include "core/sound/SoundFiles.h"
#include "core/sound/Voices.h"
#include "ui/panels/EntryPanel.h"
#include "ui/shell/FormPiano.h"
#include "ui/shell/Program.h"
#include "ui/shell/TavoApplication.h"
#include "ui/widgets/BannerView.h"
#include "ui/widgets/ScoreGrid.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

static int RunEmpty(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget w(nullptr, Qt::Window | Qt::FramelessWindowHint);
    w.setFixedSize(670, 650);
    w.show();
    QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
    return app.exec();
}

static int RunPiano(int argc, char** argv, const QString& appDir)
{
    TavoApplication app(argc, argv);
    BenchDialogs dialogs;
    // As the program starts: the instance guard, then the window.
    PianoStart piano = StartPiano(dialogs, FolderOptions{appDir});
    if (!piano.window)
        return 3;
    TFormPiano& main = *piano.window;
    main.show();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (main.StartupDone())
            QCoreApplication::exit(0);
    });
    poll.start(0);
    QTimer::singleShot(30000, &app, [] { QCoreApplication::exit(4); });
    return app.exec();
}

// Where the time goes: the same steps as the start-up sequence, one by one.
static int RunBreakdown(int argc, char** argv, const QString& appDir)
{
    QElapsedTimer t;
    t.start();
    auto lap = [&](const char* what) {
        std::printf("  %-28s %7.1f ms\n", what, t.nsecsElapsed() / 1e6);
        t.restart();
    };
    TavoApplication app(argc, argv);
    lap("application");
    BenchDialogs dialogs;
    TFormPiano main(dialogs, FolderOptions{appDir});
    lap("both windows built");
    main.show();
    QCoreApplication::processEvents();
    lap(main.StartupDone() ? "shown, start-up sequence run" : "shown");
    // The sequence's steps once more, each on its own.
    const Folders folders = ResolveFolders(FolderOptions{appDir});
    VoiceBank voices;
    voices.Fill();
    main.Player().SetSounds(folders.TempDir, voices.Current);
    main.GBxOpernWrite->ResetEntry();
    lap("paths, voices, entry state");
    PreloadGlyphs();
    main.ClearGrids(1, Score::CellsPerPage);
    lap("glyphs, grids");
    BannerLinkList links{};
    main.Library().ConnectSongDatabase(folders.LibraryFile);
    main.Library().LoadSongTable(links);
    lap("song database");
    main.MySWF->ResetBackground();
    ExtractSounds(voices.SoundNames, folders.TempDir);
    lap("banner, sound files");
    return 0;
}

int main(int argc, char** argv)
{
    if (argc >= 3 && QByteArray(argv[1]) == "breakdown")
        return RunBreakdown(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (argc >= 2 && QByteArray(argv[1]) == "empty")
        return RunEmpty(argc, argv);
    if (argc >= 3 && QByteArray(argv[1]) == "piano")
        return RunPiano(argc, argv, QString::fromLocal8Bit(argv[2]));

    QCoreApplication app(argc, argv);
    QTemporaryDir root;
    const QString appDir = root.path() + QStringLiteral("/app/");
    QDir().mkpath(appDir + QStringLiteral("dat"));
    QDir().mkpath(root.path() + QStringLiteral("/home"));
    QDir().mkpath(root.path() + QStringLiteral("/tmp"));
    const QString db = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/dat/Opern.dat");
    if (!QFile::copy(db, appDir + QStringLiteral("dat/Opern.dat"))) {
        std::fprintf(stderr, "bench_startup: no song database at %s (build the project first)\n", qPrintable(db));
        return 1;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), root.path() + QStringLiteral("/home"));
    env.insert(QStringLiteral("TMPDIR"), root.path() + QStringLiteral("/tmp"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root.path() + QStringLiteral("/config"));   // the settings files
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (!env.contains(QStringLiteral("SDL_AUDIODRIVER")))
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));

    auto runOnce = [&](const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer t;
        t.start();
        p.start(QCoreApplication::applicationFilePath(), args);
        p.waitForFinished(60000);
        const double ms = t.nsecsElapsed() / 1e6;
        if (p.exitCode() != 0)
            std::fprintf(stderr, "child %s ended with %d\n", qPrintable(args.join(' ')), p.exitCode());
        return ms;
    };
    const int rounds = 7;
    std::vector<double> empty, piano, ratio;
    runOnce({QStringLiteral("empty")});   // warm the caches once
    for (int i = 0; i < rounds; ++i) {
        empty.push_back(runOnce({QStringLiteral("empty")}));
        piano.push_back(runOnce({QStringLiteral("piano"), appDir}));
        ratio.push_back(piano.back() / empty.back());
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("empty window: median %.1f ms\npiano start-up: median %.1f ms\nratio (median of %d paired runs): %.2f\n",
                median(empty), median(piano), rounds, median(ratio));
    std::fflush(stdout);   // before the breakdown child writes to the same output
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("breakdown"), appDir});
    p.waitForFinished(60000);
    return 0;
}
