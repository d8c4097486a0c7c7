// Piano keys of both keyboards and the background of the wide keyboard.
#include "gen.h"
#include "gen_art.h"
#include <QFont>
#include <QPainterPath>
#include <algorithm>

namespace art {

void WhiteKey(QPainter& p, qreal w, qreal h, qreal nl, qreal nr, qreal bh, bool pressed)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // Outline on half pixels so the one-pixel borders stay crisp.
    const qreal L = 0.5, R = w - 0.5, B = h - 0.5, rad = 5.0;
    QPainterPath key;
    if (nl > 0) {
        key.moveTo(nl + 0.5, -1);
        key.lineTo(nl + 0.5, bh + 0.5);
        key.lineTo(L, bh + 0.5);
    } else {
        key.moveTo(L, -1);
    }
    key.lineTo(L, B - rad);
    key.quadTo(L, B, L + rad, B);
    key.lineTo(R - rad, B);
    key.quadTo(R, B, R, B - rad);
    if (nr > 0) {
        key.lineTo(R, bh + 0.5);
        key.lineTo(w - nr - 0.5, bh + 0.5);
        key.lineTo(w - nr - 0.5, -1);
    } else {
        key.lineTo(R, -1);
    }
    key.closeSubpath();

    // A pressed key sits lower: a little darker, a longer shadow from the fallboard
    // and less of its front face showing.
    const qreal dim = pressed ? 0.93 : 1.0;
    auto ivory = [dim](int r, int g, int b) { return QColor(int(r * dim), int(g * dim), int(b * dim)); };
    const qreal lip = pressed ? 4 : 11;
    const qreal top = h - lip;

    QLinearGradient body(0, 0, 0, top);
    body.setColorAt(0.0, ivory(236, 230, 214));
    body.setColorAt(0.05, ivory(248, 245, 235));
    body.setColorAt(0.55, ivory(253, 251, 245));
    body.setColorAt(1.0, ivory(243, 238, 225));
    p.fillPath(key, body);

    p.setClipPath(key);
    // Soft rounding towards the sides.
    QLinearGradient sides(0, 0, w, 0);
    sides.setColorAt(0.0, QColor(60, 45, 20, 26));
    sides.setColorAt(0.14, QColor(60, 45, 20, 0));
    sides.setColorAt(0.86, QColor(60, 45, 20, 0));
    sides.setColorAt(1.0, QColor(60, 45, 20, 26));
    p.fillRect(QRectF(0, 0, w, top), sides);
    // Shadow of the fallboard at the far end of the key.
    const qreal shade = pressed ? 26 : 14;
    QLinearGradient fall(0, 0, 0, shade);
    fall.setColorAt(0.0, QColor(20, 10, 5, pressed ? 110 : 80));
    fall.setColorAt(1.0, QColor(20, 10, 5, 0));
    p.fillRect(QRectF(0, 0, w, shade), fall);
    // Shadows cast into the notches by the black keys.
    if (nl > 0 || nr > 0) {
        const qreal depth = pressed ? 16 : 8;
        QLinearGradient cast(0, bh, 0, bh + depth);
        cast.setColorAt(0.0, QColor(30, 20, 10, pressed ? 70 : 45));
        cast.setColorAt(1.0, QColor(30, 20, 10, 0));
        p.fillRect(QRectF(0, bh, w, depth), cast);
    }
    // The front face of the key, lit from above at its rounded edge.
    QLinearGradient face(0, top, 0, h);
    face.setColorAt(0.0, ivory(232, 225, 207));
    face.setColorAt(1.0, ivory(196, 186, 163));
    p.fillRect(QRectF(0, top, w, lip), face);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1));
    p.drawLine(QPointF(1, top - 0.5), QPointF(w - 1, top - 0.5));
    p.setPen(QPen(QColor(150, 140, 118, 120), 1));
    p.drawLine(QPointF(1, top + 0.5), QPointF(w - 1, top + 0.5));
    p.setClipping(false);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(pressed ? QColor(120, 114, 102) : QColor(146, 140, 128), 1));
    p.drawPath(key);
    p.restore();
}

