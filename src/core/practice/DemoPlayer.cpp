#include "core/practice/DemoPlayer.h"
#include "core/sound/NotePlayer.h"
#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

qint64 SteadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

DemoPlayer::DemoPlayer(INoteScheduler& output, std::function<qint64()> wallMs)
    : m_output(output), m_wallMs(wallMs ? std::move(wallMs) : std::function<qint64()>(SteadyMs))
{
}

DemoPlayer::~DemoPlayer() = default;

int DemoPlayer::ClampTempo(int tempo)
{
    return std::clamp(tempo, MinTempo, MaxTempo);
}

bool DemoPlayer::Start(Timeline song, int tempo)
{
    Stop();
    m_song = std::move(song);
    m_frames.clear();
    m_tempo = ClampTempo(tempo);
    if (m_song.events.empty())
        return false;
    m_rate = m_output.OutputRate();
    m_silent = m_rate <= 0;
    if (m_silent) {
        m_rate = SilentRate;
        m_wallStart = m_wallMs();
    }
    m_framesPerBeat = m_rate * 60.0 / m_tempo;
    m_anchorBeat = 0;
    m_anchorFrame = Now() + std::uint64_t(std::llround(LeadInSeconds * m_rate));
    m_running = true;
    Tick();
    return true;
}

void DemoPlayer::Stop()
{
    if (m_running && !m_silent)
        m_output.CancelScheduled();
    m_running = false;
}

void DemoPlayer::SetTempo(int tempo)
{
    tempo = ClampTempo(tempo);
    if (tempo == m_tempo)
        return;
    if (m_running) {
        // Re-anchor where the new tempo begins: the first note not yet scheduled (or the
        // last note, whose length is all that is left to change).
        const size_t next = m_frames.size();
        const size_t at = next < m_song.events.size() ? next : m_song.events.size() - 1;
        m_anchorFrame = FrameOfEvent(int(at));
        m_anchorBeat = m_song.events[at].start;
        m_framesPerBeat = m_rate * 60.0 / tempo;
    }
    m_tempo = tempo;
}

std::uint64_t DemoPlayer::Now() const
{
    if (m_silent)
        return std::uint64_t(std::max<qint64>(0, m_wallMs() - m_wallStart));
    return m_output.OutputFrame();
}

std::uint64_t DemoPlayer::FrameOfBeat(double beat) const
{
    const double offset = (beat - m_anchorBeat) * m_framesPerBeat;
    return std::uint64_t(std::max<double>(0.0, double(m_anchorFrame) + std::round(offset)));
}

std::uint64_t DemoPlayer::FrameOfEvent(int index) const
{
    if (index < 0 || index >= int(m_song.events.size()))
        return EndFrame();
    if (size_t(index) < m_frames.size())
        return m_frames[size_t(index)];
    return FrameOfBeat(m_song.events[size_t(index)].start);
}

std::uint64_t DemoPlayer::EndFrame() const
{
    return FrameOfBeat(m_song.beats);
}

int DemoPlayer::EventAt(std::uint64_t frame) const
{
    int lo = 0, hi = int(m_song.events.size());   // first event later than frame
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (FrameOfEvent(mid) <= frame)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo - 1;
}

void DemoPlayer::ScheduleUpTo(std::uint64_t horizon)
{
    while (m_frames.size() < m_song.events.size()) {
        const TimelineEvent& e = m_song.events[m_frames.size()];
        const std::uint64_t frame = FrameOfBeat(e.start);
        if (frame >= horizon)
            return;
        m_frames.push_back(frame);   // counted before it can fail: a failing note is not tried again
        if (!m_silent && e.IsSounded())
            m_output.ScheduleNote(e.note, frame);
    }
}

DemoPlayer::Position DemoPlayer::Tick()
{
    Position p;
    if (!m_running)
        return p;
    const std::uint64_t now = Now();
    try {
        ScheduleUpTo(now + std::uint64_t(std::llround(AheadSeconds * m_rate)));
    } catch (...) {
        Stop();
        throw;
    }
    p.event = EventAt(now);
    if (now >= EndFrame()) {
        m_running = false;
        p.finished = true;
    }
    return p;
}
