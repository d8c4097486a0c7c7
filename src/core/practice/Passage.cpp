#include "core/practice/Passage.h"
#include <algorithm>

void Passage::Click(int cell, bool extend)
{
    if (cell <= 0)
        return;
    if (extend && !Empty()) {
        const int anchor = m_first;
        m_first = std::min(anchor, cell);
        m_last = std::max(anchor, cell);
        return;
    }
    // The one cell picked, clicked again, is let go.
    if (!extend && !Loops() && cell == m_first) {
        Clear();
        return;
    }
    m_first = m_last = cell;
}

Timeline Passage::Cut(const Timeline& whole) const
{
    const auto& events = whole.events;
    const auto first = std::find_if(events.begin(), events.end(), [&](const TimelineEvent& e) { return e.lastCell >= First(); });
    const auto end = Loops() ? std::find_if(first, events.end(), [&](const TimelineEvent& e) { return e.cell > Last(); })
                             : events.end();
    return SliceTimeline(first, end);
}
