#include "ui/panels/HelpPanel.h"
#include "ui/widgets/ClickLabel.h"
#include "ui/widgets/ScoreGrid.h"
#include "ui/widgets/Styles.h"
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextFrame>

namespace {
// The Windows "hot-light" colour (hyperlink blue); Qt has no such role.
const QColor HotLight(0, 102, 204);
constexpr int MemoLineHeight = 16;   // eleven lines fill the 176 px box exactly
}

HelpPanel::HelpPanel(QWidget* parent, IDialogs& dialogs)
    : TPanel(parent, dialogs, QStringLiteral("GBxHelp"), 624, 270)
{
    CloseLabel()->move(604, 6);
    const QFont kai = PixelFont(QStringLiteral("楷体"), 19);

    LabHelpTitle = NewText<QLabel>(QStringLiteral("LabHelpTitle"), m_walk.title(), 262, 19,
                                   PixelFont(QStringLiteral("微软雅黑"), 21), CreamTextStyle);
    LabHelpPre = NewText<ClickLabel>(QStringLiteral("LabHelpPre"), QStringLiteral("上一页"), 456, 36, kai,
                                     CreamTextStyle);
    LabHelpNex = NewText<ClickLabel>(QStringLiteral("LabHelpNex"), QStringLiteral("下一页"), 539, 36, kai,
                                     CreamTextStyle);

    MemHelpInfo = new QTextEdit(this);
    MemHelpInfo->setObjectName(QStringLiteral("MemHelpInfo"));
    MemHelpInfo->setReadOnly(true);
    MemHelpInfo->setFrameShape(QFrame::NoFrame);
    MemHelpInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemHelpInfo->setFont(PixelFont(QStringLiteral("幼圆"), 16));
    // A fixed line height puts the baseline at four fifths of the line, so a tall font
    // reaches above the first line: the box grows upwards by that much, and the lines
    // stay where the layout has them.
    m_memoHeadroom = qMax(1, QFontMetrics(MemHelpInfo->font()).ascent() - MemoLineHeight * 4 / 5);
    MemHelpInfo->setGeometry(26, 73 - m_memoHeadroom, 570, 176 + m_memoHeadroom);
    MemHelpInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);   // every page fits
    MemHelpInfo->document()->setDocumentMargin(0);
    QPalette pal = MemHelpInfo->palette();
    pal.setColor(QPalette::Base, QColor(255, 251, 240));
    pal.setColor(QPalette::Text, HotLight);
    MemHelpInfo->setPalette(pal);

    LabTab3PgId = NewText<ClickLabel>(QStringLiteral("LabTab3PgId"), m_walk.number(), 288, 247,
                                      PixelFont(QStringLiteral("宋体"), 16), CreamTextStyle);

    Wire(LabHelpPre, &ClickLabel::clicked, &HelpPanel::LabHelpPreClick);
    Wire(LabHelpNex, &ClickLabel::clicked, &HelpPanel::LabHelpNexClick);
    Wire(LabTab3PgId, &ClickLabel::clicked, &HelpPanel::LabHelpPreClick);
}

void HelpPanel::Opened()
{
    if (m_walk.page() == 1)
        ShowCurrentPage();
}

void HelpPanel::LabHelpPreClick()
{
    if (m_walk.previous())
        ShowCurrentPage();
}

void HelpPanel::LabHelpNexClick()
{
    if (m_walk.next())
        ShowCurrentPage();
}

void HelpPanel::ShowCurrentPage()
{
    MemHelpInfo->setPlainText(m_walk.text());
    // Lines sit 16 px apart, so the eleven lines of a page fill the box as they were laid out.
    QTextCursor all(MemHelpInfo->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat pitch;
    pitch.setLineHeight(MemoLineHeight, QTextBlockFormat::FixedHeight);
    all.mergeBlockFormat(pitch);
    QTextFrameFormat frame = MemHelpInfo->document()->rootFrame()->frameFormat();
    frame.setTopMargin(m_memoHeadroom);
    MemHelpInfo->document()->rootFrame()->setFrameFormat(frame);
    SetCaption(LabHelpTitle, m_walk.title());
    SetCaption(LabTab3PgId, m_walk.number());
}
