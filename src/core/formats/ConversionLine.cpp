#include "core/formats/ConversionLine.h"
#include <algorithm>
#include <cstdlib>

namespace ConversionDetail {

namespace {

bool Near(long long a, long long b, long long slack) { return std::llabs(a - b) <= slack; }

// A very short note just before a longer one that then starts off the grid of sixteenths
// (or, played by hand, under 60 ms) is an ornament: the main note takes its time.
void DropGraces(std::vector<Timed>& line, const Melody& m, Counts& counts)
{
    const long long tpq = std::max(1, m.ticksPerQuarter), slack = GridSlack(tpq);
    const long long shortest = m.played ? MidiTicks(m, 60) : tpq / 8 + slack;
    std::vector<Timed> out;
    for (size_t i = 0; i < line.size(); ++i) {
        const Timed& n = line[i];
        if (i + 1 < line.size()) {
            const Timed& next = line[i + 1];
            const long long len = n.end - n.start;
            const long long offSixteenth = Mod(next.start, std::max(1LL, tpq / 4));
            const bool offGrid = std::min(offSixteenth, tpq / 4 - offSixteenth) > slack;
            if (len <= shortest && next.start - n.end <= slack && next.end - next.start >= 2 * len &&
                (m.played || offGrid)) {
                line[i + 1].start = n.start;
                ++counts.graces;
                continue;
            }
        }
        out.push_back(n);
    }
    line = std::move(out);
}

// Pairs of a beat cut 2:1 through the tune are swing: written as even eighths.
void Unswing(std::vector<Timed>& line, long long tpq, Counts& counts)
{
    const long long slack = GridSlack(tpq);
    int swung = 0, even = 0;
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        const long long beat = (line[i].start + slack) / tpq * tpq;
        if (!Near(line[i].start, beat, slack))
            continue;
        swung += Near(line[i + 1].start, beat + 2 * tpq / 3, slack) && line[i + 1].end <= beat + tpq + slack;
        even += Near(line[i + 1].start, beat + tpq / 2, slack);
    }
    if (swung < 4 || swung < 3 * even)
        return;
    counts.swing = true;
    const auto even8 = [tpq](long long t) {
        const long long beat = t / tpq * tpq, x = t - beat;
        return beat + (3 * x <= 2 * tpq ? x * 3 / 4 : tpq / 2 + (x - 2 * tpq / 3) * 3 / 2);
    };
    for (Timed& n : line) {
        n.start = even8(n.start);
        n.end = std::max(n.start + 1, even8(n.end));
    }
}

class Quantiser {
public:
    Quantiser(long long tpq, bool played) : m_tpq(std::max(1LL, tpq)), m_played(played), m_slack(GridSlack(m_tpq)) {}

    // Units of a tick; a position off the written grid goes to the nearest sixteenth.
    long long Units(long long tick, bool& off) const
    {
        if (!m_played) {
            const long long u = (tick * UnitsPerQuarter * 2 + m_tpq) / (2 * m_tpq);
            if (std::llabs(u * m_tpq - tick * UnitsPerQuarter) <= m_slack * UnitsPerQuarter)
                return u;
        }
        off = off || !m_played;
        const long long sixteenths = (tick * 4 * 2 + m_tpq) / (2 * m_tpq);
        return sixteenths * 2;
    }
    // A value that three of fit into a written one.
    bool Triplet(long long ticks) const
    {
        const long long r = Mod(ticks * 3 * UnitsPerQuarter, m_tpq);
        return std::min(r, m_tpq - r) <= 3 * m_slack * UnitsPerQuarter;
    }

private:
    long long m_tpq;
    bool m_played;
    long long m_slack;
};

}   // namespace

long long UnitsOf(long long tick, const Melody& m)
{
    bool off = false;
    return Quantiser(m.ticksPerQuarter, m.played).Units(tick, off);
}

std::vector<Timed> OneLine(const std::vector<MelodyNote>& notes, const Melody& m, Counts& counts)
{
    std::vector<MelodyNote> sounded;
    for (const MelodyNote& n : notes)
        if (n.pitch >= 0 && n.pitch <= 127 && n.length > 0 && n.start >= 0)
            sounded.push_back(n);
    std::stable_sort(sounded.begin(), sounded.end(), [](const MelodyNote& a, const MelodyNote& b) {
        return a.start != b.start ? a.start < b.start : a.pitch > b.pitch;
    });
    KeepChordTops(sounded, m.ticksPerQuarter / 8);
    std::vector<Timed> out;
    for (const MelodyNote& note : sounded) {
        const Timed n{note.pitch, note.start, note.start + note.length, note.tieToNext, note.velocity, note.letter};
        if (!out.empty()) {
            Timed& prev = out.back();
            if (prev.tie && n.pitch == prev.pitch && n.start <= prev.end) {
                prev.end = std::max(prev.end, n.end);
                prev.tie = n.tie;
                continue;
            }
            prev.end = std::min(prev.end, n.start);
        }
        out.push_back(n);
    }
    DropGraces(out, m, counts);
    if (!m.played)
        Unswing(out, std::max(1, m.ticksPerQuarter), counts);
    return out;
}

