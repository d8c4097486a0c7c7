#include "ui/panels/PracticeBar.h"
#include "core/library/SongLibrary.h"
#include "core/sound/NotePlayer.h"
#include "ui/widgets/Guard.h"
#include "ui/widgets/ClickLabel.h"
#include "ui/widgets/PlainText.h"
#include "ui/widgets/GlyphGrid.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/Resources.h"
#include "ui/widgets/Styles.h"
#include "ui/widgets/TempoControl.h"
#include <QPainter>
#include <algorithm>

namespace {

// A see-through coloured box over a cell; clicks go through it.
class CellMark : public QWidget {
public:
    CellMark(QWidget* parent, const QColor& colour, bool frameOnly = false)
        : QWidget(parent), m_colour(colour), m_frameOnly(frameOnly)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QColor fill = m_colour;
        fill.setAlpha(m_frameOnly ? 0 : 70);
        QColor edge = m_colour;
        edge.setAlpha(190);
        p.setPen(QPen(edge, m_frameOnly ? 1.0 : 1.5));
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
    }

private:
    QColor m_colour;
    bool m_frameOnly;
};

constexpr int kFlashMs = 300;
constexpr int kTempoKeepMs = 800;
constexpr int kResultPx = 14;   // the result lines' face, smaller when a line is long

// A soft box on the sheet's lower edge that the result lines stand in.
class ResultFrame : public QWidget {
public:
    explicit ResultFrame(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(122, 18, 32, 110), 1.0));
        p.setBrush(QColor(255, 246, 225, 235));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    }
};

} // namespace

PracticeBar::PracticeBar(QWidget* panel, IDialogs& dialogs, const SongLibrary& library, INoteScheduler& output,
                         const GlyphGrid& grid, View view)
    : QObject(panel), m_dialogs(dialogs), m_library(library), m_grid(grid), m_view(std::move(view)), m_demo(output)
{
    ImgDemo = NewImageButton(panel, QRect(80, 270, 43, 34), ResourceImage(QStringLiteral("pic/demo.png")),
                             ResourceImage(QStringLiteral("pic/demo_down.png")));
    ImgDemo->setObjectName(QStringLiteral("ImgDemo"));
    ImgDemo->setToolTip(QStringLiteral("示范"));
    ImgFollow = NewImageButton(panel, QRect(130, 270, 43, 34), ResourceImage(QStringLiteral("pic/follow.png")),
                               ResourceImage(QStringLiteral("pic/follow_down.png")));
    ImgFollow->setObjectName(QStringLiteral("ImgFollow"));
    ImgFollow->setToolTip(QStringLiteral("跟弹"));
    ImgRhythm = NewImageButton(panel, QRect(265, 270, 43, 34), ResourceImage(QStringLiteral("pic/rhythm.png")),
                               ResourceImage(QStringLiteral("pic/rhythm_down.png")));
    ImgRhythm->setObjectName(QStringLiteral("ImgRhythm"));
    ImgRhythm->setToolTip(QStringLiteral("按节奏跟弹"));
    GuardedConnect(m_dialogs, ImgDemo, &TImageButton::clicked, this, &PracticeBar::ImgDemoClick);
    GuardedConnect(m_dialogs, ImgFollow, &TImageButton::clicked, this, &PracticeBar::ImgFollowClick);
    GuardedConnect(m_dialogs, ImgRhythm, &TImageButton::clicked, this, &PracticeBar::ImgRhythmClick);
    // 节奏 awaits each note as the grid reaches it.
    m_demo.OnScheduled = [this](int event, std::uint64_t frame) {
        if (m_mode == Mode::Rhythm)
            m_judge.Expect(event, m_demo.Song().events[size_t(event)].note, frame);
    };

    Tempo = new TempoControl(panel, DemoPlayer::MinTempo, DemoPlayer::MaxTempo, DemoPlayer::DefaultTempo);
    Tempo->setObjectName(QStringLiteral("Tempo"));
    Tempo->setGeometry(185, 272, 70, 22);
    connect(Tempo, &TempoControl::valueChanged, this, [this](int tempo) {
        m_demo.SetTempo(tempo);
        if (!m_restoringTempo && !m_tempoSong.isEmpty())
            m_tempoKeep.start(kTempoKeepMs);
    });
    m_tempoKeep.setSingleShot(true);
    connect(&m_tempoKeep, &QTimer::timeout, this, &PracticeBar::KeepTempo);

    // On the sheet's lower edge, left of the page number and clear of it, in a box of their
    // own: the mode's line, and the song's best under it.
    ResultBox = new ResultFrame(panel);
    ResultBox->setObjectName(QStringLiteral("ResultBox"));
    ResultBox->setGeometry(12, 233, 264, 32);
    ResultBox->hide();
    LabPractice = PlainLabel(QString(), panel);
    LabPractice->setObjectName(QStringLiteral("LabPractice"));
    LabPractice->setTextFormat(Qt::PlainText);
    LabPractice->setFont(PixelFont(QStringLiteral("楷体"), kResultPx));
    LabPractice->setStyleSheet(QStringLiteral("color: rgb(122,18,32); background: transparent;"));
    LabPractice->setGeometry(18, 234, 252, 15);
    LabBest = PlainLabel(QString(), panel);
    LabBest->setObjectName(QStringLiteral("LabBest"));
    LabBest->setTextFormat(Qt::PlainText);
    LabBest->setFont(LabPractice->font());
    LabBest->setStyleSheet(LabPractice->styleSheet());
    LabBest->setGeometry(18, 249, 252, 15);

    // Made last, so they lie over the cells and the arcs.
    for (QWidget*& frame : PickFrames)
        frame = new CellMark(panel, QColor(40, 90, 200), true);
    Mark = new CellMark(panel, QColor(230, 160, 40));
    WrongMark = new CellMark(panel, QColor(220, 30, 30));

    m_tick.setTimerType(Qt::PreciseTimer);
    m_tick.setInterval(8);
    connect(&m_tick, &QTimer::timeout, this, [this] {
        RunGuarded(m_dialogs, [this] { DemoTick(); });
        // A note that failed to load stopped the demo.
        if (m_mode == Mode::Demo && !m_demo.Running())
            EndDemo();
        else if (m_mode == Mode::Rhythm && !m_demo.Running())
            EndRhythm(false);
    });
    m_flash.setSingleShot(true);
    connect(&m_flash, &QTimer::timeout, WrongMark, &QWidget::hide);
}

