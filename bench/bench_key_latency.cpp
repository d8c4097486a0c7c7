// Key-to-note latency: from the delivery of a key press (or of the mouse release that
// clicks a key) to the note's voice being live: the event handler has returned, the
// player has taken its sound and handed it to the mixer (its PlayCount moved).
// Paired in the same run: a note that reads and decodes its file at every press, as the
// players did before they took their sounds from memory.
// The audio device's output buffer comes on top and is printed for reference.
#include "BenchDialogs.h"
#include "core/platform/Folders.h"
#include "BenchSupport.h"
#include "core/sound/AudioOutput.h"
#include "core/sound/MediaPlayer.h"
#include "core/sound/Mixer.h"
#include "core/sound/NotePlayer.h"
#include "core/sound/SoundFiles.h"
#include "core/sound/Voices.h"
#include "core/formats/JianpuText.h"
#include "ui/keys/MainKeys.h"
#include "ui/panels/PracticeBar.h"
#include "ui/panels/ScorePanel.h"
#include "ui/keys/WideKeyboard.h"
#include "ui/shell/FormPiano.h"
#include "ui/shell/TavoApplication.h"
#include "ui/widgets/ImageButton.h"
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

int Plays(const NotePlayer& kb)
{
    return kb.Player(1)->PlayCount() + kb.Player(2)->PlayCount() + kb.Player(3)->PlayCount();
}

// Times `press` n times (`after` runs untimed between presses); each press must start one note.
bool Run(const char* what, int n, NotePlayer& kb, const std::function<void()>& press,
         const std::function<void()>& after, const std::function<int()>& count = {})
{
    auto Plays = [&](const NotePlayer& p) { return count ? count() : ::Plays(p); };
    std::vector<double> us, cpu;
    us.reserve(size_t(n));
    cpu.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const int before = Plays(kb);
        const std::clock_t c0 = std::clock();
        const auto t0 = Clock::now();
        press();
        const bool live = Plays(kb) == before + 1;
        const auto t1 = Clock::now();
        const std::clock_t c1 = std::clock();
        if (!live) {
            std::printf("%s: press %d started no note\n", what, i);
            return false;
        }
        us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        cpu.push_back(1e6 * double(c1 - c0) / CLOCKS_PER_SEC);
        after();
        if (i % 32 == 0)
            kb.Audio().GetMixer().Collect();
    }
    std::sort(us.begin(), us.end());
    std::sort(cpu.begin(), cpu.end());
    auto at = [](const std::vector<double>& v, double q) { return v[std::min(v.size() - 1, size_t(q * double(v.size())))]; };
    // Wall time includes whatever else the machine runs; process CPU time shows the work itself.
    std::printf("%-28s n=%d  wall: median %7.1f us  p99 %8.1f us  max %8.1f us | cpu: median %6.1f us  p99 %7.1f us\n",
                what, n, at(us, 0.5), at(us, 0.99), us.back(), at(cpu, 0.5), at(cpu, 0.99));
    return true;
}
}

