#include "core/practice/PracticeSession.h"
#include "core/Dialogs.h"
#include "core/Errors.h"

PracticeSession::PracticeSession(IDialogs& dialogs, const SongTableType& table, INoteScheduler& output, View view,
                                 std::function<qint64()> clockMs, QObject* parent)
    : QObject(parent), m_dialogs(dialogs), m_table(table), m_view(std::move(view)), m_clockMs(clockMs),
      m_demo(output, std::move(clockMs))
{
    m_steady.start();
    // 节奏 awaits each note as the grid reaches it.
    m_demo.OnScheduled = [this](int event, std::uint64_t frame) {
        if (m_mode == Mode::Rhythm)
            m_judge.Expect(event, m_demo.Song().events[size_t(event)].note, frame);
    };
    m_tempoKeep.setSingleShot(true);
    connect(&m_tempoKeep, &QTimer::timeout, this, &PracticeSession::KeepTempo);
    m_tick.setTimerType(Qt::PreciseTimer);
    m_tick.setInterval(TickMs);
    connect(&m_tick, &QTimer::timeout, this, &PracticeSession::OnTick);
}

PracticeSession::~PracticeSession()
{
    if (m_tempoKeep.isActive())
        KeepTempo();
}

qint64 PracticeSession::Elapsed() const
{
    return (m_clockMs ? m_clockMs() : m_steady.elapsed()) - m_followStart;
}

void PracticeSession::RestartClock()
{
    m_followStart = m_clockMs ? m_clockMs() : m_steady.elapsed();
}

// The timer calls here, not a handler of the user's: an error is shown, and a note that
// failed to load has stopped the demo.
void PracticeSession::OnTick()
{
    try {
        DemoTick();
    } catch (const TavoError& e) {
        m_dialogs.ShowError(e.text());
    } catch (const std::exception& e) {
        m_dialogs.ShowError(QString::fromUtf8(e.what()));
    }
    if (m_mode == Mode::Demo && !m_demo.Running())
        EndDemo();
    else if (m_mode == Mode::Rhythm && !m_demo.Running())
        EndRhythm(false);
}

void PracticeSession::SetTempo(int tempo)
{
    m_tempo = DemoPlayer::ClampTempo(tempo);
    m_demo.SetTempo(m_tempo);
    if (!m_restoringTempo && !m_tempoSong.isEmpty())
        m_tempoKeep.start(TempoKeepMs);
}

void PracticeSession::KeepTempo()
{
    m_tempoKeep.stop();
    m_results.KeepTempo(m_tempoSong, m_tempo);
}

void PracticeSession::SongOpened(const QString& title)
{
    if (m_tempoKeep.isActive())
        KeepTempo();   // for the song that was on view
    m_tempoSong = title;
    if (const auto tempo = m_results.Tempo(title)) {
        m_restoringTempo = true;
        SetTempo(*tempo);
        Q_EMIT tempoRestored(m_tempo);
        m_restoringTempo = false;
    }
}

Song PracticeSession::ShownSong(int song) const
{
    return m_marks ? SongFromTable(m_table, song, *m_marks) : SongFromTable(m_table, song);
}

// From the pick when there is one, else from the page on view.
Timeline PracticeSession::StartTimeline(const Song& shown) const
{
    if (m_pick.Empty())
        return BuildTimeline(shown, m_sounding, FirstCellOfPage(m_view.viewPage()));
    return m_pick.Cut(BuildTimeline(shown, m_sounding, 1));
}

Meter PracticeSession::MeterOf(const Song& shown) { return shown.header ? shown.header->TimeSignature() : Meter{}; }

QString PracticeSession::NothingToPlay() const
{
    return m_pick.Empty() ? QStringLiteral("从这一页起没有音符") : QStringLiteral("所选处没有音符");
}

void PracticeSession::DemoClick()
{
    const Mode was = m_mode;
    Stop();
    const int song = m_view.shownSong();
    if (was == Mode::Demo || song <= 0)
        return;
    const Song shown = ShownSong(song);
    Timeline timeline = StartTimeline(shown);
    const int unsounded = timeline.unsounded;
    DemoPlayer::Options options;
    options.clicks = m_metronome;
    options.meter = MeterOf(shown);
    options.loop = m_pick.Loops();
    if (!m_demo.Start(std::move(timeline), m_tempo, options)) {
        Say(NothingToPlay());
        return;
    }
    Begin(Mode::Demo, unsounded ? QStringLiteral("有 %1 个音超出音域，只显示不发声").arg(unsounded) : QString());
    m_tick.start();
}