PracticeBar::~PracticeBar()
{
    if (m_tempoKeep.isActive())
        KeepTempo();
}

void PracticeBar::KeepTempo()
{
    m_tempoKeep.stop();
    m_results.KeepTempo(m_tempoSong, Tempo->Value());
}

void PracticeBar::SongOpened(const QString& title)
{
    if (m_tempoKeep.isActive())
        KeepTempo();   // for the song that was on view
    m_tempoSong = title;
    if (const auto tempo = m_results.Tempo(title)) {
        m_restoringTempo = true;
        Tempo->SetValue(*tempo);
        m_restoringTempo = false;
    }
}

Timeline PracticeBar::PageTimeline(int song) const
{
    return BuildTimeline(m_library.Table(), song, FirstCellOfPage(m_view.viewPage()));
}

// From the pick when there is one, else from the page on view.
Timeline PracticeBar::StartTimeline(int song) const
{
    if (m_pick.Empty())
        return PageTimeline(song);
    return m_pick.Cut(BuildTimeline(m_library.Table(), song, 1));
}

QString PracticeBar::NothingToPlay() const
{
    return m_pick.Empty() ? QStringLiteral("从这一页起没有音符") : QStringLiteral("所选处没有音符");
}

void PracticeBar::ImgDemoClick()
{
    const Mode was = m_mode;
    Stop();
    const int song = m_view.shownSong();
    if (was == Mode::Demo || song <= 0)
        return;
    Timeline timeline = StartTimeline(song);
    const int unsounded = timeline.unsounded;
    DemoPlayer::Options options;
    options.clicks = m_metronome;
    options.beatsPerBar = m_view.beatsPerBar();
    options.loop = m_pick.Loops();
    if (!m_demo.Start(std::move(timeline), Tempo->Value(), options)) {
        Say(NothingToPlay());
        return;
    }
    Begin(Mode::Demo, unsounded ? QStringLiteral("有 %1 个音超出音域，只显示不发声").arg(unsounded) : QString());
    m_tick.start();
}

void PracticeBar::ImgFollowClick()
{
    const Mode was = m_mode;
    Stop();
    const int song = m_view.shownSong();
    if (was == Mode::Follow || song <= 0)
        return;
    Timeline timeline = StartTimeline(song);
    const int unsounded = timeline.unsounded;
    if (!m_follow.Start(std::move(timeline), m_pick.Loops())) {
        Say(m_pick.Empty() ? QStringLiteral("从这一页起没有可弹的音") : QStringLiteral("所选处没有可弹的音"));
        return;
    }
    Begin(Mode::Follow, unsounded ? QStringLiteral("有 %1 个音超出音域，跳过不弹").arg(unsounded)
                                  : QStringLiteral("请弹方框里的音"));
    m_followClock.start();
    AwaitTarget();
    AnnounceNotes(m_follow.Song());
}

