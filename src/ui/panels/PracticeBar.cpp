#include "ui/panels/PracticeBar.h"
#include "core/library/SongLibrary.h"
#include "core/sound/NotePlayer.h"
#include "ui/widgets/Guard.h"
#include "ui/widgets/CellMark.h"
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

constexpr int FlashMs = 300;
constexpr int ResultPx = 14;   // the result lines' face, smaller when a line is long

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
    : QObject(panel), m_grid(grid), m_session(dialogs, library.Table(), output, std::move(view))
{
    m_session.SetMarks(library.Marks());
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
    GuardedConnect(dialogs, ImgDemo, &TImageButton::clicked, this, &PracticeBar::ImgDemoClick);
    GuardedConnect(dialogs, ImgFollow, &TImageButton::clicked, this, &PracticeBar::ImgFollowClick);
    GuardedConnect(dialogs, ImgRhythm, &TImageButton::clicked, this, &PracticeBar::ImgRhythmClick);

    Tempo = new TempoControl(panel, DemoPlayer::MinTempo, DemoPlayer::MaxTempo, DemoPlayer::DefaultTempo);
    Tempo->setObjectName(QStringLiteral("Tempo"));
    Tempo->setGeometry(185, 272, 70, 22);
    connect(Tempo, &TempoControl::valueChanged, &m_session, &PracticeSession::SetTempo);
    connect(&m_session, &PracticeSession::tempoRestored, Tempo, &TempoControl::SetValue);

    // On the sheet's lower edge, left of the page number and clear of it, in a box of their
    // own: the mode's line, and the song's best under it.
    ResultBox = new ResultFrame(panel);
    ResultBox->setObjectName(QStringLiteral("ResultBox"));
    ResultBox->setGeometry(12, 233, 264, 32);
    ResultBox->hide();
    LabPractice = PlainLabel(QString(), panel);
    LabPractice->setObjectName(QStringLiteral("LabPractice"));
    LabPractice->setTextFormat(Qt::PlainText);
    LabPractice->setFont(PixelFont(QStringLiteral("楷体"), ResultPx));
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
        frame = new CellMark(panel, QColor(40, 90, 200), CellMark::Look::Frame);
    Mark = new CellMark(panel, QColor(230, 160, 40));
    WrongMark = new CellMark(panel, QColor(220, 30, 30));
    m_flash.setSingleShot(true);
    connect(&m_flash, &QTimer::timeout, WrongMark, &QWidget::hide);

    connect(&m_session, &PracticeSession::modeChanged, this, &PracticeBar::ShowMode);
    connect(&m_session, &PracticeSession::markCell, this, &PracticeBar::MarkCell);
    connect(&m_session, &PracticeSession::flashWrong, this, &PracticeBar::FlashWrong);
    connect(&m_session, &PracticeSession::clearWrong, WrongMark, &QWidget::hide);
    connect(&m_session, &PracticeSession::say, this, &PracticeBar::Say);
    connect(&m_session, &PracticeSession::pickChanged, this, &PracticeBar::ShowPick);
    connect(&m_session, &PracticeSession::demoKey, this, &PracticeBar::demoKey);
    connect(&m_session, &PracticeSession::awaitedKey, this, &PracticeBar::awaitedKey);
    connect(&m_session, &PracticeSession::wrongKey, this, &PracticeBar::wrongKey);
    connect(&m_session, &PracticeSession::runNotes, this, &PracticeBar::runNotes);
}

QString PracticeBar::PictureOf(Mode mode)
{
    switch (mode) {
    case Mode::Demo: return QStringLiteral("pic/demo");
    case Mode::Follow: return QStringLiteral("pic/follow");
    default: return QStringLiteral("pic/rhythm");
    }
}

// A running mode's button stays down.
void PracticeBar::ShowMode(Mode mode)
{
    for (const Mode m : {Mode::Demo, Mode::Follow, Mode::Rhythm})
        Light(m == Mode::Demo ? ImgDemo : m == Mode::Follow ? ImgFollow : ImgRhythm, m == mode, PictureOf(m));
}

void PracticeBar::FlashWrong(int cell)
{
    WrongMark->setGeometry(m_grid.Cells[size_t(PositionOfCell(cell) - 1)]->geometry().adjusted(-2, -2, 2, 2));
    WrongMark->show();
    m_flash.start(FlashMs);
}

void PracticeBar::ShowPick()
{
    const Passage& pick = m_session.Pick();
    const int pageFirst = FirstCellOfPage(m_session.ViewPage());
    for (int line = 0; line < Score::LinesPerPage; ++line) {
        QWidget* frame = PickFrames[size_t(line)];
        const int lineFirst = pageFirst + line * Score::CellsPerLine;
        const int from = std::max(lineFirst, pick.First());
        const int to = std::min(lineFirst + Score::CellsPerLine - 1, pick.Last());
        if (pick.Empty() || from > to) {
            frame->hide();
            continue;
        }
        const QRect a = m_grid.Cells[size_t(PositionOfCell(from) - 1)]->geometry();
        const QRect b = m_grid.Cells[size_t(PositionOfCell(to) - 1)]->geometry();
        frame->setGeometry(a.united(b).adjusted(-3, -3, 3, 3));
        frame->show();
    }
}

// The session turned the page to the cell first; 0 takes every mark away.
void PracticeBar::MarkCell(int cell)
{
    if (cell <= 0) {
        Mark->hide();
        WrongMark->hide();
        m_flash.stop();
        return;
    }
    Mark->setGeometry(m_grid.Cells[size_t(PositionOfCell(cell) - 1)]->geometry().adjusted(-2, -2, 2, 2));
    Mark->show();
}

void PracticeBar::Say(const QString& text, const QString& best)
{
    for (auto [label, line] : {std::pair{LabPractice, text}, std::pair{LabBest, best}}) {
        // A long line takes a smaller face before it is cut short.
        QFont font = label->font();
        for (int px = ResultPx; px >= 10; --px) {
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
