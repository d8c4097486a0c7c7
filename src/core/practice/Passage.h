#pragma once
// Where a practice mode starts and what it repeats: a cell picked on the score, or two,
// the passage between them (both ends included), which then loops.
#include "core/score/Timeline.h"

class Passage {
public:
    // A click on cell: with extend (Shift) and a cell already picked, the passage between
    // the two; otherwise that cell alone.
    void Click(int cell, bool extend);
    void Clear() { m_first = m_last = 0; }

    bool Empty() const { return m_first <= 0; }
    bool Loops() const { return m_last > m_first; }   // two cells picked: the passage repeats
    int First() const { return m_first; }
    int Last() const { return Loops() ? m_last : m_first; }
    bool Contains(int cell) const { return !Empty() && cell >= First() && cell <= Last(); }

    // The part of the whole song's timeline the pick covers, timed from its first event. A
    // pick on a dash or a dot starts with the note it holds; a rest is kept as the time it
    // takes. One cell reaches to the song's end; a passage ends with the note that holds its
    // last cell.
    Timeline Cut(const Timeline& whole) const;

private:
    int m_first = 0;
    int m_last = 0;
};
