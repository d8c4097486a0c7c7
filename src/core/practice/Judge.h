#pragma once
// 节奏: each note the player plays is judged against its place on the beat grid, both
// in frames of the output clock: the grid as the demo schedules it, the press at the
// frame heard when its key event arrived.
#include <QString>
#include <cstdint>
#include <deque>
#include <vector>

class Judge {
public:
    static constexpr double ExactSeconds = 0.080;    // "准" within this of the grid
    static constexpr double WindowSeconds = 0.200;   // "早"/"晚" within this; beyond, a miss

    enum class Verdict { None, Exact, Early, Late, Miss };
    struct Result {
        Verdict verdict = Verdict::None;   // None: a stray note near no awaited one
        int event = -1;
        double offsetMs = 0;               // the press less its place; negative is early
    };
    struct Tally {
        int exact = 0, early = 0, late = 0, miss = 0;
        int Total() const { return exact + early + late + miss; }
    };

    // rate: frames per second of the clock both sides use; nothing awaited yet.
    void Start(int rate);
    // The rate once it is known (notes may be awaited before).
    void SetRate(int rate);
    // A note awaited at frame (rests and unsounded notes are never awaited).
    void Expect(int event, const QString& note, std::uint64_t frame);
    // A note played at frame. Of the awaited notes within the window, the nearest of the
    // same pitch is judged; with none of that pitch, the nearest is a miss (a wrong pitch).
    Result Play(const QString& note, std::uint64_t frame);
    // Awaited notes whose window closed before `now` are misses; their events.
    std::vector<int> Expire(std::uint64_t now);
    // Every awaited note, played or not, is judged: the rest are misses.
    void Finish();

    const Tally& Counts() const { return m_tally; }
    void ResetCounts() { m_tally = {}; }
    int Awaited() const { return int(m_waiting.size()); }
    static QString Word(Verdict v);   // "准", "早", "晚", "漏"; "" for None
    // "准 N 个，早 A 个，晚 B 个，漏 M 个"
    static QString Summary(const Tally& t);
    // While 节奏 plays: the last verdict, then the count so far, short enough for one line.
    static QString Running(const Tally& t, Verdict last);

private:
    struct Target {
        int event;
        QString note;
        std::uint64_t frame;
    };
    void Count(Verdict v);

    int m_rate = 0;
    std::uint64_t m_window = 0;   // frames
    std::uint64_t m_exact = 0;
    std::deque<Target> m_waiting;   // in frame order
    Tally m_tally;
};
