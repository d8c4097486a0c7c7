#pragma once
// How long ago an input event arrived, from its time stamp (the window system's clock, in
// milliseconds) and ours. The two clocks differ by an unknown offset; the least difference
// seen belongs to the event handled soonest, so it stands for the offset. Stamps of 0 (no
// stamp) and ages beyond a second (a stamp from another clock) count as age 0.
#include <QtGlobal>
#include <chrono>

class EventAge {
public:
    // Our clock: steady milliseconds.
    static qint64 NowMs()
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }

    qint64 Ms(qint64 eventMs, qint64 nowMs)
    {
        if (eventMs <= 0)
            return 0;
        const qint64 offset = nowMs - eventMs;
        if (!m_known || offset < m_offset) {
            m_offset = offset;
            m_known = true;
        }
        const qint64 age = offset - m_offset;
        if (age > 1000) {
            m_offset = offset;   // the clocks moved apart: start over
            return 0;
        }
        return age;
    }

private:
    bool m_known = false;
    qint64 m_offset = 0;
};
