// The pictures beside the score sheet that import, export and delete a song: dark
// lacquer buttons like the keyboard switch, each with a gold sign.
#include "gen_art.h"
#include <QPainterPath>

namespace {

enum class Sign { Import, Export, Delete };

// An open tray with an arrow into it (import) or out of it (export).
void TrayArrow(QPainter& p, const QRectF& box, bool into, const QBrush& gold)
{
    const qreal cx = box.center().x();
    QPainterPath tray;
    const qreal trayTop = box.bottom() - 9, trayBottom = box.bottom() - 1;
    tray.moveTo(box.left() + 2, trayTop);
    tray.lineTo(box.left() + 2, trayBottom);
    tray.lineTo(box.right() - 2, trayBottom);
    tray.lineTo(box.right() - 2, trayTop);

    // The arrow's head points down into the tray or up out of it.
    const qreal shaftTop = box.top() + (into ? 0 : 7), shaftBottom = box.bottom() - (into ? 9 : 4);
    QPainterPath arrow;
    arrow.addRect(QRectF(cx - 1.6, shaftTop, 3.2, shaftBottom - shaftTop));
    QPainterPath head;
    if (into) {
        head.moveTo(cx - 6.5, shaftBottom - 5);
        head.lineTo(cx + 6.5, shaftBottom - 5);
        head.lineTo(cx, shaftBottom + 2);
    } else {
        head.moveTo(cx - 6.5, shaftTop + 5);
        head.lineTo(cx + 6.5, shaftTop + 5);
        head.lineTo(cx, shaftTop - 2);
    }
    head.closeSubpath();
    arrow.addPath(head);
    arrow.setFillRule(Qt::WindingFill);

    const QPen shadowPen(QColor(0, 0, 0, 160), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const QPen goldPen(gold, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setBrush(Qt::NoBrush);
    p.setPen(shadowPen);
    p.drawPath(tray.translated(0, 1));
    p.setPen(goldPen);
    p.drawPath(tray);
    p.fillPath(arrow.translated(0, 1), QColor(0, 0, 0, 160));
    p.fillPath(arrow, gold);
}

// A waste bin with a lid and ribs.
void Bin(QPainter& p, const QRectF& box, const QBrush& gold)
{
    const qreal cx = box.center().x();
    QPainterPath lid;
    lid.addRoundedRect(QRectF(box.left() + 1, box.top() + 3, box.width() - 2, 2.6), 1, 1);
    lid.addRoundedRect(QRectF(cx - 3, box.top(), 6, 4), 1.2, 1.2);
    lid.setFillRule(Qt::WindingFill);
    QPainterPath body;
    body.moveTo(box.left() + 2.5, box.top() + 7);
    body.lineTo(box.right() - 2.5, box.top() + 7);
    body.lineTo(box.right() - 4, box.bottom());
    body.lineTo(box.left() + 4, box.bottom());
    body.closeSubpath();
    for (QPainterPath* part : {&lid, &body})
        p.fillPath(part->translated(0, 1), QColor(0, 0, 0, 160));
    p.fillPath(lid, gold);
    p.fillPath(body, gold);
    // Ribs cut into the body show the dark button through.
    p.setPen(QPen(QColor(30, 12, 14), 1.3, Qt::SolidLine, Qt::RoundCap));
    for (qreal dx : {-3.2, 0.0, 3.2})
        p.drawLine(QPointF(cx + dx, box.top() + 9.5), QPointF(cx + dx * 0.85, box.bottom() - 2.5));
}

QImage OperButton(const PictureOutput& o, int w, int h, Sign sign)
{
    const QRectF r(1.5, 1.5, w - 3, h - 3);
    QImage img = art::DarkButton(o, w, h, r, 6, false);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    const QBrush gold(art::GoldGradient(r.top(), r.bottom()));
    const qreal signW = 19, signH = sign == Sign::Delete ? 20 : 26;
    const QRectF box(r.center().x() - signW / 2, r.center().y() - signH / 2, signW, signH);
    if (sign == Sign::Delete)
        Bin(p, box, gold);
    else
        TrayArrow(p, box, sign == Sign::Import, gold);
    return img;
}

} // namespace

bool GenerateShareButtons(const PictureOutput& o)
{
    bool ok = o.Save(OperButton(o, 33, 42, Sign::Import), QStringLiteral("pic/oper_import.png"));
    ok &= o.Save(OperButton(o, 33, 42, Sign::Export), QStringLiteral("pic/oper_export.png"));
    ok &= o.Save(OperButton(o, 33, 34, Sign::Delete), QStringLiteral("pic/oper_delete.png"));
    return ok;
}
