#include "core/score/SongRecord.h"
#include <QStringEncoder>

namespace {
qsizetype EncodedSize(const QString& s)
{
    QStringEncoder enc("GBK");
    return QByteArray(enc(s)).size();
}
}

int GbkLength(const QString& text)
{
    return int(EncodedSize(text));
}

QString GbkCut(const QString& text, int maxBytes)
{
    if (maxBytes <= 0)
        return QString();
    // Most stored values are short ASCII and can be decided without encoding: a character
    // takes one GBK byte below 0x80 and at most two otherwise.
    bool ascii = true;
    for (const QChar c : text)
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return text.left(maxBytes);
    if (text.size() * 2 <= maxBytes)
        return text;
    if (EncodedSize(text) <= maxBytes)
        return text;
    return CutEncoded(text, maxBytes, "GBK");
}

QString CutEncoded(const QString& text, int maxBytes, const char* encoding)
{
    // Walk whole characters (surrogate pairs kept together) until the next one would not fit.
    QStringEncoder enc(encoding);
    qsizetype used = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype len = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const qsizetype bytes = QByteArray(enc(QStringView(text).mid(i, len))).size();
        if (used + bytes > maxBytes)
            break;
        used += bytes;
        i += len;
    }
    return text.left(i);
}

QString StorableText(const QString& text, int maxBytes)
{
    QString out;
    QStringEncoder toGbk("GBK");
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView c = QStringView(text).mid(i, len);
        i += len - 1;
        const QChar::Category kind = c.at(0).category();
        if (kind == QChar::Other_Control || kind == QChar::Other_Format)
            continue;
        // The encoder works only when its result is taken.
        const QByteArray bytes = toGbk.encode(c);
        if (toGbk.hasError() || bytes.isEmpty() || c.at(0) == QChar::ReplacementCharacter) {
            toGbk = QStringEncoder("GBK");   // its error stays set through resetState()
            out += u'?';
            continue;
        }
        out += c;
    }
    return GbkCut(out.trimmed(), maxBytes);
}

QString Excerpt(QStringView text, int chars)
{
    if (text.size() <= chars)
        return text.toString();
    qsizetype cut = chars;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.first(cut).toString() + u'…';
}
