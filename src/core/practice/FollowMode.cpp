#include "core/practice/FollowMode.h"
#include "core/sound/Voices.h"

int FollowMode::NextPlayable(int from) const
{
    for (int i = from; i < int(m_song.events.size()); ++i)
        if (m_song.events[size_t(i)].IsSounded())
            return i;
    return -1;
}

bool FollowMode::Start(Timeline song, bool loop)
{
    m_song = std::move(song);
    m_loop = loop;
    m_right = m_wrong = 0;
    m_finished = false;
    m_target = NextPlayable(0);
    m_running = m_target >= 0;
    return m_running;
}

int FollowMode::TargetCell() const
{
    const int t = Target();
    return t < 0 ? 0 : m_song.events[size_t(t)].cell;
}

FollowMode::Press FollowMode::Play(const QString& note)
{
    // A key with no note (or outside the 22 names) sounds nothing and proves nothing.
    if (!m_running || NoteSlot(note) < 0)
        return Press::Ignored;
    if (note != m_song.events[size_t(m_target)].note) {
        ++m_wrong;
        return Press::Wrong;
    }
    ++m_right;
    m_target = NextPlayable(m_target + 1);
    if (m_target < 0 && m_loop) {
        m_target = NextPlayable(0);
        return Press::PassEnd;
    }
    if (m_target < 0) {
        m_running = false;
        m_finished = true;
    }
    return Press::Right;
}

QString FollowMode::SummaryOf(int right, int wrong, qint64 elapsedMs)
{
    const qint64 seconds = qMax<qint64>(0, elapsedMs) / 1000;
    return QStringLiteral("正确 %1 个，错误 %2 个，用时 %3:%4")
        .arg(right)
        .arg(wrong)
        .arg(seconds / 60)
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
