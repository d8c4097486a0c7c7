// The demo's timing: 欢乐颂 at ♩=120 played through SDL's disk audio driver, the note onsets
// found in the captured output and set against the beat grid; and how soon after each onset
// a UI tick sees the new note. A second pass stalls the "UI" for 180 ms every second.
#include "core/library/SongLibrary.h"
#include "BenchSupport.h"
#include "core/platform/Platform.h"
#include "core/practice/DemoPlayer.h"
#include "core/score/Timeline.h"
#include "core/sound/Mixer.h"
#include "core/sound/NotePlayer.h"
#include "core/sound/SoundFiles.h"
#include "core/sound/Voices.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <thread>
#include <vector>

namespace {

constexpr int Tempo = 120;
constexpr double AttackMs = 20;    // length of the attack matched against the capture
constexpr double SearchMs = 100;   // onsets are looked for this far either side of the grid

struct Stats {
    double median = 0, p99 = 0, max = 0;
};

Stats Summarise(std::vector<double> v)
{
    Stats s;
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    s.median = v[v.size() / 2];
    s.p99 = v[std::min(v.size() - 1, size_t(std::ceil(v.size() * 0.99)) - 1)];
    s.max = v.back();
    return s;
}

// What the mixer makes of the note alone: its first frames at the output rate.
std::vector<float> Attack(const QString& file, int rate, int frames)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    auto sound = SoundData::FromWave(bytes.constData(), bytes.size(), nullptr);
    if (!sound)
        return {};
    Mixer m;
    m.Start(0, sound);
    std::vector<float> out(static_cast<size_t>(frames));
    m.Render(out.data(), frames, rate);
    return out;
}

// The first difference: it lifts the hammer's noise over the periodic string tone, so that
// the match cannot slip by whole periods of the tone.
std::vector<float> Difference(const std::vector<float>& x)
{
    std::vector<float> d(x.size());
    for (size_t i = 1; i < x.size(); ++i)
        d[i] = x[i] - x[i - 1];
    return d;
}

// The frame in [from, to) where the capture best matches the attack (normalised correlation).
long BestMatch(const std::vector<float>& x, const std::vector<float>& attack, long from, long to)
{
    const long n = long(attack.size());
    double attackEnergy = 0;
    for (float a : attack)
        attackEnergy += double(a) * a;
    long best = -1;
    double bestScore = -2;
    for (long at = std::max(0L, from); at < to && at + n <= long(x.size()); ++at) {
        double dot = 0, energy = 0;
        for (long i = 0; i < n; ++i) {
            dot += double(x[size_t(at + i)]) * attack[size_t(i)];
            energy += double(x[size_t(at + i)]) * x[size_t(at + i)];
        }
        const double score = energy > 0 ? dot / std::sqrt(energy * attackEnergy) : -1;
        if (score > bestScore) {
            bestScore = score;
            best = at;
        }
    }
    return best;
}

struct Run {
    std::vector<std::uint64_t> scheduled;   // frames the demo gave the sounded notes
    std::vector<QString> notes;
    std::vector<double> highlightLagMs;     // onset to the first tick that reports the note
};

