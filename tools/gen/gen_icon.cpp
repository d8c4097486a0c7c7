// The program's icon at every size a desktop asks for: a black lacquered tile with a cream
// keyboard, in the colours of the window.
#include "gen.h"
#include "gen_art.h"
#include <QDir>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

QImage Icon(int s)
{
    QImage img(s, s, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    const qreal inset = s <= 16 ? 0.5 : s * 0.04;
    const QRectF tile(inset, inset, s - 2 * inset, s - 2 * inset);
    const qreal radius = s * 0.18;
    QLinearGradient body(0, tile.top(), 0, tile.bottom());
    body.setColorAt(0.0, art::LacquerTop.lighter(125));
    body.setColorAt(0.45, art::LacquerMid);
    body.setColorAt(1.0, art::LacquerBottom);
    QPainterPath path;
    path.addRoundedRect(tile, radius, radius);
    p.fillPath(path, body);
    p.setPen(QPen(art::GoldGradient(tile.top(), tile.bottom()), std::max(1.0, s / 48.0)));
    p.drawPath(path);

    // Keys on whole pixels: at 16 pixels a half pixel smears them into grey.
    const int n = s < 32 ? 3 : 5;
    const int kw = std::max(3, int(std::lround(s * 0.68 / n)));
    const int left = (s - kw * n) / 2;
    const int top = int(std::lround(s * 0.34));
    const int bottom = int(std::lround(s * 0.80));
    const QRect keys(left, top, kw * n, bottom - top);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(keys, art::Cream);
    p.setPen(QColor(120, 112, 100));
    for (int i = 1; i < n; ++i)
        p.drawLine(keys.left() + i * kw, keys.top(), keys.left() + i * kw, keys.bottom());
    // Black keys after c, d and f, as on a real keyboard.
    const int bw = std::max(2, kw * 3 / 5);
    const int bh = keys.height() * 3 / 5;
    for (int i = 0; i + 1 < n; ++i) {
        if (i == 2)
            continue;
        p.fillRect(QRect(keys.left() + (i + 1) * kw - bw / 2, keys.top(), bw, bh), QColor(14, 12, 13));
    }
    // The fallboard's gold rule above the keys.
    const int rule = std::max(1, s / 32);
    p.fillRect(QRect(keys.left(), keys.top() - rule - std::max(1, s / 24), keys.width(), rule), art::kGold);
    return img;
}

} // namespace

bool GenerateIcons(const QString& outDir)
{
    for (int s : {16, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(s);
        if (!QDir().mkpath(dir) || !Icon(s).save(dir + QStringLiteral("/tavopiano.png")))
            return false;
    }
    return true;
}
