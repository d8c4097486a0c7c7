#include "ui/widgets/SignedGlyph.h"
#include "ui/widgets/Resources.h"
#include "ui/widgets/ScoreGrid.h"
#include <QHash>
#include <QPainter>

QString SignPicturePath(CellSign sign)
{
    switch (sign) {
    case CellSign::Sharp: return QStringLiteral("glyph/SIGN_SHARP.png");
    case CellSign::Flat: return QStringLiteral("glyph/SIGN_FLAT.png");
    case CellSign::Natural: return QStringLiteral("glyph/SIGN_NATURAL.png");
    }
    return {};
}

const QPixmap& SignedGlyphPixmap(const QString& glyph, CellSign sign, int scale)
{
    static QHash<QString, QPixmap> cache;
    const QString key = QStringLiteral("%1/%2/%3").arg(glyph).arg(int(sign)).arg(scale);
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    const QPixmap& plain = GlyphPixmap(glyph, scale);
    QPixmap composed;
    if (!plain.isNull()) {
        const QString path = SignPicturePath(sign);
        const QImage overlay = scale == PictureScale() ? ResourceImage(path) : ReadResourceImage(path, scale);
        QImage img = plain.toImage().convertToFormat(QImage::Format_RGB32);
        QPainter p(&img);
        p.drawImage(QPoint(0, 0), overlay);   // both carry the same device pixel ratio
        p.end();
        composed = QPixmap::fromImage(img);
    }
    return *cache.insert(key, composed);
}

const QPixmap& SignedGlyphPixmap(const QString& glyph, CellSign sign)
{
    return SignedGlyphPixmap(glyph, sign, PictureScale());
}