int main(int argc, char** argv)
{
    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("home"));
    QDir(root.path()).mkpath(QStringLiteral("tmp"));
    qputenv("HOME", (root.path() + QStringLiteral("/home")).toLocal8Bit());
    qputenv("TMPDIR", (root.path() + QStringLiteral("/tmp")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    TavoApplication app(argc, argv);
    BenchDialogs dialogs;
    const QString appDir = root.path() + QStringLiteral("/");
    TFormPiano main(dialogs, AppFolderOptions(appDir));
    NotePlayer& player = main.Player();
    // The sound files and the voice as the start-up sequence sets them (without the song database).
    const Folders folders = ResolveFolders(AppFolderOptions(appDir));
    PrepareSounds(player, folders.TempDir);

    const int n = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 1000;
    bool ok = true;

    // Warm-up: open the audio device and touch every note file once.
    for (int i = 0; i < 30; ++i)
        player.PressNote(QStringLiteral("c1"));   // PC key H

    ok &= Run("PC key H (main window)", n, player,
              [&] {
                  QKeyEvent e(QEvent::KeyPress, Qt::Key_H, Qt::NoModifier, QStringLiteral("h"));
                  QApplication::sendEvent(&main, &e);
              },
              [&] {
                  QKeyEvent e(QEvent::KeyRelease, Qt::Key_H, Qt::NoModifier, QStringLiteral("h"));
                  QApplication::sendEvent(&main, &e);
              });

    main.ImgSetBoardClick();   // the second keyboard takes the PC keys
    if (main.KeyboardRoute() != 1) {
        std::printf("the second keyboard did not take the keys\n");
        return 1;
    }
    ok &= Run("PC key A (second keyboard)", n, player,
              [&] {
                  QKeyEvent e(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
                  QApplication::sendEvent(&main, &e);
              },
              [&] {
                  QKeyEvent e(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
                  QApplication::sendEvent(&main, &e);
              });
    main.ImgSetBoardClick();   // and gives them back

    ok &= Run("PlayNote alone (reference)", n, player, [&] { player.PlayNote(QStringLiteral("c1"), player.Voice()); }, [] {});
    // As before the cache: open, read and decode the file, then start it on a voice.
    int fileNotes = 0;
    QByteArray fileBytes;
    const QString c1File = folders.TempDir + player.Voice()[size_t(NoteSlot(QStringLiteral("c1")))] + QStringLiteral(".dat");
    ok &= Run("file read per note (before)", n, player,
              [&] {
                  QFile f(c1File);
                  if (!f.open(QIODevice::ReadOnly))
                      return;
                  fileBytes.resize(f.size());
                  if (f.read(fileBytes.data(), fileBytes.size()) != fileBytes.size())
                      return;
                  QString why;
                  if (auto sound = SoundData::FromWave(fileBytes.constData(), fileBytes.size(), &why)) {
                      player.Audio().GetMixer().Start(0, std::move(sound));
                      ++fileNotes;
                  }
              },
              [] {}, [&] { return fileNotes; });
    ok &= Run("PlayNote from memory (after)", n, player, [&] { player.PlayNote(QStringLiteral("c1"), player.Voice()); }, [] {});

    TImageButton* key = main.Keys->Key(QStringLiteral("c1"));
    const QPointF at(30, 200);
    auto mouse = [&](QEvent::Type type, Qt::MouseButtons held) {
        QMouseEvent e(type, at, key->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(key, &e);
    };
    mouse(QEvent::MouseButtonPress, Qt::LeftButton);
    ok &= Run("mouse click on Img_c1", n, player, [&] { mouse(QEvent::MouseButtonRelease, Qt::NoButton); },
              [&] { mouse(QEvent::MouseButtonPress, Qt::LeftButton); });
    mouse(QEvent::MouseButtonRelease, Qt::NoButton);

    // The same key with nothing, 跟弹 and 节奏 running on a looping passage (so neither ends),
    // the event loop turning between presses in every case.
    ScorePanel& score = *main.GBxShowOpern;
    PracticeBar& bar = *score.Practice;
    main.Library().Table() = ParseSongText(QStringLiteral("title: t\ntime: 4/4\n1 5 3 1 | 5 1 1 2 |\n"),
                                           QStringLiteral("20260101")).at(0).Rows();
    score.DrawPage(QStringLiteral("1"), 1);
    bar.CellClicked(1, false);
    bar.CellClicked(9, true);
    auto keyH = [&](QEvent::Type type) {
        QKeyEvent e(type, Qt::Key_H, Qt::NoModifier, QStringLiteral("h"));
        QApplication::sendEvent(&main, &e);
    };
    auto release = [&] {
        keyH(QEvent::KeyRelease);
        QCoreApplication::processEvents();
    };
    for (int round = 0; round < 2; ++round) {
        bar.Stop();
        ok &= Run("PC key H, no mode running", n, player, [&] { keyH(QEvent::KeyPress); }, release);
        bar.ImgFollowClick();
        ok &= bar.Running() == PracticeBar::Mode::Follow;
        ok &= Run("PC key H, 跟弹 running", n, player, [&] { keyH(QEvent::KeyPress); }, release);
        bar.Stop();
        bar.ImgRhythmClick();
        ok &= bar.Running() == PracticeBar::Mode::Rhythm;
        ok &= Run("PC key H, 节奏 running", n, player, [&] { keyH(QEvent::KeyPress); }, release);
    }
    bar.Stop();

    if (player.Audio().IsOpen() && player.Audio().DeviceRate() > 0) {
        const int frames = player.Audio().DeviceFrames();
        const int rate = player.Audio().DeviceRate();
        std::printf("audio device: %d frames per callback at %d Hz: up to %.2f ms more before the note is heard\n",
                    frames, rate, 1000.0 * frames / rate);
    } else {
        std::printf("audio device not open: the output buffer (256 frames at 48 kHz) would add up to %.2f ms\n",
                    1000.0 * 256 / 48000);
    }
    return ok ? 0 : 1;
}