void PracticeBar::ImgRhythmClick()
{
    if (m_mode == Mode::Rhythm) {
        EndRhythm(false);   // the count so far is shown, never kept as a best
        return;
    }
    Stop();
    const int song = m_view.shownSong();
    if (song <= 0)
        return;
    Timeline timeline = StartTimeline(song);
    DemoPlayer::Options options;
    options.notes = false;
    options.clicks = m_metronome;
    options.beatsPerBar = m_view.beatsPerBar();
    options.countIn = options.beatsPerBar;   // one bar
    options.loop = m_pick.Loops();
    m_judge.Start(0);
    m_mode = Mode::Rhythm;   // the first notes are awaited as Start schedules them
    if (!m_demo.Start(std::move(timeline), Tempo->Value(), options)) {
        m_mode = Mode::None;
        Say(NothingToPlay());
        return;
    }
    m_judge.SetRate(m_demo.Rate());
    Begin(Mode::Rhythm, QStringLiteral("听完一小节拍子后开始弹"));
    m_tick.start();
    AnnounceNotes(m_demo.Song());
}

void PracticeBar::AnnounceNotes(const Timeline& song)
{
    QStringList notes;
    for (const TimelineEvent& e : song.events)
        if (e.IsSounded() && !notes.contains(e.note))
            notes.push_back(e.note);
    Q_EMIT runNotes(notes);
}

void PracticeBar::WideKeysOpened(bool low)
{
    Say(m_line, low ? QStringLiteral("这首歌有低音，已打开宽键盘") : QStringLiteral("这首歌有高音，已打开宽键盘"));
}

void PracticeBar::Begin(Mode mode, const QString& says)
{
    m_mode = mode;
    m_wholeSong = m_pick.Empty() && m_view.viewPage() == 1;
    Light(mode == Mode::Demo ? ImgDemo : mode == Mode::Follow ? ImgFollow : ImgRhythm, true, PictureOf(mode));
    Say(says);
}

QString PracticeBar::PictureOf(Mode mode)
{
    switch (mode) {
    case Mode::Demo: return QStringLiteral("pic/demo");
    case Mode::Follow: return QStringLiteral("pic/follow");
    default: return QStringLiteral("pic/rhythm");
    }
}

void PracticeBar::Stop()
{
    if (m_mode == Mode::Demo || m_mode == Mode::Rhythm)
        m_demo.Stop();
    else if (m_mode == Mode::Follow)
        m_follow.Stop();
    Ended();
    Say(QString());
}

// Whatever ran is over: buttons up, marks and keys cleared; what the bar says stays.
void PracticeBar::Ended()
{
    m_mode = Mode::None;
    m_tick.stop();
    Light(ImgDemo, false, PictureOf(Mode::Demo));
    Light(ImgFollow, false, PictureOf(Mode::Follow));
    Light(ImgRhythm, false, PictureOf(Mode::Rhythm));
    HideMarks();
    ShowDemoKey(QString());
    m_awaitedKey.clear();
    Q_EMIT awaitedKey(QString());
}

void PracticeBar::DemoTick()
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

// The song played out: what the bar says stays until the next action.
void PracticeBar::EndDemo()
{
    m_demo.Stop();
    Ended();
}

void PracticeBar::EndRhythm(bool reachedEnd)
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

void PracticeBar::FollowDone()
{
    const Results::Follow r{m_follow.RightCount(), m_follow.WrongCount(), m_followClock.elapsed()};
    Ended();
    const QString title = m_view.title();
    if (m_wholeSong)
        m_results.OfferFollow(title, r);
    const auto best = m_results.BestFollow(title);
    Say(m_follow.Summary(r.ms), best ? Results::FollowText(*best) : QString());
}

void PracticeBar::SayTally(Judge::Verdict last)
{
    Say(Judge::Running(m_judge.Counts(), last));
}

void PracticeBar::ShowDemoKey(const QString& note)
{
    if (note == m_demoKey)
        return;
    if (!m_demoKey.isEmpty())
        Q_EMIT demoKey(m_demoKey, false);
    m_demoKey = note;
    if (!note.isEmpty())
        Q_EMIT demoKey(note, true);
}

