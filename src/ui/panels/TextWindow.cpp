#include "ui/panels/TextWindow.h"
#include "core/formats/JianpuText.h"
#include "ui/widgets/Styles.h"
#include <QFontDatabase>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QTextBlock>
#include <QTimer>

namespace {
// A song's line holds a few dozen cells; a longer one is no song.
constexpr qsizetype LineChars = 4000;

qsizetype LongestLine(QStringView text)
{
    qsizetype longest = 0, line = 0;
    for (const QChar c : text) {
        if (c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            line = 0;
            continue;
        }
        longest = std::max(longest, ++line);
    }
    return longest;
}
}

BoundedTextBox::BoundedTextBox(qsizetype limit, qsizetype lineLimit, QWidget* parent)
    : QPlainTextEdit(parent), m_limit(limit), m_lineLimit(lineLimit)
{
}

void BoundedTextBox::insertFromMimeData(const QMimeData* source)
{
    if (source && source->hasText()) {
        const QString text = source->text();
        const qsizetype size = text.size();
        if (size + document()->characterCount() > m_limit) {
            Q_EMIT refused(QStringLiteral("粘贴的文本太长（%1 个字符），最多 %2 个，没有粘贴。").arg(size).arg(m_limit));
            return;
        }
        // The pasted lines join the one the caret is on.
        const qsizetype line = LongestLine(text) + textCursor().block().text().size();
        if (line > m_lineLimit) {
            Q_EMIT refused(QStringLiteral("粘贴的文本有一行太长（%1 个字符），一行最多 %2 个，没有粘贴。")
                               .arg(line)
                               .arg(m_lineLimit));
            return;
        }
    }
    QPlainTextEdit::insertFromMimeData(source);
}

TextWindow::TextWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TextWindow"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#TextWindow { background: black; }"));
    setGeometry(parent->rect());

    TextBox = new BoundedTextBox(Jianpu::MaxTextChars, LineChars, this);
    TextBox->setObjectName(QStringLiteral("TextBox"));
    TextBox->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    TextBox->setLineWrapMode(QPlainTextEdit::NoWrap);
    TextBox->setTabChangesFocus(true);
    TextBox->setStyleSheet(QStringLiteral("QPlainTextEdit { background: rgb(255,251,240); color: black; }"));
    TextBox->setGeometry(10, 10, width() - 20, height() - 60);

    StatusLine = new QLabel(this);
    StatusLine->setObjectName(QStringLiteral("StatusLine"));
    StatusLine->setTextFormat(Qt::PlainText);
    StatusLine->setStyleSheet(CreamTextStyle);
    StatusLine->setFont(PixelFont(QStringLiteral("微软雅黑"), 14));
    StatusLine->setGeometry(10, height() - 46, width() - 190, 40);
    StatusLine->setWordWrap(true);
    StatusLine->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    OkButton = new QPushButton(QStringLiteral("确定"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setToolTip(QStringLiteral("Ctrl+Return"));
    OkButton->setGeometry(width() - 170, height() - 40, 75, 28);
    CancelButton = new QPushButton(QStringLiteral("取消"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(width() - 85, height() - 40, 75, 28);
    connect(OkButton, &QPushButton::clicked, this, &TextWindow::OkClick);
    connect(CancelButton, &QPushButton::clicked, this, &TextWindow::CancelClick);
    for (const QKeySequence& k : {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
        connect(new QShortcut(k, this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut), &QShortcut::activated, this,
                &TextWindow::OkClick);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut),
            &QShortcut::activated, this, &TextWindow::CancelClick);

    // The line follows the typing, read again once the keys rest a moment.
    m_recheck = new QTimer(this);
    m_recheck->setSingleShot(true);
    m_recheck->setInterval(150);
    connect(m_recheck, &QTimer::timeout, this, &TextWindow::RefreshStatus);
    connect(TextBox, &QPlainTextEdit::textChanged, m_recheck, qOverload<>(&QTimer::start));
    connect(TextBox, &BoundedTextBox::refused, StatusLine, &QLabel::setText);
    hide();
}

void TextWindow::Open(const QString& text)
{
    TextBox->setPlainText(text);
    TextBox->moveCursor(QTextCursor::End);
    RefreshStatus();
    show();
    raise();
    TextBox->setFocus();
}

void TextWindow::RefreshStatus()
{
    m_recheck->stop();
    if (Check)
        StatusLine->setText(Check(TextBox->toPlainText()));
}

void TextWindow::OkClick()
{
    const QString why = Accept ? Accept(TextBox->toPlainText()) : QString();
    if (!why.isEmpty()) {
        m_recheck->stop();
        StatusLine->setText(why);
        return;
    }
    CancelClick();
}

void TextWindow::CancelClick()
{
    m_recheck->stop();
    hide();
    // The keys go back to the piano.
    if (QWidget* w = window())
        w->setFocus();
}