void PracticeSession::FollowClick()
{
    const Mode was = m_mode;
    Stop();
    const int song = m_view.shownSong();
    if (was == Mode::Follow || song <= 0)
        return;
    Timeline timeline = StartTimeline(ShownSong(song));
    const int unsounded = timeline.unsounded;
    if (!m_follow.Start(std::move(timeline), m_pick.Loops())) {
        Say(m_pick.Empty() ? QStringLiteral("从这一页起没有可弹的音") : QStringLiteral("所选处没有可弹的音"));
        return;
    }
    Begin(Mode::Follow, unsounded ? QStringLiteral("有 %1 个音超出音域，跳过不弹").arg(unsounded)
                                  : QStringLiteral("请弹方框里的音"));
    RestartClock();
    AwaitTarget();
    AnnounceNotes(m_follow.Song());
}

void PracticeSession::RhythmClick()
{
    if (m_mode == Mode::Rhythm) {
        EndRhythm(false);   // the count so far is shown, never kept as a best
        return;
    }
    Stop();
    const int song = m_view.shownSong();
    if (song <= 0)
        return;
    const Song shown = ShownSong(song);
    Timeline timeline = StartTimeline(shown);
    DemoPlayer::Options options;
    options.notes = false;
    options.clicks = m_metronome;
    options.meter = MeterOf(shown);
    options.countIn = options.meter.Pulses();   // one bar
    options.loop = m_pick.Loops();
    m_judge.Start(0);
    m_mode = Mode::Rhythm;   // the first notes are awaited as Start schedules them
    if (!m_demo.Start(std::move(timeline), m_tempo, options)) {
        m_mode = Mode::None;
        Say(NothingToPlay());
        return;
    }
    m_judge.SetRate(m_demo.Rate());
    Begin(Mode::Rhythm, QStringLiteral("听完一小节拍子后开始弹"));
    m_tick.start();
    AnnounceNotes(m_demo.Song());
}

void PracticeSession::AnnounceNotes(const Timeline& song)
{
    QStringList notes;
    for (const TimelineEvent& e : song.events)
        if (e.IsSounded() && !notes.contains(e.note))
            notes.push_back(e.note);
    Q_EMIT runNotes(notes);
}

void PracticeSession::WideKeysOpened(bool low)
{
    Say(m_line, low ? QStringLiteral("这首歌有低音，已打开宽键盘") : QStringLiteral("这首歌有高音，已打开宽键盘"));
}

void PracticeSession::Begin(Mode mode, const QString& says)
{
    m_mode = mode;
    m_wholeSong = m_pick.Empty() && m_view.viewPage() == 1;
    Q_EMIT modeChanged(mode);
    Say(says);
}

void PracticeSession::Stop()
{
    if (m_mode == Mode::Demo || m_mode == Mode::Rhythm)
        m_demo.Stop();
    else if (m_mode == Mode::Follow)
        m_follow.Stop();
    Ended();
    Say(QString());
}

// Whatever ran is over: marks and keys cleared; what is said stays.
void PracticeSession::Ended()
{
    m_mode = Mode::None;
    m_tick.stop();
    Q_EMIT modeChanged(m_mode);
    HideMarks();
    ShowDemoKey(QString());
    m_awaitedKey.clear();
    Q_EMIT awaitedKey(QString());
}

void PracticeSession::DemoTick()
{
    if (m_mode != Mode::Demo && m_mode != Mode::Rhythm)
        return;
    const DemoPlayer::Position at = m_demo.Tick();
    if (m_mode == Mode::Rhythm && !m_judge.Expire(m_demo.Now()).empty())
        SayTally(Judge::Verdict::Miss);
    if (at.finished) {
        if (m_mode == Mode::Demo)
            EndDemo();
        else
            EndRhythm(true);
        return;
    }
    if (at.event < 0)
        HideMarks();   // the lead-in, or the count-in
    else
        MarkCell(m_demo.Song().events[size_t(at.event)].cell);
    if (m_mode == Mode::Demo)
        ShowDemoKey(at.event >= 0 && at.down ? m_demo.Song().events[size_t(at.event)].note : QString());
}