std::vector<Timed> Quantise(const std::vector<Timed>& line, const Melody& m, Counts& counts)
{
    const Quantiser q(m.ticksPerQuarter, m.played);
    std::vector<Timed> out;
    long long keptTicks = 0;   // the length in ticks of the note last kept
    for (const Timed& n : line) {
        bool off = false;
        Timed u{n.pitch, q.Units(n.start, off), q.Units(n.end, off), false, n.velocity, n.letter};
        if (off)
            ++(q.Triplet(n.end - n.start) ? counts.triplets : counts.rounded);
        if (!out.empty() && u.start <= out.back().start) {
            // Two notes on one place: the longer is the tune, the other an ornament.
            Timed& prev = out.back();
            if (n.end - n.start > keptTicks) {
                prev.pitch = u.pitch;
                prev.letter = u.letter;
                prev.end = std::max(u.end, prev.start + 1);
                keptTicks = n.end - n.start;
            }
            ++counts.merged;
            continue;
        }
        if (!out.empty()) {
            Timed& prev = out.back();
            prev.end = std::min(prev.end, u.start);
            // Played notes are seldom held to the next one: a gap under a sixteenth is legato.
            if (m.played && u.start - prev.end <= 2)
                prev.end = u.start;
        }
        if (u.end <= u.start)
            u.end = u.start + (m.played ? 2 : 1);
        out.push_back(u);
        keptTicks = n.end - n.start;
    }
    return out;
}

void NoLone32nds(std::vector<Timed>& line, Counts& counts)
{
    // Rests become cells of their own, so every place is one cell's.
    std::vector<Timed> cells;
    long long t = 0;
    for (const Timed& n : line) {
        if (n.start > t)
            cells.push_back({-1, t, n.start, false, 0});
        cells.push_back(n);
        t = n.end;
    }
    const auto len = [&](size_t i) { return cells[i].end - cells[i].start; };
    for (size_t i = 0; i < cells.size(); ++i) {
        if (len(i) != 1)
            continue;
        const bool hasPrev = i > 0 && len(i - 1) > 0, hasNext = i + 1 < cells.size();
        if (hasNext && len(i + 1) == 1) {
            cells[i].end = cells[i + 1].end;   // two 32nds: one sixteenth
            cells[i + 1].start = cells[i].end;
            counts.merged += cells[i + 1].pitch >= 0;
        } else if (hasPrev && len(i - 1) >= 3) {
            cells[i - 1].end -= 1;   // 3 + 1: two sixteenths
            cells[i].start -= 1;
            counts.rounded += cells[i].pitch >= 0;
        } else if (hasNext && len(i + 1) >= 3) {
            cells[i].end += 1;
            cells[i + 1].start += 1;
            counts.rounded += cells[i].pitch >= 0;
        } else if (hasPrev) {
            cells[i - 1].end = cells[i].end;   // joined to the note before
            cells[i].start = cells[i].end;
            counts.merged += cells[i].pitch >= 0;
        } else {
            cells[i].end += 1;   // alone: the song grows by a 32nd
            if (hasNext)
                cells[i + 1].start += 1;
            counts.rounded += cells[i].pitch >= 0;
        }
    }
    std::vector<Timed> out;
    for (size_t i = 0; i < cells.size(); ++i)
        if (cells[i].pitch >= 0 && len(i) > 0)
            out.push_back(cells[i]);
    line = std::move(out);
}

long long Pickup(const std::vector<Timed>& line, long long barUnits, long long until)
{
    if (barUnits < 4 || line.empty())
        return 0;
    int loud = 0, soft = 127;
    for (const Timed& n : line)
        if (n.velocity > 0) {
            loud = std::max(loud, n.velocity);
            soft = std::min(soft, n.velocity);
        }
    const auto score = [&](long long p) {
        double s = 0;
        for (const Timed& n : line)
            if (n.start < until && Mod(n.start - p, barUnits) == 0)
                s += 1.0 + double(std::min(n.end - n.start, barUnits)) / UnitsPerQuarter +
                     (loud > soft && n.velocity == loud ? 2.0 : 0.0);
        return s;
    };
    const double none = score(0);
    long long best = 0;
    double bestScore = none;
    for (long long p = 2; p < barUnits; p += 2)
        if (const double s = score(p); s > bestScore) {
            best = p;
            bestScore = s;
        }
    // A clear gain only: most tunes start on the first beat.
    return bestScore > 1.3 * none + 2.0 ? best : 0;
}

}
