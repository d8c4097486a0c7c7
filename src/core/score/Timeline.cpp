#include "core/score/Timeline.h"
#include <algorithm>

namespace {

constexpr int Dot = 1;    // symbol codes that take time
constexpr int BarLine = 2;
constexpr int Dash = 3;

struct Cell {
    int number = 0;
    const SongRecord* row = nullptr;
    bool tiedToPrevious = false;
};

int Degree(const SongRecord& r)
{
    if (r.SongNote.size() == 1 && r.SongNote[0] >= u'0' && r.SongNote[0] <= u'7')
        return r.SongNote[0].unicode() - u'0';
    return -1;
}

double BaseBeats(const SongRecord& r)
{
    if (r.OpernLong == QLatin1String("1"))
        return 0.5;
    if (r.OpernLong == QLatin1String("2"))
        return 0.25;
    return 1.0;
}

int OctaveCode(const SongRecord& r)
{
    if (r.OpernHigh == QLatin1String("0"))
        return 0;
    if (r.OpernHigh == QLatin1String("2"))
        return 2;
    if (r.OpernHigh == QLatin1String("1"))
        return 1;
    return -1;
}

bool SamePitch(const SongRecord& a, const SongRecord& b)
{
    return Degree(a) == Degree(b) && OctaveCode(a) == OctaveCode(b);
}

// An arc from cell i over the next Conn cells ties when every note under it has one pitch.
void MarkTies(std::vector<Cell>& cells)
{
    for (size_t i = 0; i < cells.size(); ++i) {
        const SongRecord& head = *cells[i].row;
        if (!IsNoteRow(head) || head.Conn <= 0 || Degree(head) <= 0)
            continue;
        const size_t last = std::min(cells.size() - 1, i + size_t(head.Conn));
        int notes = 1;
        bool same = true;
        for (size_t j = i + 1; j <= last && same; ++j) {
            if (!IsNoteRow(*cells[j].row))
                continue;
            same = SamePitch(head, *cells[j].row);
            ++notes;
        }
        if (!same || notes < 2)
            continue;
        for (size_t j = i + 1; j <= last; ++j)
            if (IsNoteRow(*cells[j].row))
                cells[j].tiedToPrevious = true;
    }
}

} // namespace

QString TimelineNoteName(int degree, int octave)
{
    static const char letters[] = "cdefgab";
    if (degree < 1 || degree > 7)
        return {};
    const QChar letter = QLatin1Char(letters[degree - 1]);
    switch (octave) {
    case 0:
        return QString(letter);
    case 1:
        return QString(letter) + u'1';
    case 2:
        return degree <= 4 ? QString(letter) + u'2' : QString();
    default:
        return {};
    }
}

Timeline BuildTimeline(const SongTableType& table, int song, int startCell)
{
    // The cells of the song as the view numbers them.
    std::vector<Cell> cells;
    const int lastShown = Score::ViewPageLimit * Score::CellsPerPage;
    for (const SongRecord& row : table) {
        if (row.SongID != song || !IsCellRow(row))
            continue;
        if (IsBlankCell(row) || int(cells.size()) >= lastShown)
            break;
        cells.push_back({int(cells.size()) + 1, &row, false});
    }
    MarkTies(cells);

    // Time runs over the whole song, so that a page starts where the song is at that cell.
    std::vector<TimelineEvent> all;
    std::vector<std::pair<int, double>> bars;   // cell and time of each bar line
    double t = 0;
    double lastGain = 0;   // what the current event last gained: a dot adds half of it
    for (const Cell& c : cells) {
        const SongRecord& r = *c.row;
        if (IsNoteRow(r)) {
            const double beats = BaseBeats(r);
            if (c.tiedToPrevious && !all.empty()) {
                all.back().length += beats;
                all.back().lastCell = c.number;
            } else {
                TimelineEvent e;
                e.cell = e.lastCell = c.number;
                e.degree = Degree(r);
                e.octave = e.degree == 0 ? 0 : OctaveCode(r);
                e.note = TimelineNoteName(e.degree, e.octave);
                e.start = t;
                e.length = beats;
                all.push_back(e);
            }
            lastGain = beats;
            t += beats;
        } else if ((r.Conn == Dash || r.Conn == Dot) && !all.empty()) {
            const double gain = r.Conn == Dash ? 1.0 : lastGain / 2;
            all.back().length += gain;
            all.back().lastCell = c.number;
            lastGain = gain;
            t += gain;
        } else if (r.Conn == BarLine) {
            bars.push_back({c.number, t});
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
