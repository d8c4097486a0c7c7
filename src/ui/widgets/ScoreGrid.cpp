#include "ui/widgets/ScoreGrid.h"
#include "core/score/SongRecord.h"
#include "ui/widgets/Resources.h"
#include <QHash>
#include <QImage>
#include <algorithm>
#include <QLabel>

namespace {
QHash<QString, QPixmap>& Cache()
{
    static QHash<QString, QPixmap> cache;
    return cache;
}
}

// The arc is stored black on white like every glyph, but drawn over neighbouring cells
// and over the dark panel: white becomes transparent, and a faint cream halo keeps the
// curve visible where it leaves the sheet.
QImage ArcOverlay(const QImage& stored)
{
    if (stored.isNull())
        return stored;
    const QImage src = stored.convertToFormat(QImage::Format_Grayscale8);
    QImage out(src.size(), QImage::Format_ARGB32);
    out.setDevicePixelRatio(stored.devicePixelRatio());
    const int w = src.width(), h = src.height();
    const int r = std::max(1, qRound(stored.devicePixelRatio()));   // the halo is one logical pixel
    auto ink = [&](int x, int y) { return 255 - src.constScanLine(y)[x]; };
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            int halo = 0;
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx)
                    if (x + dx >= 0 && x + dx < w && y + dy >= 0 && y + dy < h)
                        halo = std::max(halo, ink(x + dx, y + dy));
            const int a = ink(x, y);
            const int haloA = halo * 3 / 5;
            // Black curve over the cream halo (premultiplied "over").
            const int outA = a + haloA * (255 - a) / 255;
            const int c = outA ? (255 * haloA * (255 - a) / 255) / outA : 0;
            row[x] = qRgba(c, c * 251 / 255, c * 240 / 255, outA);
        }
    }
    return out;
}

const QPixmap& GlyphPixmap(const QString& name, int scale)
{
    auto& cache = Cache();
    const QString key = scale > 1 ? name + QStringLiteral("@2x") : name;
    auto it = cache.constFind(key);
    if (it == cache.constEnd()) {
        // The picture shown on screen comes from the shared cache (decoded ahead); print's own
        // scale is read apart.
        const QString path = QStringLiteral("glyph/") + name + QStringLiteral(".png");
        QImage img = scale == PictureScale() ? ResourceImage(path) : ReadResourceImage(path, scale);
        if (name == QLatin1String("NOTE_9004"))
            img = ArcOverlay(img);
        it = cache.insert(key, QPixmap::fromImage(img));
    }
    return *it;
}

const QPixmap& GlyphPixmap(const QString& name)
{
    return GlyphPixmap(name, PictureScale());
}

void PreloadGlyphs()
{
    for (const QString& n : GlyphNames())
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
