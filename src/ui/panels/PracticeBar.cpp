#include "ui/panels/PracticeBar.h"
#include "core/library/SongLibrary.h"
#include "core/sound/NotePlayer.h"
#include "ui/shell/Guard.h"
#include "ui/widgets/ClickLabel.h"
#include "ui/widgets/PlainText.h"
#include "ui/widgets/GlyphGrid.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/Resources.h"
#include "ui/widgets/Styles.h"
#include "ui/widgets/TempoControl.h"
#include <QPainter>

namespace {

// A see-through coloured box over a cell; clicks go through it.
class CellMark : public QWidget {
public:
    CellMark(QWidget* parent, const QColor& colour) : QWidget(parent), m_colour(colour)
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
        fill.setAlpha(70);
        QColor edge = m_colour;
        edge.setAlpha(190);
        p.setPen(QPen(edge, 1.5));
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
    }

private:
    QColor m_colour;
};

constexpr int kFlashMs = 300;

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
    GuardedConnect(m_dialogs, ImgDemo, &TImageButton::clicked, this, &PracticeBar::ImgDemoClick);
    GuardedConnect(m_dialogs, ImgFollow, &TImageButton::clicked, this, &PracticeBar::ImgFollowClick);

    Tempo = new TempoControl(panel, DemoPlayer::MinTempo, DemoPlayer::MaxTempo, DemoPlayer::DefaultTempo);
    Tempo->setObjectName(QStringLiteral("Tempo"));
    Tempo->setGeometry(185, 272, 70, 22);
    connect(Tempo, &TempoControl::valueChanged, this, [this](int tempo) { m_demo.SetTempo(tempo); });

    // On the sheet, left of the page number.
    LabPractice = PlainLabel(QString(), panel);
    LabPractice->setObjectName(QStringLiteral("LabPractice"));
    LabPractice->setFont(PixelFont(QStringLiteral("楷体"), 15));
    LabPractice->setStyleSheet(QStringLiteral("color: rgb(122,18,32); background: transparent;"));
    LabPractice->setGeometry(24, 246, 260, 19);

    // Made last, so they lie over the cells and the arcs.
    Mark = new CellMark(panel, QColor(230, 160, 40));
    WrongMark = new CellMark(panel, QColor(220, 30, 30));

    m_tick.setTimerType(Qt::PreciseTimer);
    m_tick.setInterval(8);
    connect(&m_tick, &QTimer::timeout, this, [this] {
        RunGuarded(m_dialogs, [this] { DemoTick(); });
        // A note that failed to load stopped the demo.
        if (m_mode == Mode::Demo && !m_demo.Running())
            EndDemo();
    });
    m_flash.setSingleShot(true);
    connect(&m_flash, &QTimer::timeout, WrongMark, &QWidget::hide);
}

Timeline PracticeBar::PageTimeline(int song) const
{
    return BuildTimeline(m_library.Table(), song, FirstCellOfPage(m_view.viewPage()));
}

void PracticeBar::ImgDemoClick()
{
    const Mode was = m_mode;
    Stop();
    const int song = m_view.shownSong();
    if (was == Mode::Demo || song <= 0)
        return;
    Timeline timeline = PageTimeline(song);
    const int unsounded = timeline.unsounded;
    if (!m_demo.Start(std::move(timeline), Tempo->Value())) {
        Say(QStringLiteral("从这一页起没有音符"));
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
    Timeline timeline = PageTimeline(song);
    const int unsounded = timeline.unsounded;
    if (!m_follow.Start(std::move(timeline))) {
        Say(QStringLiteral("从这一页起没有可弹的音"));
        return;
    }
    Begin(Mode::Follow, unsounded ? QStringLiteral("有 %1 个音超出音域，跳过不弹").arg(unsounded)
                                  : QStringLiteral("请弹方框里的音"));
    m_followClock.start();
    MarkCell(m_follow.TargetCell());
}

void PracticeBar::Begin(Mode mode, const QString& says)
{
    m_mode = mode;
    Light(mode == Mode::Demo ? ImgDemo : ImgFollow, true,
          mode == Mode::Demo ? QStringLiteral("pic/demo") : QStringLiteral("pic/follow"));
    Say(says);
}

void PracticeBar::Stop()
{
    if (m_mode == Mode::Demo)
        m_demo.Stop();
    else if (m_mode == Mode::Follow)
        m_follow.Stop();
    m_mode = Mode::None;
    m_tick.stop();
    Light(ImgDemo, false, QStringLiteral("pic/demo"));
    Light(ImgFollow, false, QStringLiteral("pic/follow"));
    HideMarks();
    Say(QString());
}

void PracticeBar::DemoTick()
{
    if (m_mode != Mode::Demo)
        return;
    const DemoPlayer::Position at = m_demo.Tick();
    if (at.finished) {
        EndDemo();
        return;
    }
    if (at.event < 0)
        HideMarks();   // the lead-in
    else
        MarkCell(m_demo.Song().events[size_t(at.event)].cell);
}

// The song played out: what the bar says stays until the next action.
void PracticeBar::EndDemo()
{
    m_tick.stop();
    m_demo.Stop();
    m_mode = Mode::None;
    Light(ImgDemo, false, QStringLiteral("pic/demo"));
    HideMarks();
}

void PracticeBar::NotePlayed(const QString& note)
{
    if (m_mode != Mode::Follow)
        return;
    switch (m_follow.Play(note)) {
    case FollowMode::Press::Ignored:
        return;
    case FollowMode::Press::Wrong: {
        const int position = PositionOfCell(m_follow.TargetCell());
        WrongMark->setGeometry(m_grid.Cells[size_t(position - 1)]->geometry().adjusted(-2, -2, 2, 2));
        WrongMark->show();
        m_flash.start(kFlashMs);
        return;
    }
    case FollowMode::Press::Right:
        WrongMark->hide();
        if (!m_follow.Finished()) {
            MarkCell(m_follow.TargetCell());
            return;
        }
        m_mode = Mode::None;
        Light(ImgFollow, false, QStringLiteral("pic/follow"));
        HideMarks();
        Say(m_follow.Summary(m_followClock.elapsed()));
        return;
    }
}

// The box goes over the cell, on its page: the view turns on to it when it is further on.
void PracticeBar::MarkCell(int cell)
{
    if (cell == m_markedCell && !Mark->isHidden())
        return;
    const int page = PageOfCell(cell);
    for (int turns = 0; m_view.viewPage() < page && turns < Score::ViewPageLimit; ++turns)
        m_view.nextPage();
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

void PracticeBar::Say(const QString& text)
{
    LabPractice->setText(LabPractice->fontMetrics().elidedText(text, Qt::ElideRight, LabPractice->width()));
    LabPractice->setToolTip(PlainToolTip(text));
}

// A running mode's button stays down.
void PracticeBar::Light(TImageButton* button, bool on, const QString& picture)
{
    button->SetPictureUp(ResourceImage(picture + (on ? QStringLiteral("_down.png") : QStringLiteral(".png"))));
    button->ShowUp();
}
