#include "ui/widgets/PlainText.h"
#include <QTextDocument>

QString PlainToolTip(const QString& text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<p style='white-space:pre-wrap'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

QString PlainMenuText(QString text)
{
    return text.replace(u'&', QStringLiteral("&&"));
}
