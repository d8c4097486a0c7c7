// 节奏's judgement error: synthetic key presses placed at known offsets from their notes,
// each handled after a random delay (a busy window), judged from the key event's arrival.
// On a synthetic output clock the truth is exact: once read straight, once read lagging as
// a clock estimated from late callbacks does. The real output follows, for reference.
#include "BenchSupport.h"
#include "core/platform/Folders.h"
#include "core/practice/DemoPlayer.h"
#include "core/practice/EventAge.h"
#include "core/practice/Judge.h"
#include <QCoreApplication>
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
void Report(const char* what, std::vector<double> err)
{
    for (double& e : err)
        e = std::fabs(e);
    std::sort(err.begin(), err.end());
    auto at = [&](double q) { return err[std::min(err.size() - 1, size_t(q * double(err.size())))]; };
    std::printf("%-44s n=%zu  |error| median %6.2f ms  p99 %6.2f ms  max %6.2f ms\n", what, err.size(), at(0.5),
                at(0.99), err.back());
}
} // namespace

namespace {
double SteadyNs()
{
    return double(std::chrono::duration_cast<std::chrono::nanoseconds>(
                      std::chrono::steady_clock::now().time_since_epoch()).count());
}

// An output clock at exactly 48 kHz of the steady clock whose reading lags the true frame
// by 0..lagMs, drawn afresh every 10 ms, as a clock estimated from late callbacks does.
struct SyntheticOutput final : INoteScheduler {
    explicit SyntheticOutput(int lagMs) : lagFrames(lagMs * 48) {}
    double start = SteadyNs();
    int lagFrames;
    QRandomGenerator random{5};
    double lagUntil = 0, lag = 0;
    double True(double ns) const { return (ns - start) * 48000 / 1e9; }
    int OutputRate() override { return 48000; }
    std::uint64_t OutputFrame() override
    {
        const double ns = SteadyNs();
        if (ns >= lagUntil) {
            lag = lagFrames ? random.bounded(lagFrames) : 0;
            lagUntil = ns + 10e6;
        }
        return std::uint64_t(std::max(0.0, True(ns) - lag));
    }
    void ScheduleNote(const QString&, std::uint64_t) override {}
    void ScheduleClick(std::uint64_t, bool) override {}
    void CancelScheduled() override {}
};

// Presses at -150..150 ms of each note, handled 0..40 ms late; truth(ns) is the true frame.
void Measure(const char* what, INoteScheduler& output, const std::function<double(double)>& truth, int notes)
{
    Timeline song;
    for (int i = 0; i < notes; ++i) {
        TimelineEvent e;
        e.cell = e.lastCell = i + 1;
        e.degree = 1;
        e.note = QStringLiteral("c1");
        e.start = i;
        e.length = 1;
        song.events.push_back(e);
    }
    song.beats = notes;
    DemoPlayer demo(output);
    Judge judge;
    std::vector<std::uint64_t> frames;
    demo.OnScheduled = [&](int event, std::uint64_t frame) {
        judge.Expect(event, QStringLiteral("c1"), frame);
        frames.push_back(frame);
    };
    DemoPlayer::Options o;
    o.notes = false;
    o.countIn = 4;
    judge.Start(0);
    demo.Start(song, 150, o);   // 400 ms a note
    const int rate = demo.Rate();
    judge.SetRate(rate);
    QRandomGenerator random(17);
    EventAge age;
    std::vector<double> smooth, raw;
    for (int i = 0; i < notes; ++i) {
        while (int(frames.size()) <= i) {
            demo.Tick();
            QThread::usleep(500);
        }
        const double f = double(frames[size_t(i)]);
        const double pressAt = f + double(random.bounded(-150, 151)) * rate / 1000;
        while (truth(SteadyNs()) < pressAt) {
            demo.Tick();
            QThread::usleep(200);
        }
        const double trueMs = (truth(SteadyNs()) - f) * 1000.0 / rate;
        const qint64 stamp = EventAge::NowMs();
        QThread::msleep(unsigned(i == 0 ? 0 : random.bounded(0, 41)));
        const qint64 ageMs = age.Ms(stamp, EventAge::NowMs());
        raw.push_back((double(demo.Now()) - double(ageMs) * rate / 1000 - f) * 1000.0 / rate - trueMs);
        smooth.push_back(judge.Play(QStringLiteral("c1"), demo.SmoothFrame(ageMs)).offsetMs - trueMs);
        demo.Tick();
    }
    demo.Stop();
    std::printf("%s\n", what);
    Report("  arrival on the smoothed clock (节奏)", smooth);
    Report("  arrival on the raw clock (reference)", raw);
}
} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir root;
    qputenv("TMPDIR", root.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    QCoreApplication app(argc, argv);
    const int notes = argc > 1 ? std::clamp(QString::fromLocal8Bit(argv[1]).toInt(), 10, 2000) : 100;
    std::printf("%d presses at -150..150 ms of their notes, each handled 0..40 ms late\n", notes);

    SyntheticOutput exact(0);
    Measure("exact 48 kHz clock", exact, [&](double ns) { return exact.True(ns); }, notes);
    SyntheticOutput lagging(10);
    Measure("48 kHz clock read 0..10 ms behind", lagging, [&](double ns) { return lagging.True(ns); }, notes);

    // The real output (SDL's driver as set): its own reading stands for the truth.
    NotePlayer player;
    PrepareSounds(player, ResolveFolders(AppFolderOptions(root.path() + QStringLiteral("/"))).TempDir);
    if (player.OutputRate() > 0)
        Measure("the audio output, its own clock as truth", player, [&](double) { return double(player.OutputFrame()); },
                notes);
    return 0;
}