Run Play(NotePlayer& player, const Timeline& song, bool stalls)
{
    DemoPlayer demo(player);
    demo.Start(song, Tempo);
    Run run;
    int shown = -1;
    const auto begin = std::chrono::steady_clock::now();
    auto lastStall = begin;
    while (demo.Running()) {
        const DemoPlayer::Position p = demo.Tick();
        if (p.event > shown) {
            for (int e = shown + 1; e <= p.event; ++e)
                if (!stalls && song.events[size_t(e)].IsSounded())
                    run.highlightLagMs.push_back(1000.0 * double(demo.Now() - demo.FrameOfEvent(e)) / demo.Rate());
            shown = p.event;
        }
        const auto now = std::chrono::steady_clock::now();
        if (stalls && now - lastStall > std::chrono::seconds(1)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(180));   // a busy window
            lastStall = std::chrono::steady_clock::now();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(8));      // the UI timer
    }
    for (size_t e = 0; e < song.events.size(); ++e)
        if (song.events[e].IsSounded()) {
            run.scheduled.push_back(demo.FrameOfEvent(int(e)));
            run.notes.push_back(song.events[e].note);
        }
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir tmp;
    const QString capture = tmp.path() + QStringLiteral("/capture.raw");
    qputenv("TMPDIR", tmp.path().toLocal8Bit());
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(capture));
    QCoreApplication app(argc, argv);

    const QString db = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/dat/Opern.dat");
    const QString dbCopy = tmp.path() + QStringLiteral("/Opern.dat");
    if (!QFile::copy(db, dbCopy)) {
        std::fprintf(stderr, "bench_demo_onsets: no song database at %s (build the project first)\n", qPrintable(db));
        return 1;
    }
    SongLibrary library;
    BannerLinkList links{};
    library.ConnectSongDatabase(dbCopy);
    library.LoadSongTable(links);
    int songID = 0;
    for (const SongRecord& r : library.Table())
        if (IsHeaderRow(r) && r.SongName == QStringLiteral("欢乐颂"))
            songID = r.SongID;
    const Timeline song = BuildTimeline(SongFromTable(library.Table(), songID), Sounding::InC);
    if (song.events.empty()) {
        std::fprintf(stderr, "bench_demo_onsets: 欢乐颂 is not in the starter library\n");
        return 1;
    }

    NotePlayer player;
    PrepareSounds(player, Platform::UserTempDir());
    if (player.OutputRate() <= 0 || !player.Audio().IsOpen()) {
        std::fprintf(stderr, "bench_demo_onsets: the disk audio driver did not open\n");
        return 1;
    }
    const int rate = player.Audio().DeviceRate();
    const int period = player.Audio().DeviceFrames();

    const Run steady = Play(player, song, false);
    const Run busy = Play(player, song, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::uint64_t late = player.Audio().GetMixer().LateStarts();
    player.Audio().Shutdown();   // the driver writes its last period

    // The capture: float stereo at the device rate, from the mixer's frame 0.
    QFile f(capture);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "bench_demo_onsets: nothing captured\n");
        return 1;
    }
    const QByteArray raw = f.readAll();
    std::vector<float> x(size_t(raw.size()) / 8);
    const float* frames = reinterpret_cast<const float*>(raw.constData());
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = frames[2 * i];
    x = Difference(x);

    const int attackFrames = int(AttackMs * rate / 1000);
    const long search = long(SearchMs * rate / 1000);
    std::map<QString, std::vector<float>> attacks;
    const double framesPerBeat = 60.0 * rate / Tempo;
    auto measure = [&](const Run& run, const char* what) {
        std::vector<long> onsets;
        for (size_t i = 0; i < run.scheduled.size(); ++i) {
            auto& a = attacks[run.notes[i]];
            if (a.empty())
                a = Difference(Attack(player.TempDir() + player.Voice()[size_t(NoteSlot(run.notes[i]))] + QStringLiteral(".dat"),
                                      rate, attackFrames));
            const long guess = long(run.scheduled[i]);
            onsets.push_back(BestMatch(x, a, guess - search, guess + search));
        }
        // The grid starts at the first onset found; each note's place is its beat on it.
        std::vector<double> offMs;
        size_t k = 0;
        for (size_t e = 0; e < song.events.size(); ++e) {
            if (!song.events[e].IsSounded())
                continue;
            const double place = double(onsets[0]) + song.events[e].start * framesPerBeat;
            offMs.push_back(1000.0 * std::abs(double(onsets[k]) - place) / rate);
            if (offMs.back() > 1.0)
                std::printf("  note %zu (%s, beat %g): found %ld, scheduled %llu, grid %.1f\n", k, qPrintable(run.notes[k]),
                            song.events[e].start, onsets[k], (unsigned long long)run.scheduled[k], place);
            ++k;
        }
        const Stats s = Summarise(offMs);
        std::printf("%s: %zu onsets, distance from the beat grid: median %.3f ms, p99 %.3f ms, max %.3f ms\n", what,
                    onsets.size(), s.median, s.p99, s.max);
        return s.max;
    };

    std::printf("欢乐颂 at ♩=%d through the disk driver, %d Hz, %d frames a period, %zu events (%d unsounded)\n",
                Tempo, rate, period, song.events.size(), song.unsounded);
    const double worstSteady = measure(steady, "UI ticking every 8 ms");
    const double worstBusy = measure(busy, "UI stalled 180 ms every second");
    const Stats lag = Summarise(steady.highlightLagMs);
    std::printf("highlight after the onset (8 ms UI tick, on the output clock): median %.2f ms, p99 %.2f ms, max %.2f ms\n",
                lag.median, lag.p99, lag.max);
    std::printf("late starts in the mixer: %llu\n", static_cast<unsigned long long>(late));
    std::printf("goal: every onset within 1 ms of the grid: %s; highlight within 16 ms: %s\n",
                worstSteady <= 1.0 && worstBusy <= 1.0 ? "met" : "NOT met", lag.max <= 16.0 ? "met" : "NOT met");
    return 0;
}
