// The buttons of the entry panel: six notation symbols, the text button and the five editing buttons,
// each raised at rest and sunk and lit when pressed, cream lines on the black panel.
#include "gen.h"
#include "gen_art.h"
#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>
#include <functional>

namespace {

const QColor InkDim(255, 251, 240, 120);   // the notes around a symbol, so the symbol stands out

// Draws the sign into a 32x32 box at the origin, in the given ink.
using Sign = std::function<void(QPainter&, const QColor& ink, const QColor& dim)>;

void Numeral(QPainter& p, const QColor& ink, qreal cx, qreal baseline, int px, const QString& text)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(px);
    f.setBold(true);
    f.setHintingPreference(QFont::PreferNoHinting);
    QPainterPath path;
    path.addText(cx - QFontMetricsF(f).horizontalAdvance(text) / 2, baseline, f, text);
    p.fillPath(path, ink);
}

void Line(QPainter& p, const QColor& ink, qreal width, QPointF a, QPointF b)
{
    p.setPen(QPen(ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(a, b);
}

void Dot(QPainter& p, const QColor& ink, QPointF c, qreal r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(c, r, r);
    p.setBrush(Qt::NoBrush);
}

QImage Button(const PictureOutput& o, int w, int h, bool pressed, const Sign& sign)
{
    QImage img = art::DarkButton(o, w, h, QRectF(1.5, 1.5, w - 3, h - 3), 5, pressed);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    // The sign is drawn in a 32x32 box centred on the button, one pixel lower when pressed.
    const qreal d = pressed ? 1 : 0;
    p.translate((w - 32) / 2.0 + d, (h - 32) / 2.0 + d);
    QColor dim = InkDim;
    if (pressed)
        dim = QColor(art::GoldLight.red(), art::GoldLight.green(), art::GoldLight.blue(), 130);
    sign(p, pressed ? art::GoldLight : art::Cream, dim);
    return img;
}

// ---- The signs ----

void BarLine(QPainter& p, const QColor& ink, const QColor& dim)
{
    Numeral(p, dim, 8.5, 21, 11, QStringLiteral("5"));
    Numeral(p, dim, 23.5, 21, 11, QStringLiteral("1"));
    Line(p, ink, 2.2, {16, 7}, {16, 25});
}

void Dash(QPainter& p, const QColor& ink, const QColor& dim)
{
    Numeral(p, dim, 8, 21, 11, QStringLiteral("5"));
    Line(p, ink, 2.4, {15, 16.5}, {26, 16.5});
}

void Slur(QPainter& p, const QColor& ink, const QColor& dim)
{
    Numeral(p, dim, 9.5, 26, 11, QStringLiteral("3"));
    Numeral(p, dim, 22.5, 26, 11, QStringLiteral("5"));
    QPainterPath arc;
    arc.moveTo(6, 15);
    arc.cubicTo(10, 6.5, 22, 6.5, 26, 15);
    p.setPen(QPen(ink, 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(arc);
}

void AugmentationDot(QPainter& p, const QColor& ink, const QColor& dim)
{
    Numeral(p, dim, 11, 21, 11, QStringLiteral("5"));
    Dot(p, ink, {21.5, 16.5}, 2.6);
}

void Space(QPainter& p, const QColor& ink, const QColor&)
{
    QPainterPath cup;
    cup.moveTo(7, 14);
    cup.lineTo(7, 21);
    cup.lineTo(25, 21);
    cup.lineTo(25, 14);
    p.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(cup);
}

void LineBreak(QPainter& p, const QColor& ink, const QColor&)
{
    QPainterPath hook;
    hook.moveTo(24, 8);
    hook.lineTo(24, 19);
    hook.lineTo(9, 19);
    p.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(hook);
    QPainterPath head;
    head.moveTo(13.5, 14);
    head.lineTo(8, 19);
    head.lineTo(13.5, 24);
    p.drawPath(head);
}

// 文本: a page of text lines, the first a row of notes.
void TextPage(QPainter& p, const QColor& ink, const QColor& dim)
{
    QPainterPath page;
    page.moveTo(8, 5);
    page.lineTo(20, 5);
    page.lineTo(25, 10);
    page.lineTo(25, 27);
    page.lineTo(8, 27);
    page.closeSubpath();
    p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(page);
    Numeral(p, ink, 16.5, 16, 8, QStringLiteral("1 5"));
    Line(p, dim, 1.4, {11.5, 20}, {21.5, 20});
    Line(p, dim, 1.4, {11.5, 23.5}, {19, 23.5});
}

// 音长: a note with its underlines, a short arrow pointing along them.
void Duration(QPainter& p, const QColor& ink, const QColor& dim)
{
    Numeral(p, ink, 16, 17, 14, QStringLiteral("5"));
    Line(p, ink, 1.6, {9, 20.5}, {23, 20.5});
    Line(p, dim, 1.6, {9, 24}, {23, 24});
    Line(p, dim, 1.2, {5, 28.5}, {27, 28.5});
    Line(p, dim, 1.2, {5, 28.5}, {8, 26.5});
    Line(p, dim, 1.2, {5, 28.5}, {8, 30.5});
    Line(p, dim, 1.2, {27, 28.5}, {24, 26.5});
    Line(p, dim, 1.2, {27, 28.5}, {24, 30.5});
}

// 音高: a note between its upper and lower octave dots, with up and down arrows.
void Octave(QPainter& p, const QColor& ink, const QColor& dim)
{
    Numeral(p, ink, 14, 22, 14, QStringLiteral("5"));
    Dot(p, ink, {14, 5.5}, 1.9);
    Dot(p, dim, {14, 27}, 1.9);
    Line(p, dim, 1.2, {25, 6}, {25, 26});
    Line(p, dim, 1.2, {25, 6}, {22.5, 9});
    Line(p, dim, 1.2, {25, 6}, {27.5, 9});
    Line(p, dim, 1.2, {25, 26}, {22.5, 23});
    Line(p, dim, 1.2, {25, 26}, {27.5, 23});
}

void Plus(QPainter& p, const QColor& ink, const QColor&)
{
    Line(p, ink, 2.6, {16, 8}, {16, 24});
    Line(p, ink, 2.6, {8, 16}, {24, 16});
}

// 清除: the backspace key, a tag pointing left with a cross.
void Backspace(QPainter& p, const QColor& ink, const QColor&)
{
    QPainterPath tag;
    tag.moveTo(6, 16);
    tag.lineTo(12, 9);
    tag.lineTo(26, 9);
    tag.lineTo(26, 23);
    tag.lineTo(12, 23);
    tag.closeSubpath();
    p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tag);
    Line(p, ink, 1.8, {15.5, 12.5}, {22, 19.5});
    Line(p, ink, 1.8, {22, 12.5}, {15.5, 19.5});
}

// 提交: a tick, as the song is handed over.
void Tick(QPainter& p, const QColor& ink, const QColor&)
{
    QPainterPath tick;
    tick.moveTo(7.5, 16.5);
    tick.lineTo(13.5, 22.5);
    tick.lineTo(25, 9.5);
    p.setPen(QPen(ink, 2.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
}

} // namespace

bool GenerateEntryPictures(const PictureOutput& o)
{
    struct Picture { const char* name; int w, h; Sign sign; };
    const Picture pictures[] = {
        {"sym_bar", 32, 32, BarLine},  {"sym_dash", 32, 32, Dash},   {"sym_slur", 32, 32, Slur},
        {"sym_dot", 32, 32, AugmentationDot}, {"sym_space", 32, 32, Space}, {"sym_break", 32, 32, LineBreak},
        {"sym_text", 32, 32, TextPage},
        {"op_long", 33, 42, Duration}, {"op_high", 33, 42, Octave}, {"op_add", 32, 32, Plus},
        {"op_clear", 32, 32, Backspace}, {"op_submit", 33, 34, Tick},
    };
    bool ok = true;
    for (const Picture& pic : pictures)
        for (bool pressed : {false, true})
            ok &= o.Save(Button(o, pic.w, pic.h, pressed, pic.sign),
                         QStringLiteral("pic/%1%2.png").arg(QLatin1String(pic.name), pressed ? "_down" : ""));
    return ok;
}