void BlackKey(QPainter& p, const QRectF& b, bool pressed)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const qreal slope = pressed ? 5 : 13;
    const qreal side = std::max<qreal>(2.5, b.width() * 0.1);
    const qreal faceBottom = b.bottom() - slope;

    QPainterPath body;
    body.addRoundedRect(b, 3, 3);
    p.fillPath(body, QColor(6, 6, 7));
    p.setClipPath(body);

    // Sloping side walls.
    QLinearGradient wl(b.left(), 0, b.left() + side, 0);
    wl.setColorAt(0.0, QColor(12, 12, 13));
    wl.setColorAt(1.0, QColor(44, 44, 47));
    p.fillRect(QRectF(b.left(), b.top(), side, faceBottom - b.top()), wl);
    QLinearGradient wr(b.right() - side, 0, b.right(), 0);
    wr.setColorAt(0.0, QColor(40, 40, 43));
    wr.setColorAt(1.0, QColor(10, 10, 11));
    p.fillRect(QRectF(b.right() - side, b.top(), side, faceBottom - b.top()), wr);

    // The top face, with a long gloss stripe.
    const QRectF face(b.left() + side, b.top(), b.width() - 2 * side, faceBottom - b.top());
    QLinearGradient fg(0, face.top(), 0, face.bottom());
    fg.setColorAt(0.0, pressed ? QColor(18, 18, 20) : QColor(28, 28, 31));
    fg.setColorAt(0.7, QColor(16, 16, 18));
    fg.setColorAt(1.0, QColor(34, 34, 37));
    p.fillRect(face, fg);
    const QRectF gloss(face.left() + face.width() * 0.14, face.top() + 8, face.width() * 0.2,
                       face.height() - 22);
    QLinearGradient gg(0, gloss.top(), 0, gloss.bottom());
    gg.setColorAt(0.0, QColor(255, 255, 255, pressed ? 30 : 56));
    gg.setColorAt(1.0, QColor(255, 255, 255, 0));
    QPainterPath stripe;
    stripe.addRoundedRect(gloss, gloss.width() / 2, gloss.width() / 2);
    p.fillPath(stripe, gg);

    // The front bevel catching the light.
    QPainterPath bevel;
    bevel.moveTo(face.left(), faceBottom);
    bevel.lineTo(face.right(), faceBottom);
    bevel.lineTo(b.right() - 1, b.bottom());
    bevel.lineTo(b.left() + 1, b.bottom());
    bevel.closeSubpath();
    QLinearGradient bg(0, faceBottom, 0, b.bottom());
    bg.setColorAt(0.0, QColor(86, 86, 90));
    bg.setColorAt(1.0, QColor(26, 26, 28));
    p.fillPath(bevel, bg);
    p.setPen(QPen(QColor(120, 120, 126), 1));
    p.drawLine(QPointF(face.left() + 0.5, faceBottom + 0.5), QPointF(face.right() - 0.5, faceBottom + 0.5));
    p.restore();
}

void MiniKeyboard(QPainter& p, const QRectF& r, int n, const QColor& frame)
{
    // Whole-pixel keys: at this size a half pixel smears the black keys together.
    const int kw = std::max(3, int(r.width()) / n);
    const QRect keys(int(r.left()), int(r.top()), kw * n, int(r.height()));
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    // Lines are filled rectangles, not pen strokes: a one-pixel pen is centred on the line and
    // would straddle two pixel rows at 2x.
    p.fillRect(keys, QColor(250, 246, 234));
    for (int i = 1; i < n; ++i)
        p.fillRect(QRect(keys.left() + i * kw, keys.top() + 1, 1, keys.height() - 2), QColor(120, 112, 100));
    // Black keys after c, d, f, g and a, two pixels wide over the seam.
    const int bh = keys.height() * 3 / 5;
    for (int i = 0; i + 1 < n; ++i) {
        const int step = i % 7;
        if (step == 2 || step == 6)
            continue;
        p.fillRect(QRect(keys.left() + (i + 1) * kw - 1, keys.top(), 2, bh), QColor(16, 16, 18));
    }
    const QRect f = keys.adjusted(-1, -1, 1, 1);
    for (const QRect& edge : {QRect(f.left(), f.top(), f.width(), 1), QRect(f.left(), f.bottom(), f.width(), 1),
                              QRect(f.left(), keys.top(), 1, keys.height()), QRect(f.right(), keys.top(), 1, keys.height())})
        p.fillRect(edge, frame);
    p.restore();
}

} // namespace art

