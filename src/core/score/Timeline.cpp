#include "core/score/Timeline.h"
#include <algorithm>

namespace {

struct Placed {
    int number = 0;   // cell number in the song, from 1
    const Cell* cell = nullptr;
    bool tiedToPrevious = false;
};

// An arc from a note over the next cells ties when every note under it has one pitch.
void MarkTies(std::vector<Placed>& cells)
{
    for (size_t i = 0; i < cells.size(); ++i) {
        const Cell& head = *cells[i].cell;
        if (!head.IsNote() || head.slur <= 0 || head.degree <= 0)
            continue;
        const size_t last = std::min(cells.size() - 1, i + size_t(head.slur));
        int notes = 1;
        bool same = true;
        for (size_t j = i + 1; j <= last && same; ++j) {
            if (!cells[j].cell->IsSounding())
                continue;
            same = head.SamePitch(*cells[j].cell);
            ++notes;
        }
        if (!same || notes < 2)
            continue;
        for (size_t j = i + 1; j <= last; ++j)
            if (cells[j].cell->IsSounding())
                cells[j].tiedToPrevious = true;
    }
}

} // namespace

QString TimelineNoteName(int degree, int octave) { return PitchNoteName(SoundingPitch(Key{}, degree, octave, 0)); }

QString PitchNoteName(int pitch)
{
    constexpr int lowest = 41;    // "F"
    constexpr int highest = 78;   // "f#2", the sharp above the top natural
    static const char* const names[12] = {"c", "c#", "d", "d#", "e", "f", "f#", "g", "g#", "a", "a#", "b"};
    if (pitch < lowest || pitch > highest)
        return {};
    const QString name = QLatin1String(names[pitch % 12]);
    switch (pitch / 12) {
    case 3: return name.toUpper();
    case 4: return name;
    case 5: return name + u'1';
    default: return name + u'2';
    }
}

Timeline BuildTimeline(const Song& song, Sounding where, int startCell)
{
    // The cells of the song as the view numbers them.
    std::vector<Placed> cells;
    const size_t lastShown = size_t(Score::ViewPageLimit * Score::CellsPerPage);
    for (size_t i = 0; i < song.cells.size() && i < lastShown; ++i)
        cells.push_back({int(i) + 1, &song.cells[i], false});
    MarkTies(cells);

    // Time runs over the whole song, so that a page starts where the song is at that cell.
    std::vector<TimelineEvent> all;
    std::vector<std::pair<int, double>> bars;   // cell and time of each bar line
    double t = 0;
    double lastGain = 0;   // what the current event last gained: a dot adds half of it
    for (const Placed& p : cells) {
        const Cell& c = *p.cell;
        if (c.IsSounding()) {
            const double beats = c.BaseBeats();
            if (p.tiedToPrevious && !all.empty()) {
                all.back().length += beats;
                all.back().lastCell = p.number;
            } else {
                TimelineEvent e;
                e.cell = e.lastCell = p.number;
                e.degree = c.IsRest() ? 0 : c.degree;
                e.octave = c.IsRest() ? 0 : c.octave;
                e.pitch = CellPitch(song, c, where);
                e.note = PitchNoteName(e.pitch);
                e.start = t;
                e.length = beats;
                all.push_back(e);
            }
            lastGain = beats;
            t += beats;
        } else if ((c.kind == CellKind::Dash || c.kind == CellKind::Dot) && !all.empty()) {
            const double gain = c.kind == CellKind::Dash ? 1.0 : lastGain / 2;
            all.back().length += gain;
            all.back().lastCell = p.number;
            lastGain = gain;
            t += gain;
        } else if (c.kind == CellKind::Bar) {
            bars.push_back({p.number, t});
        }
        // Bar lines, spaces, other symbols and marks with no note before them take no time.
    }

    const std::vector<TimelineEvent>& events = all;
    const auto first =
        std::find_if(events.begin(), events.end(), [&](const TimelineEvent& e) { return e.cell >= startCell; });
    Timeline out = SliceTimeline(first, events.end());
    if (first != events.end())
        for (const auto& [cell, at] : bars)
            if (cell > first->cell)
                out.bars.push_back(at - first->start);
    return out;
}

Timeline SliceTimeline(std::vector<TimelineEvent>::const_iterator first, std::vector<TimelineEvent>::const_iterator end)
{
    Timeline out;
    if (first == end)
        return out;
    const double origin = first->start;
    for (auto it = first; it != end; ++it) {
        TimelineEvent e = *it;
        e.start -= origin;
        if (e.NoSample())
            ++out.unsounded;
        out.events.push_back(std::move(e));
    }
    out.beats = out.events.back().End();
    return out;
}
