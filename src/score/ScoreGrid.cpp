#include "score/ScoreGrid.h"
#include "score/SongRecord.h"
#include <QHash>
#include <QLabel>

namespace {
QHash<QString, QPixmap>& Cache()
{
    static QHash<QString, QPixmap> cache;
    return cache;
}

QStringList AllGlyphNames()
{
    QStringList names{QStringLiteral("NOTE_000"), QStringLiteral("NOTE_010"), QStringLiteral("NOTE_020")};
    for (int d = 1; d <= 7; ++d)
        for (int l = 0; l <= 2; ++l)
            for (int h = 0; h <= 2; ++h)
                names << QStringLiteral("NOTE_%1%2%3").arg(d).arg(l).arg(h);
    for (const char* s : {"9000", "9001", "9002", "9003", "9005", "9101", "9201", "9004"})
        names << QStringLiteral("NOTE_") + QLatin1String(s);
    return names;
}
}

const QPixmap& GlyphPixmap(const QString& name)
{
    auto& cache = Cache();
    auto it = cache.constFind(name);
    if (it == cache.constEnd())
        it = cache.insert(name, QPixmap(QStringLiteral(":/glyph/") + name + QStringLiteral(".png")));
    return *it;
}

void PreloadGlyphs()
{
    for (const QString& n : AllGlyphNames())
        GlyphPixmap(n);
}

int GlyphCacheSize()
{
    return int(Cache().size());
}

void ShowGlyph(QLabel* cell, const QString& name)
{
    const QPixmap& pm = GlyphPixmap(name);
    const QPixmap shown = cell->pixmap();
    if (shown.isNull() ? pm.isNull() : shown.cacheKey() == pm.cacheKey())
        return;
    if (pm.isNull())
        cell->clear();
    else
        cell->setPixmap(pm);
}

void SetCaption(QLabel* label, const QString& text)
{
    label->setText(text);
    label->adjustSize();
}

void PlaceArc(QLabel* arc, const QLabel* cell, int length)
{
    arc->setGeometry(cell->x() + 8, cell->y() - 27, length * cell->width(), arc->height());
    arc->show();
}

UpdatesHold::UpdatesHold(std::initializer_list<QWidget*> widgets)
{
    for (QWidget* w : widgets)
        if (w && w->updatesEnabled()) {
            w->setUpdatesEnabled(false);
            m_held.emplace_back(w);
        }
}

UpdatesHold::~UpdatesHold()
{
    for (const auto& w : m_held)
        if (w)
            w->setUpdatesEnabled(true);
}
