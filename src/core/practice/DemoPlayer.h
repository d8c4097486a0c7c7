#pragma once
// Plays a timeline at a tempo: notes are queued a little ahead on the output clock, so
// they land on their frame however late the caller's tick comes (up to AheadSeconds).
#include "core/score/Song.h"
#include "core/score/Timeline.h"
#include <QtGlobal>
#include <cstdint>
#include <functional>

class INoteScheduler;

class DemoPlayer {
public:
    static constexpr int MinTempo = 40;
    static constexpr int MaxTempo = 200;
    static constexpr int DefaultTempo = 90;
    static constexpr double AheadSeconds = 0.25;   // kept scheduled ahead of the output
    static constexpr double LeadInSeconds = 0.1;   // the first note sounds this long after Start
    // Rate of the stand-in clock (milliseconds) when nothing plays the output.
    static constexpr int SilentRate = 1000;

    // `wallMs` is the stand-in clock used, silently, when the output has no rate; it
    // defaults to a steady clock.
    explicit DemoPlayer(INoteScheduler& output, std::function<qint64()> wallMs = {});
    ~DemoPlayer();
    DemoPlayer(const DemoPlayer&) = delete;
    DemoPlayer& operator=(const DemoPlayer&) = delete;

    static int ClampTempo(int tempo);

    struct Options {
        bool notes = true;      // false: the grid runs silently (节奏: the player plays)
        bool clicks = false;    // a metronome click on every pulse of the song
        int countIn = 0;        // pulses of clicks before the first note
        Meter meter;            // clicks fall on its pulses, the bar's first accented
        bool loop = false;      // the timeline starts over until stopped, after a bar's rest
    };

    // Starts the timeline (stopping what ran before) and schedules its first notes;
    // false, and nothing runs, when the timeline is empty.
    bool Start(Timeline song, int tempo) { return Start(std::move(song), tempo, Options{}); }
    bool Start(Timeline song, int tempo, Options options);
    // Cancels every note scheduled that has not sounded yet.
    void Stop();
    // Takes effect from the first note not yet scheduled.
    void SetTempo(int tempo);
    int Tempo() const { return m_tempo; }
    bool Running() const { return m_running; }
    bool Silent() const { return m_silent; }   // running on the stand-in clock
    const Timeline& Song() const { return m_song; }

    struct Position {
        int event = -1;         // index of the event sounding now, -1 before the first
        int pass = 0;           // how often a looping timeline started over before it
        bool down = false;      // the event's key is held now (released a little before its end)
        bool finished = false;  // the song has played out; the demo has stopped
    };
    // Told of every event as it is scheduled (sounded or not): its index and frame.
    std::function<void(int event, std::uint64_t frame)> OnScheduled;
    // The caller's tick (a UI timer): schedules what falls within AheadSeconds and tells
    // where the song is now. A note that fails to load stops the demo before its error
    // goes on to the caller.
    Position Tick();

    // In frames of the clock in use. Events count on over the passes of a loop: index
    // k is event k % size in pass k / size.
    int Rate() const { return m_rate; }
    std::uint64_t Now() const;
    std::uint64_t FrameOfEvent(int index) const;
    std::uint64_t EndFrame() const;            // never, while looping
    int EventAt(std::uint64_t frame) const;    // -1 before the first
    // The output clock as a judgement reads it: it runs on with the steady clock, so a
    // callback that comes late (the raw clock stalls, then jumps) does not move a press;
    // it catches up at once when the raw clock is ahead and eases back when it stays behind.
    // ageMs back from now.
    std::uint64_t SmoothFrame(qint64 ageMs = 0);

private:
    std::uint64_t FrameOfBeat(double beat) const;
    double BeatOf(int index) const;            // on the grid of every pass
    // Beats from one pass's start to the next: the song rounded up to whole pulses, so the
    // clicks stay on the pulse, and one bar's rest.
    double PassBeats() const;
    double PulseBeats() const { return m_options.meter.PulseQuarters(); }
    int SongPulses() const;                    // the song rounded up to whole pulses
    int Count() const;                         // events of every pass together
    void ScheduleUpTo(std::uint64_t horizon);

    INoteScheduler& m_output;
    std::function<qint64()> m_wallMs;
    Timeline m_song;
    std::vector<std::uint64_t> m_frames;   // frames of the events scheduled so far
    Options m_options;
    int m_nextClick = 0;   // the pulse of the next click to schedule
    int m_tempo = DefaultTempo;
    bool m_running = false;
    bool m_silent = false;
    int m_rate = 0;
    double m_framesPerBeat = 0;
    std::uint64_t m_anchorFrame = 0;       // beat m_anchorBeat falls on this frame
    double m_anchorBeat = 0;
    qint64 m_wallStart = 0;
    double m_smooth = -1;                  // SmoothFrame's clock, -1 before its first reading
    qint64 m_smoothNs = 0;
};
