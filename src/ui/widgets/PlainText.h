#pragma once
// Text from a file, a user or the network is never markup. Qt guesses rich text from a
// text's look (a title "<h1>…" or "<img src=…>"), so every label and box that can show
// such a text is made here, with the guess turned off.
#include <QLabel>
#include <QString>

// A label that shows its text as it is.
template <class Label = QLabel>
Label* PlainLabel(const QString& text, QWidget* parent)
{
    auto* l = new Label(text, parent);
    l->setTextFormat(Qt::PlainText);
    return l;
}

// A tooltip that shows text as it is. Tooltips have no text format of their own, so a
// text that looks like markup goes escaped inside markup of ours; others stay as they are.
QString PlainToolTip(const QString& text);

// A menu entry that shows text as it is ("&" would mark a shortcut key).
QString PlainMenuText(QString text);