void PracticeBar::AwaitTarget()
{
    MarkCell(m_follow.TargetCell());
    m_awaitedKey = m_follow.Song().events[size_t(m_follow.Target())].note;
    Q_EMIT awaitedKey(m_awaitedKey);
}

void PracticeBar::FlashWrong(int cell, const QString& note)
{
    const int position = PositionOfCell(cell);
    if (PageOfCell(cell) == m_view.viewPage()) {
        WrongMark->setGeometry(m_grid.Cells[size_t(position - 1)]->geometry().adjusted(-2, -2, 2, 2));
        WrongMark->show();
        m_flash.start(kFlashMs);
    }
    Q_EMIT wrongKey(note);
}

void PracticeBar::NotePlayed(const QString& note, qint64 ageMs)
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
        WrongMark->hide();
        Say(m_follow.Summary(m_followClock.elapsed()));
        m_follow.ResetCounts();
        m_followClock.restart();
        AwaitTarget();
        return;
    case FollowMode::Press::Right:
        WrongMark->hide();
        if (!m_follow.Finished())
            AwaitTarget();
        else
            FollowDone();
        return;
    }
}

void PracticeBar::CellClicked(int position, bool extend)
{
    if (m_mode != Mode::None || m_view.shownSong() <= 0 || position < 1 || position > Score::CellsPerPage)
        return;
    m_pick.Click(FirstCellOfPage(m_view.viewPage()) + position - 1, extend);
    ShowPick();
}

void PracticeBar::ClearPick()
{
    m_pick.Clear();
    ShowPick();
}

void PracticeBar::ShowPick()
{
    const int pageFirst = FirstCellOfPage(m_view.viewPage());
    for (int line = 0; line < Score::LinesPerPage; ++line) {
        QWidget* frame = PickFrames[size_t(line)];
        const int lineFirst = pageFirst + line * Score::CellsPerLine;
        const int from = std::max(lineFirst, m_pick.First());
        const int to = std::min(lineFirst + Score::CellsPerLine - 1, m_pick.Last());
        if (m_pick.Empty() || from > to) {
            frame->hide();
            continue;
        }
        const QRect a = m_grid.Cells[size_t(PositionOfCell(from) - 1)]->geometry();
        const QRect b = m_grid.Cells[size_t(PositionOfCell(to) - 1)]->geometry();
        frame->setGeometry(a.united(b).adjusted(-3, -3, 3, 3));
        frame->show();
    }
}

// The box goes over the cell, on its page: the view turns on to it when it is further on.
void PracticeBar::MarkCell(int cell)
{
    if (cell == m_markedCell && !Mark->isHidden())
        return;
    const int page = PageOfCell(cell);
    if (m_view.viewPage() != page)
        m_view.showPage(page);   // on, or back to a passage's start
    if (m_view.viewPage() != page) {
        HideMarks();
        return;
    }
    Mark->setGeometry(m_grid.Cells[size_t(PositionOfCell(cell) - 1)]->geometry().adjusted(-2, -2, 2, 2));
    Mark->show();
    m_markedCell = cell;
}

void PracticeBar::HideMarks()
{
    Mark->hide();
    WrongMark->hide();
    m_flash.stop();
    m_markedCell = 0;
}

void PracticeBar::Say(const QString& text, const QString& best)
{
    m_line = text;
    for (auto [label, line] : {std::pair{LabPractice, text}, std::pair{LabBest, best}}) {
        // A long line takes a smaller face before it is cut short.
        QFont font = label->font();
        for (int px = kResultPx; px >= 10; --px) {
            font.setPixelSize(px);
            if (QFontMetrics(font).horizontalAdvance(line) <= label->width())
                break;
        }
        label->setFont(font);
        label->setText(QFontMetrics(font).elidedText(line, Qt::ElideRight, label->width()));
        label->setToolTip(PlainToolTip(line));
    }
    // One line alone stands in the middle of the box.
    const QRect box = ResultBox->geometry();
    LabPractice->move(LabPractice->x(), best.isEmpty() ? box.y() + (box.height() - LabPractice->height()) / 2 : box.y() + 1);
    ResultBox->setVisible(!text.isEmpty() || !best.isEmpty());
}

// A running mode's button stays down.
void PracticeBar::Light(TImageButton* button, bool on, const QString& picture)
{
    button->SetPictureUp(ResourceImage(picture + (on ? QStringLiteral("_down.png") : QStringLiteral(".png"))));
    button->ShowUp();
}
