#include "core/practice/DemoPlayer.h"
#include "core/sound/NotePlayer.h"
#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>

namespace {

qint64 SteadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

qint64 SteadyNs()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

constexpr double EaseBack = 0.02;   // of a lag, per reading

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

bool DemoPlayer::Start(Timeline song, int tempo, Options options)
{
    Stop();
    m_song = std::move(song);
    m_frames.clear();
    m_tempo = ClampTempo(tempo);
    m_options = options;
    m_options.countIn = std::clamp(options.countIn, 0, 16);
    // A meter no bar can be made of clicks in 4/4.
    if (options.meter.beats < 1 || options.meter.beats > 16 || options.meter.unit < 1 || options.meter.unit > 16)
        m_options.meter = Meter{};
    m_options.loop = options.loop && m_song.beats > 0;
    m_nextClick = -m_options.countIn;
    if (m_song.events.empty())
        return false;
    m_rate = m_output.OutputRate();
    m_silent = m_rate <= 0;
    if (m_silent) {
        m_rate = SilentRate;
        m_wallStart = m_wallMs();
    }
    m_framesPerBeat = m_rate * 60.0 / m_tempo;
    m_smooth = -1;
    // The count-in comes between the lead-in and the first note.
    m_anchorBeat = -m_options.countIn * PulseBeats();
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
        const int next = int(m_frames.size());
        const int at = next < Count() ? next : Count() - 1;
        m_anchorFrame = FrameOfEvent(at);
        m_anchorBeat = BeatOf(at);
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

std::uint64_t DemoPlayer::SmoothFrame(qint64 ageMs)
{
    const qint64 ns = SteadyNs();
    const double raw = double(Now());
    if (m_smooth < 0 || m_silent) {
        m_smooth = raw;
    } else {
        const double predicted = m_smooth + double(ns - m_smoothNs) * 1e-9 * m_rate;
        // Far apart (a device opened again, a suspend): the raw clock wins.
        m_smooth = raw > predicted || predicted - raw > 0.5 * m_rate ? raw : predicted - (predicted - raw) * EaseBack;
    }
    m_smoothNs = ns;
    const double back = double(std::max<qint64>(0, ageMs)) * m_rate / 1000.0;
    return std::uint64_t(std::max(0.0, m_smooth - back));
}

std::uint64_t DemoPlayer::FrameOfBeat(double beat) const
{
    const double offset = (beat - m_anchorBeat) * m_framesPerBeat;
    return std::uint64_t(std::max<double>(0.0, double(m_anchorFrame) + std::round(offset)));
}

int DemoPlayer::Count() const
{
    const int n = int(m_song.events.size());
    // A loop reaches one pass beyond what is scheduled: nothing later can be asked for.
    return m_options.loop ? int(m_frames.size()) + n + 1 : n;
}

int DemoPlayer::SongPulses() const { return int(std::ceil(m_song.beats / PulseBeats() - 1e-9)); }

double DemoPlayer::PassBeats() const
{
    return m_options.loop ? SongPulses() * PulseBeats() + m_options.meter.BarQuarters() : m_song.beats;
}

double DemoPlayer::BeatOf(int index) const
{
    const int n = int(m_song.events.size());
    return (index / n) * PassBeats() + m_song.events[size_t(index % n)].start;
}

std::uint64_t DemoPlayer::FrameOfEvent(int index) const
{
    if (index < 0 || index >= Count())
        return EndFrame();
    if (size_t(index) < m_frames.size())
        return m_frames[size_t(index)];
    return FrameOfBeat(BeatOf(index));
}

std::uint64_t DemoPlayer::EndFrame() const
{
    return m_options.loop ? UINT64_MAX : FrameOfBeat(m_song.beats);
}

int DemoPlayer::EventAt(std::uint64_t frame) const
{
    int lo = 0, hi = Count();   // first event later than frame
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
    // Clicks on the meter's pulses, through the count-in and (with the metronome) the song.
    const int n = int(m_song.events.size());
    const int songPulses = SongPulses();
    const int barPulses = m_options.meter.Pulses();
    const int clicksEnd = !m_options.clicks ? 0 : m_options.loop ? INT_MAX : songPulses;
    while ((!m_silent && m_nextClick < clicksEnd) || m_nextClick < 0) {
        const std::uint64_t frame = FrameOfBeat(m_nextClick * PulseBeats());
        if (frame >= horizon)
            break;
        // A loop's rest is counted like the count-in: its first click is accented.
        int pulse = m_nextClick;
        if (m_options.loop && pulse >= 0) {
            pulse %= songPulses + barPulses;
            if (pulse >= songPulses)
                pulse -= songPulses;
        }
        const int inBar = ((pulse % barPulses) + barPulses) % barPulses;
        if (!m_silent)
            m_output.ScheduleClick(frame, inBar == 0);
        ++m_nextClick;
    }
    while (int(m_frames.size()) < (m_options.loop ? INT_MAX : n)) {
        const int k = int(m_frames.size());
        const TimelineEvent& e = m_song.events[size_t(k % n)];
        const std::uint64_t frame = FrameOfBeat(BeatOf(k));
        if (frame >= horizon)
            return;
        m_frames.push_back(frame);   // counted before it can fail: a failing note is not tried again
        if (OnScheduled)
            OnScheduled(k % n, frame);
        if (!m_silent && m_options.notes && e.IsSounded())
            m_output.ScheduleNote(e.note, frame);
    }
}

DemoPlayer::Position DemoPlayer::Tick()
{
    Position p;
    if (!m_running)
        return p;
    const std::uint64_t now = Now();
    SmoothFrame();   // kept close to the raw clock between presses
    try {
        ScheduleUpTo(now + std::uint64_t(std::llround(AheadSeconds * m_rate)));
    } catch (...) {
        Stop();
        throw;
    }
    const int k = EventAt(now);
    const int n = int(m_song.events.size());
    // Between the passes of a loop nothing is marked.
    const bool resting = k >= 0 && m_options.loop && now >= FrameOfBeat((k / n) * PassBeats() + m_song.beats);
    if (k >= 0) {
        p.pass = k / n;
        if (!resting) {
            const TimelineEvent& e = m_song.events[size_t(k % n)];
            p.event = k % n;
            // The key comes up a little early, so that repeated notes show as separate presses.
            const double gap = std::min(e.length * 0.25, 0.08 * m_tempo / 60.0);
            p.down = now < FrameOfBeat(BeatOf(k) + e.length - gap);
        }
    }
    if (now >= EndFrame()) {
        m_running = false;
        p.finished = true;
    }
    return p;
}