namespace {

constexpr int KeyW = 65, KeyH = 249;
constexpr int Notch = 20;     // half of a black key on a main key
constexpr int BlackH = 156;   // depth of the black keys on the main keys

// One of the three main key shapes, with the neighbouring black key halves in its notches.
QImage MainKey(const PictureOutput& o, bool notchLeft, bool notchRight, bool pressed)
{
    QImage img = o.NewImage(KeyW, KeyH);
    img.fill(art::UnderKeys);
    QPainter p(&img);
    art::WhiteKey(p, KeyW, KeyH, notchLeft ? Notch : 0, notchRight ? Notch : 0, BlackH, pressed);
    // The whole black key centred on the seam, clipped to this picture.
    if (notchLeft)
        art::BlackKey(p, QRectF(-Notch + 1, -4, 2 * Notch - 2, BlackH + 3), false);
    if (notchRight)
        art::BlackKey(p, QRectF(KeyW - Notch + 1, -4, 2 * Notch - 2, BlackH + 3), false);
    return img;
}

// A main black key pressed, over the notches it sits in: the black key widget is this size,
// centred on the seam. At rest the white keys' pictures draw it.
QImage MainBlackKeyDown(const PictureOutput& o)
{
    QImage img = o.NewImage(2 * Notch, BlackH);
    img.fill(art::UnderKeys);
    QPainter p(&img);
    art::BlackKey(p, QRectF(1, -4, 2 * Notch - 2, BlackH + 3), true);
    return img;
}

QImage WideWhiteKey(const PictureOutput& o, bool pressed)
{
    QImage img = o.NewImage(58, 249);
    img.fill(Qt::black);
    QPainter p(&img);
    art::WhiteKey(p, 58, 249, 0, 0, 0, pressed);
    return img;
}

// Drawn over the white keys as an opaque block: the key itself about two thirds of the
// width, the rest black like the gaps between keys.
QImage WideBlackKey(const PictureOutput& o, bool pressed)
{
    // The control is wider than the key: the margins stay transparent so the white
    // keys beside it show through.
    QImage img = o.NewImage(59, 162, true);
    img.fill(Qt::transparent);
    QPainter p(&img);
    art::BlackKey(p, QRectF(9.5, -4, 40, 164), pressed);
    return img;
}

QImage WideBack(const PictureOutput& o)
{
    const int w = 1087, h = 282;
    QImage img = o.NewImage(w, h);
    img.fill(QColor(5, 2, 3));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    art::Lacquer(p, QRectF(0, 0, w, 20), 7);
    QLinearGradient fade(0, 0, 0, 20);
    fade.setColorAt(0.0, QColor(0, 0, 0, 60));
    fade.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(0, 0, w, 20), fade);
    art::GoldRule(p, 20, 0, w);
    art::FeltStrip(p, QRectF(14, 21, w - 28, 5));
    art::GoldRule(p, 278, 0, w, 0.6);

    QFont serif(QStringLiteral("DejaVu Serif"));
    serif.setPixelSize(12);
    serif.setItalic(true);
    serif.setBold(true);
    QPainterPath word;
    word.addText(24, 14, serif, QStringLiteral("Tavo Piano"));
    p.fillPath(word, art::GoldGradient(4, 15));
    QFont kai(QStringLiteral("AR PL UKai CN"));
    kai.setPixelSize(13);
    QPainterPath cn;
    cn.addText(w - 24 - 52, 15, kai, QStringLiteral("电脑钢琴"));
    p.fillPath(cn, art::GoldGradient(3, 16));
    return img;
}

} // namespace

bool GenerateKeyPictures(const PictureOutput& o)
{
    bool ok = true;
    struct Shape {
        const char* name;
        bool left, right;
    };
    for (const Shape& s : {Shape{"cf", false, true}, Shape{"dga", true, true}, Shape{"eb", true, false}}) {
        const QString base = QStringLiteral("pic/key_") + QLatin1String(s.name);
        ok &= o.Save(MainKey(o, s.left, s.right, false), base + QStringLiteral("_up.jpg"));
        ok &= o.Save(MainKey(o, s.left, s.right, true), base + QStringLiteral("_down.jpg"));
    }
    ok &= o.Save(MainBlackKeyDown(o), QStringLiteral("pic/key_black_down.png"));
    ok &= o.Save(WideBack(o), QStringLiteral("pic/kb2_back.png"));
    ok &= o.Save(WideWhiteKey(o, false), QStringLiteral("pic/kb2_white_up.jpg"));
    ok &= o.Save(WideWhiteKey(o, true), QStringLiteral("pic/kb2_white_down.jpg"));
    ok &= o.Save(WideBlackKey(o, false), QStringLiteral("pic/kb2_black.png"));
    ok &= o.Save(WideBlackKey(o, true), QStringLiteral("pic/kb2_black_down.png"));
    return ok;
}