// The song played out: what is said stays until the next action.
void PracticeSession::EndDemo()
{
    m_demo.Stop();
    Ended();
}

void PracticeSession::EndRhythm(bool reachedEnd)
{
    m_demo.Stop();
    m_judge.Finish();
    Ended();
    const Judge::Tally& t = m_judge.Counts();
    const QString title = m_view.title();
    // Only a run through the whole song may be its best.
    if (m_wholeSong && reachedEnd)
        m_results.OfferRhythm(title, t);
    const auto best = m_results.BestRhythm(title);
    Say(Judge::Summary(t), best ? Results::RhythmText(*best) : QString());
}

void PracticeSession::FollowDone()
{
    const Results::Follow r{m_follow.RightCount(), m_follow.WrongCount(), Elapsed()};
    Ended();
    const QString title = m_view.title();
    if (m_wholeSong)
        m_results.OfferFollow(title, r);
    const auto best = m_results.BestFollow(title);
    Say(m_follow.Summary(r.ms), best ? Results::FollowText(*best) : QString());
}

void PracticeSession::SayTally(Judge::Verdict last)
{
    Say(Judge::Running(m_judge.Counts(), last));
}

void PracticeSession::ShowDemoKey(const QString& note)
{
    if (note == m_demoKey)
        return;
    if (!m_demoKey.isEmpty())
        Q_EMIT demoKey(m_demoKey, false);
    m_demoKey = note;
    if (!note.isEmpty())
        Q_EMIT demoKey(note, true);
}

void PracticeSession::AwaitTarget()
{
    MarkCell(m_follow.TargetCell());
    m_awaitedKey = m_follow.Song().events[size_t(m_follow.Target())].note;
    Q_EMIT awaitedKey(m_awaitedKey);
}

void PracticeSession::FlashWrong(int cell, const QString& note)
{
    if (PageOfCell(cell) == m_view.viewPage())
        Q_EMIT flashWrong(cell);
    Q_EMIT wrongKey(note);
}

void PracticeSession::NotePlayed(const QString& note, qint64 ageMs)
{
    if (m_mode == Mode::Rhythm) {
        // Judged at the frame heard when the key event arrived, however late it is handled.
        const Judge::Result r = m_judge.Play(note, m_demo.SmoothFrame(ageMs));
        if (r.verdict == Judge::Verdict::None)
            return;
        if (r.verdict == Judge::Verdict::Miss)
            FlashWrong(m_demo.Song().events[size_t(r.event)].cell, note);
        SayTally(r.verdict);
        return;
    }
    if (m_mode != Mode::Follow)
        return;
    switch (m_follow.Play(note)) {
    case FollowMode::Press::Ignored:
        return;
    case FollowMode::Press::Wrong:
        FlashWrong(m_follow.TargetCell(), note);
        return;
    case FollowMode::Press::PassEnd:
        // Each pass of a passage shows its own count.
        Q_EMIT clearWrong();
        Say(m_follow.Summary(Elapsed()));
        m_follow.ResetCounts();
        RestartClock();
        AwaitTarget();
        return;
    case FollowMode::Press::Right:
        Q_EMIT clearWrong();
        if (!m_follow.Finished())
            AwaitTarget();
        else
            FollowDone();
        return;
    }
}

void PracticeSession::CellClicked(int position, bool extend)
{
    if (m_mode != Mode::None || m_view.shownSong() <= 0 || position < 1 || position > Score::CellsPerPage)
        return;
    m_pick.Click(FirstCellOfPage(m_view.viewPage()) + position - 1, extend);
    Q_EMIT pickChanged();
}

void PracticeSession::ClearPick()
{
    m_pick.Clear();
    Q_EMIT pickChanged();
}

// The box goes over the cell, on its page: the view turns on to it when it is further on.
void PracticeSession::MarkCell(int cell)
{
    if (cell == m_markedCell)
        return;
    const int page = PageOfCell(cell);
    if (m_view.viewPage() != page)
        m_view.showPage(page);   // on, or back to a passage's start
    if (m_view.viewPage() != page) {
        HideMarks();
        return;
    }
    m_markedCell = cell;
    Q_EMIT markCell(cell);
}

void PracticeSession::HideMarks()
{
    m_markedCell = 0;
    Q_EMIT markCell(0);
}

void PracticeSession::Say(const QString& text, const QString& best)
{
    m_line = text;
    Q_EMIT say(text, best);
}
