// The demo, follow and rhythm buttons beside the keyboard switch: the same dark button with
// a gold sign, a play mark and a note for the demo, a note over a key to play for follow,
// a metronome beside a note for rhythm.
#include "gen_art.h"
#include <QPainterPath>

namespace {

// An eighth note whose head sits at (x, y).
QPainterPath EighthNote(qreal x, qreal y)
{
    QPainterPath note;
    note.setFillRule(Qt::WindingFill);
    QPainterPath head;
    head.addEllipse(QPointF(0, 0), 3.2, 2.3);
    note.addPath(QTransform().translate(x, y).rotate(-25).map(head));
    note.addRect(QRectF(x + 2.1, y - 11, 1.3, 11));
    QPainterPath flag;
    flag.moveTo(x + 3.4, y - 11);
    flag.cubicTo(x + 4.5, y - 7.5, x + 8, y - 7, x + 6.5, y - 2.5);
    flag.cubicTo(x + 6.8, y - 5.5, x + 5, y - 7, x + 3.4, y - 7.5);
    flag.closeSubpath();
    note.addPath(flag);
    return note;
}

void GoldSign(QPainter& p, const QPainterPath& sign, bool pressed)
{
    const QBrush gold(art::GoldGradient(3, 22));
    p.fillPath(sign.translated(0, 1), QColor(0, 0, 0, 160));
    p.fillPath(sign, pressed ? QBrush(art::GoldLight) : gold);
}

QImage DemoButton(const PictureOutput& o, bool pressed)
{
    QImage img = art::PanelButton(o, pressed);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal d = pressed ? 1 : 0;
    QPainterPath play;
    play.moveTo(10 + d, 6 + d);
    play.lineTo(20 + d, 12 + d);
    play.lineTo(10 + d, 18 + d);
    play.closeSubpath();
    play.addPath(EighthNote(26 + d, 16 + d));
    GoldSign(p, play, pressed);
    return img;
}

QImage FollowButton(const PictureOutput& o, bool pressed)
{
    QImage img = art::PanelButton(o, pressed);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal d = pressed ? 1 : 0;
    GoldSign(p, EighthNote(10 + d, 16 + d), pressed);
    // Four keys, the one to play lit in gold.
    const QRectF keys(19 + d, 7 + d, 16, 11);
    art::MiniKeyboard(p, keys, 4, pressed ? art::GoldLight : art::kGold);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRectF(keys.left() + 4 + 1, keys.top() + 7, 3, keys.height() - 8),
               pressed ? art::GoldLight : art::kGold);
    return img;
}

QImage RhythmButton(const PictureOutput& o, bool pressed)
{
    QImage img = art::PanelButton(o, pressed);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal d = pressed ? 1 : 0;
    QPainterPath sign = EighthNote(10 + d, 16 + d);
    sign.setFillRule(Qt::WindingFill);
    // The metronome: a tapering body with a window and its pendulum swung to one side.
    QPainterPath body;
    body.moveTo(24 + d, 25 + d);
    body.lineTo(28 + d, 5 + d);
    body.lineTo(31 + d, 5 + d);
    body.lineTo(35 + d, 25 + d);
    body.closeSubpath();
    QPainterPath window;
    window.moveTo(27.2 + d, 21 + d);
    window.lineTo(29 + d, 9 + d);
    window.lineTo(30 + d, 9 + d);
    window.lineTo(31.8 + d, 21 + d);
    window.closeSubpath();
    sign.addPath(body.subtracted(window));
    QPainterPath rod;
    rod.addRect(QRectF(-0.6, -14, 1.2, 14));
    rod.addEllipse(QPointF(0, -9), 1.8, 1.3);
    sign.addPath(QTransform().translate(29.5 + d, 21 + d).rotate(22).map(rod));
    GoldSign(p, sign, pressed);
    return img;
}

} // namespace

bool GeneratePracticeButtons(const PictureOutput& o)
{
    bool ok = o.Save(DemoButton(o, false), QStringLiteral("pic/demo.png"));
    ok &= o.Save(DemoButton(o, true), QStringLiteral("pic/demo_down.png"));
    ok &= o.Save(FollowButton(o, false), QStringLiteral("pic/follow.png"));
    ok &= o.Save(FollowButton(o, true), QStringLiteral("pic/follow_down.png"));
    ok &= o.Save(RhythmButton(o, false), QStringLiteral("pic/rhythm.png"));
    ok &= o.Save(RhythmButton(o, true), QStringLiteral("pic/rhythm_down.png"));
    return ok;
}
