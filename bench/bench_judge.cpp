// 节奏's judgement error: synthetic key presses placed at known offsets from their notes on
// the running output clock, each handled after a random delay (a busy window). The judged
// offset, taken from the key event's arrival time, is compared with the placed one; the
// same presses judged at the moment they are handled are the reference.
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
#include <cmath>
#include <cstdio>
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

int main(int argc, char** argv)
{
    QTemporaryDir root;
    qputenv("TMPDIR", root.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    QCoreApplication app(argc, argv);
    const int notes = argc > 1 ? std::clamp(QString::fromLocal8Bit(argv[1]).toInt(), 10, 2000) : 120;

    NotePlayer player;
    PrepareSounds(player, ResolveFolders(FolderOptions{root.path() + QStringLiteral("/")}).TempDir);
    if (player.OutputRate() <= 0) {
        std::printf("no audio output: nothing to measure\n");
        return 1;
    }
    // A note on every beat at 150: 400 ms apart, room for offsets of up to 150 ms either way.
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

    DemoPlayer demo(player);
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
    demo.Start(song, 150, o);
    const int rate = demo.Rate();
    judge.SetRate(rate);

    QRandomGenerator random(17);
    EventAge age;
    std::vector<double> withArrival, atHandling;
    for (int i = 0; i < notes; ++i) {
        while (int(frames.size()) <= i) {
            demo.Tick();
            QThread::usleep(500);
        }
        const double placedMs = random.bounded(-150, 151);
        const std::uint64_t pressAt = std::uint64_t(std::llround(double(frames[size_t(i)]) + placedMs * rate / 1000));
        while (demo.Now() < pressAt) {
            demo.Tick();
            QThread::usleep(200);
        }
        // The press: the event's stamp, and the clock's own offset at that moment.
        const qint64 stamp = EventAge::NowMs();
        const double trueMs = (double(demo.Now()) - double(frames[size_t(i)])) * 1000.0 / rate;
        const int delayMs = i == 0 ? 0 : int(random.bounded(0, 41));
        QThread::msleep(unsigned(delayMs));
        const std::uint64_t now = demo.Now();
        const std::uint64_t back = std::uint64_t(age.Ms(stamp, EventAge::NowMs())) * rate / 1000;
        const Judge::Result r = judge.Play(QStringLiteral("c1"), now - back);
        withArrival.push_back(r.offsetMs - trueMs);
        atHandling.push_back((double(now) - double(frames[size_t(i)])) * 1000.0 / rate - trueMs);
        demo.Tick();
    }
    demo.Stop();
    std::printf("%d presses at offsets of -150..150 ms, handled 0..40 ms late, output at %d Hz\n", notes, rate);
    Report("judged from the key event's arrival", withArrival);
    Report("judged when handled (reference)", atHandling);
    const Judge::Tally& t = judge.Counts();
    std::printf("verdicts: 准 %d, 早 %d, 晚 %d, 漏 %d\n", t.exact, t.early, t.late, t.miss);
    return 0;
}
