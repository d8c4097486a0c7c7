// The window artwork: background, menu buttons, icons, score sheet, switch and cursor.
// Pictures that sit on the background are painted onto a copy of it, so they blend in
// whether or not the control showing them honours transparency.
#include "gen.h"
#include "gen_art.h"
#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>
#include <cmath>
#include <random>

namespace art {

void DarkButtonFace(QPainter& p, const QRectF& r, qreal radius, bool pressed)
{
    QPainterPath shape;
    shape.addRoundedRect(r, radius, radius);
    QLinearGradient body(0, r.top(), 0, r.bottom());
    body.setColorAt(0.0, pressed ? QColor(12, 12, 14) : QColor(70, 66, 66));
    body.setColorAt(1.0, pressed ? QColor(40, 34, 30) : QColor(20, 18, 18));
    p.fillPath(shape, body);
    if (!pressed) {
        QPainterPath gloss;
        gloss.addRoundedRect(r.adjusted(2, 1.5, -2, -r.height() / 2), radius - 2, 3);
        QLinearGradient shine(0, r.top(), 0, r.center().y());
        shine.setColorAt(0.0, QColor(255, 255, 255, 64));
        shine.setColorAt(1.0, QColor(255, 255, 255, 6));
        p.fillPath(gloss, shine);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(pressed ? QBrush(kGold) : QBrush(QColor(120, 114, 108)), 1));
    p.drawPath(shape);
}

QImage Crop(const QImage& img, const QRect& r)
{
    const qreal s = img.devicePixelRatio();
    QImage part = img.copy(QRect(r.topLeft() * s, r.size() * s));
    part.setDevicePixelRatio(s);
    return part;
}

QLinearGradient GoldGradient(qreal y0, qreal y1)
{
    QLinearGradient g(0, y0, 0, y1);
    g.setColorAt(0.0, GoldLight);
    g.setColorAt(0.5, kGold);
    g.setColorAt(1.0, GoldDark);
    return g;
}

void GoldRule(QPainter& p, int y, qreal x0, qreal x1, qreal strength)
{
    QLinearGradient g(x0, 0, x1, 0);
    auto c = [strength](int a) {
        QColor q = kGold;
        q.setAlpha(int(a * strength));
        return q;
    };
    g.setColorAt(0.0, c(0));
    g.setColorAt(0.12, c(200));
    g.setColorAt(0.5, c(255));
    g.setColorAt(0.88, c(200));
    g.setColorAt(1.0, c(0));
    p.fillRect(QRectF(x0, y, x1 - x0, 1), g);
    // A darker line under it makes the rule look inlaid.
    p.fillRect(QRectF(x0, y + 1, x1 - x0, 1), QColor(0, 0, 0, int(90 * strength)));
}

void Lacquer(QPainter& p, const QRectF& r, unsigned seed)
{
    p.save();
    p.setClipRect(r);
    QLinearGradient base(0, r.top(), 0, r.bottom());
    base.setColorAt(0.0, LacquerTop);
    base.setColorAt(0.45, LacquerMid);
    base.setColorAt(1.0, LacquerBottom);
    p.fillRect(r, base);

    // Faint grain under the lacquer: long, slightly wavy strokes.
    std::mt19937 rng(seed);
    std::uniform_real_distribution<qreal> unit(0.0, 1.0);
    p.setRenderHint(QPainter::Antialiasing);
    const int strokes = int(r.width() * r.height() / 900) + 4;
    for (int i = 0; i < strokes; ++i) {
        const qreal y = r.top() + unit(rng) * r.height();
        const qreal x = r.left() - 40 + unit(rng) * r.width();
        const qreal len = 60 + unit(rng) * 220;
        const qreal amp = 0.6 + unit(rng) * 1.6;
        QPainterPath grain(QPointF(x, y));
        grain.cubicTo(QPointF(x + len / 3, y - amp), QPointF(x + 2 * len / 3, y + amp), QPointF(x + len, y));
        const bool light = unit(rng) < 0.45;
        p.setPen(QPen(light ? QColor(150, 60, 70, 10 + int(unit(rng) * 8)) : QColor(0, 0, 0, 22 + int(unit(rng) * 18)),
                      0.8 + unit(rng) * 0.8));
        p.drawPath(grain);
    }
    // Broad diagonal sheen, as polished lacquer reflects a window.
    QLinearGradient sheen(r.topLeft(), r.bottomRight());
    sheen.setColorAt(0.0, QColor(255, 220, 220, 0));
    sheen.setColorAt(0.3, QColor(255, 220, 220, 14));
    sheen.setColorAt(0.42, QColor(255, 220, 220, 0));
    sheen.setColorAt(1.0, QColor(255, 220, 220, 0));
    p.fillRect(r, sheen);
    p.restore();
}

void BottomStrip(QPainter& p, const QRectF& r)
{
    p.save();
    QLinearGradient g(0, r.top(), 0, r.bottom());
    g.setColorAt(0.0, QColor(34, 12, 16));
    g.setColorAt(1.0, QColor(6, 2, 3));
    p.fillRect(r, g);
    GoldRule(p, int(r.top()), r.left(), r.right() + 1, 0.8);
    p.fillRect(QRectF(r.left(), r.top() + 2, r.width(), 1), QColor(255, 200, 200, 14));
    p.restore();
}

void FeltStrip(QPainter& p, const QRectF& r)
{
    QLinearGradient g(0, r.top(), 0, r.bottom());
    g.setColorAt(0.0, Felt.darker(160));
    g.setColorAt(0.35, Felt);
    g.setColorAt(1.0, Felt.darker(220));
    p.fillRect(r, g);
}

} // namespace art

QImage PictureOutput::NewImage(int w, int h, bool alpha) const
{
    QImage img(w * scale, h * scale, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    img.setDevicePixelRatio(scale);
    img.fill(alpha ? Qt::transparent : Qt::black);
    return img;
}

bool PictureOutput::Save(const QImage& img, const QString& name) const
{
    QString file = name;
    if (scale != 1)
        file.insert(name.lastIndexOf(QLatin1Char('.')), QStringLiteral("@%1x").arg(scale));
    const QString path = dir + QLatin1Char('/') + file;
    if (name.endsWith(QLatin1String(".jpg")))
        return img.convertToFormat(QImage::Format_RGB888).save(path, "JPG", 95);
    // Uncompressed: the window's background is decoded at every start, where a PNG cost 10 ms.
    if (name.endsWith(QLatin1String(".ppm")))
        return img.convertToFormat(QImage::Format_RGB888).save(path, "PPM");
    if (img.hasAlphaChannel())
        return img.convertToFormat(QImage::Format_ARGB32).save(path, "PNG");
    return img.convertToFormat(QImage::Format_RGB888).save(path, "PNG");
}

namespace {

constexpr int WinW = 671, WinH = 650;
const QRectF kStage(5, 95, 660, 295);

QFont Font(const QString& family, int pixels, bool bold = false, bool italic = false)
{
    QFont f(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// Gold lettering with a dark drop shadow, baseline at (x, y).
void GoldText(QPainter& p, qreal x, qreal y, const QFont& font, const QString& text)
{
    QPainterPath path;
    path.addText(x, y, font, text);
    const QRectF box = path.boundingRect();
    p.fillPath(path.translated(0, 1), QColor(0, 0, 0, 170));
    p.fillPath(path, art::GoldGradient(box.top(), box.bottom()));
}

// The empty stage the panels open onto: a dark recess, a soft spotlight from above,
// a glow on the floor and deep curtains at the sides.
void Stage(QPainter& p)
{
    p.save();
    QPainterPath frame;
    frame.addRoundedRect(kStage, 6, 6);
    QLinearGradient base(0, kStage.top(), 0, kStage.bottom());
    base.setColorAt(0.0, QColor(16, 5, 8));
    base.setColorAt(1.0, QColor(7, 2, 3));
    p.fillPath(frame, base);
    p.setClipPath(frame);

    const QPointF top(kStage.center().x(), kStage.top());
    QRadialGradient spot(top, 320);
    spot.setColorAt(0.0, QColor(120, 44, 54, 110));
    spot.setColorAt(0.5, QColor(70, 22, 30, 50));
    spot.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(kStage, spot);

    QPainterPath cone;
    cone.moveTo(top.x() - 46, kStage.top());
    cone.lineTo(top.x() + 46, kStage.top());
    cone.lineTo(top.x() + 210, kStage.bottom());
    cone.lineTo(top.x() - 210, kStage.bottom());
    cone.closeSubpath();
    QLinearGradient beam(0, kStage.top(), 0, kStage.bottom());
    beam.setColorAt(0.0, QColor(255, 235, 220, 22));
    beam.setColorAt(1.0, QColor(255, 235, 220, 0));
    p.fillPath(cone, beam);

    QRadialGradient floor(QPointF(top.x(), kStage.bottom() - 14), 300);
    floor.setColorAt(0.0, QColor(160, 70, 80, 70));
    floor.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.save();
    p.translate(top.x(), kStage.bottom() - 14);
    p.scale(1.0, 0.14);
    p.translate(-top.x(), -(kStage.bottom() - 14));
    p.fillRect(QRectF(kStage.left(), kStage.bottom() - 14 - 300, kStage.width(), 600), floor);
    p.restore();

    // Curtains: vertical folds that fade into the dark.
    for (int sideIdx = 0; sideIdx < 2; ++sideIdx) {
        const qreal w = 44;
        const qreal x0 = sideIdx == 0 ? kStage.left() : kStage.right() - w;
        QLinearGradient folds(x0, 0, x0 + w, 0);
        for (int i = 0; i <= 8; ++i) {
            const qreal t = i / 8.0;
            const qreal edge = sideIdx == 0 ? 1.0 - t : t;   // fuller at the outer edge
            const int a = int((i % 2 ? 70 : 150) * (0.35 + 0.65 * edge));
            folds.setColorAt(t, QColor(92, 14, 26, a));
        }
        p.fillRect(QRectF(x0, kStage.top(), w, kStage.height()), folds);
    }
    // Valance across the top.
    QLinearGradient val(0, kStage.top(), 0, kStage.top() + 16);
    val.setColorAt(0.0, QColor(110, 18, 32, 190));
    val.setColorAt(1.0, QColor(60, 8, 16, 0));
    p.fillRect(QRectF(kStage.left(), kStage.top(), kStage.width(), 16), val);
    p.setClipping(false);

    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 200), 2));
    p.drawRoundedRect(kStage.adjusted(-1, -1, 1, 1), 7, 7);
    QColor hair = art::kGold;
    hair.setAlpha(110);
    p.setPen(QPen(hair, 1));
    p.drawRoundedRect(kStage.adjusted(-2.5, -2.5, 2.5, 2.5), 8, 8);
    p.restore();
}

QImage Background(const PictureOutput& o)
{
    QImage img = o.NewImage(WinW, WinH);
    QPainter p(&img);
    art::Lacquer(p, QRectF(0, 0, WinW, WinH), 1);

    // Title strip: a shade deeper, closed by a gold rule.
    QLinearGradient title(0, 0, 0, 24);
    title.setColorAt(0.0, QColor(0, 0, 0, 110));
    title.setColorAt(1.0, QColor(0, 0, 0, 40));
    p.fillRect(QRectF(0, 0, WinW, 24), title);
    art::GoldRule(p, 24, 0, WinW);

    // Maker's mark at the free end of the menu row.
    p.setRenderHint(QPainter::Antialiasing);
    const QFont mark = Font(QStringLiteral("DejaVu Serif"), 30, true, true);
    const qreal markW = QFontMetricsF(mark).horizontalAdvance(QStringLiteral("Tavo"));
    const qreal markX = 585 - markW / 2;
    GoldText(p, markX, 62, mark, QStringLiteral("Tavo"));
    const QFont sub = Font(QStringLiteral("AR PL UKai CN"), 14);
    const qreal subW = QFontMetricsF(sub).horizontalAdvance(QStringLiteral("电 脑 钢 琴"));
    GoldText(p, 585 - subW / 2, 81, sub, QStringLiteral("电 脑 钢 琴"));

    art::GoldRule(p, 91, 0, WinW, 0.7);
    Stage(p);

    // Keybed: gold rule and red felt behind the keys, plain and dark under them.
    art::GoldRule(p, 391, 0, WinW, 0.8);
    art::FeltStrip(p, QRectF(4, 393, WinW - 8, 3));
    p.fillRect(QRectF(10, 395, 650, 250), art::UnderKeys);
    // Cheek blocks at both ends of the keys.
    for (qreal x0 : {0.0, 660.0}) {
        const qreal w = x0 == 0.0 ? 10 : WinW - 660;
        QLinearGradient cheek(x0, 0, x0 + w, 0);
        cheek.setColorAt(0.0, QColor(20, 8, 10));
        cheek.setColorAt(0.5, QColor(48, 18, 24));
        cheek.setColorAt(1.0, QColor(14, 6, 8));
        p.fillRect(QRectF(x0, 395, w, 241), cheek);
    }
    art::BottomStrip(p, QRectF(0, 636, WinW, 14));
    return img;
}

enum class Icon { Notes, Pencil, Question, Info };

void DrawIcon(QPainter& p, Icon icon, const QRectF& box)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QBrush gold(art::GoldGradient(box.top(), box.bottom()));
    const QPointF c = box.center();
    switch (icon) {
    case Icon::Notes: {
        // Two beamed quavers.
        QPainterPath notes;
        for (auto [hx, hy] : {std::pair{c.x() - 5.5, c.y() + 6.0}, std::pair{c.x() + 5.0, c.y() + 4.0}}) {
            QPainterPath head;
            head.addEllipse(QPointF(0, 0), 4.0, 2.8);
            notes.addPath(QTransform().translate(hx, hy).rotate(-22).map(head));
        }
        notes.addRect(QRectF(c.x() - 2.3, c.y() - 7.5, 1.6, 13.5));
        notes.addRect(QRectF(c.x() + 8.2, c.y() - 9.5, 1.6, 13.5));
        QPainterPath beam;
        beam.moveTo(c.x() - 2.3, c.y() - 7.5);
        beam.lineTo(c.x() + 9.8, c.y() - 9.5);
        beam.lineTo(c.x() + 9.8, c.y() - 6.0);
        beam.lineTo(c.x() - 2.3, c.y() - 4.0);
        beam.closeSubpath();
        notes.addPath(beam);
        notes.setFillRule(Qt::WindingFill);
        p.fillPath(notes.translated(0, 1), QColor(0, 0, 0, 150));
        p.fillPath(notes, gold);
        break;
    }
    case Icon::Pencil: {
        // A pencil writing on a short staff.
        p.setPen(QPen(gold, 1.2));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(box.left() + 1, c.y() + 3 + 3.5 * i), QPointF(box.right() - 4, c.y() + 3 + 3.5 * i));
        QPainterPath pencil;
        pencil.addRect(QRectF(-2.4, -12, 4.8, 13));
        pencil.moveTo(-2.4, 1);
        pencil.lineTo(2.4, 1);
        pencil.lineTo(0, 6);
        pencil.closeSubpath();
        pencil.setFillRule(Qt::WindingFill);
        const QTransform t = QTransform().translate(c.x() + 1, c.y() + 3).rotate(40);
        p.fillPath(t.map(pencil).translated(0, 1), QColor(0, 0, 0, 150));
        p.fillPath(t.map(pencil), gold);
        QPainterPath cap;
        cap.addRect(QRectF(-2.4, -12, 4.8, 2.6));
        p.fillPath(t.map(cap), QColor(120, 30, 40));
        break;
    }
    case Icon::Question:
    case Icon::Info: {
        const qreal rad = 9.5;
        p.setPen(QPen(QColor(0, 0, 0, 150), 1.8));
        p.drawEllipse(c + QPointF(0, 1), rad, rad);
        p.setPen(QPen(gold, 1.8));
        p.drawEllipse(c, rad, rad);
        const QString mark = icon == Icon::Question ? QStringLiteral("?") : QStringLiteral("i");
        const QFont f = Font(QStringLiteral("DejaVu Serif"), 14, true, icon == Icon::Info);
        const QFontMetricsF fm(f);
        GoldText(p, c.x() - fm.horizontalAdvance(mark) / 2, c.y() + fm.capHeight() / 2, f, mark);
        break;
    }
    }
    p.restore();
}

// A rounded, glossy lacquer button with a gold rim, painted onto its patch of background.
QImage MenuButton(const QImage& back, QPoint at, const QString& caption, Icon icon)
{
    QImage img = art::Crop(back, QRect(at, QSize(114, 63)));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(4.5, 5.5, 105, 51);
    const qreal rad = 11;

    for (int i = 4; i >= 1; --i) {
        QPainterPath s;
        s.addRoundedRect(r.translated(0, 2).adjusted(-i, -i, i, i), rad + i, rad + i);
        p.fillPath(s, QColor(0, 0, 0, 34));
    }
    QPainterPath shape;
    shape.addRoundedRect(r, rad, rad);
    QLinearGradient body(0, r.top(), 0, r.bottom());
    body.setColorAt(0.0, QColor(112, 32, 44));
    body.setColorAt(0.49, QColor(66, 15, 24));
    body.setColorAt(0.51, QColor(50, 9, 16));
    body.setColorAt(1.0, QColor(30, 5, 10));
    p.fillPath(shape, body);

    p.save();
    p.setClipPath(shape);
    QRadialGradient glow(QPointF(r.center().x(), r.bottom()), 60);
    glow.setColorAt(0.0, QColor(190, 50, 64, 80));
    glow.setColorAt(1.0, QColor(190, 50, 64, 0));
    p.fillRect(r, glow);
    QPainterPath gloss;
    gloss.addRoundedRect(r.adjusted(2.5, 2, -2.5, -r.height() / 2 - 1), rad - 2, rad - 4);
    QLinearGradient shine(0, r.top(), 0, r.center().y());
    shine.setColorAt(0.0, QColor(255, 255, 255, 95));
    shine.setColorAt(1.0, QColor(255, 255, 255, 12));
    p.fillPath(gloss, shine);
    p.restore();

    QLinearGradient rim(0, r.top(), 0, r.bottom());
    rim.setColorAt(0.0, art::GoldLight);
    rim.setColorAt(0.5, art::GoldDark);
    rim.setColorAt(1.0, art::kGold);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(rim), 1.3));
    p.drawPath(shape);
    p.setPen(QPen(QColor(0, 0, 0, 110), 1));
    p.drawRoundedRect(r.adjusted(1.5, 1.5, -1.5, -1.5), rad - 1.5, rad - 1.5);

    const QFont f = Font(QStringLiteral("WenQuanYi Micro Hei"), caption.size() > 2 ? 16 : 18);
    const QFontMetricsF fm(f);
    const qreal iconW = 22, gap = 6;
    const qreal textW = fm.horizontalAdvance(caption);
    const qreal x0 = r.center().x() - (iconW + gap + textW) / 2;
    DrawIcon(p, icon, QRectF(x0, r.center().y() - 11, iconW, 22));
    GoldText(p, x0 + iconW + gap, r.center().y() + fm.capHeight() / 2 + 2, f, caption);
    return img;
}

QImage TitleIcon(const QImage& back)
{
    QImage img = art::Crop(back, QRect(6, 3, 32, 20));
    QPainter p(&img);
    art::MiniKeyboard(p, QRectF(2, 4, 28, 12), 7, art::kGold);
    return img;
}

QImage BottomPicture(const PictureOutput& o)
{
    QImage img = o.NewImage(670, 14);
    QPainter p(&img);
    art::BottomStrip(p, QRectF(0, 0, 670, 14));
    return img;
}

// White paper on the black score panel with a soft grey edge around it.
QImage Sheet(const PictureOutput& o)
{
    QImage img = o.NewImage(620, 200);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF paper(5, 3, 610, 195);
    for (int i = 6; i >= 1; --i) {
        QPainterPath ring;
        ring.addRoundedRect(paper.adjusted(-i, -i + 1, i, i + 1), 2 + i, 2 + i);
        p.fillPath(ring, QColor(150, 150, 150, 26));
    }
    p.fillRect(paper, Qt::white);
    p.setRenderHint(QPainter::Antialiasing, false);
    // Slight depth just inside the edge, well clear of the cells.
    for (int i = 0; i < 3; ++i) {
        const QColor c(0, 0, 0, 18 - 6 * i);
        p.fillRect(QRectF(paper.left() + i, paper.top(), 1, paper.height()), c);
        p.fillRect(QRectF(paper.left(), paper.top() + i, paper.width(), 1), c);
    }
    p.setPen(QColor(168, 168, 168));
    p.drawRect(paper.toRect().adjusted(0, 0, -1, -1));
    return img;
}

} // namespace

// A button of the score panel's bottom row: raised at rest, sunk and lit when pressed.
// It stands 270 px down a 295 px panel, so only its top 25 rows show: the button lives
// there and the rest is the panel's black.
QImage art::PanelButton(const PictureOutput& o, bool pressed)
{
    return DarkButton(o, 43, 34, QRectF(1.5, 1.5, 40, 22), 6, pressed);
}

QImage art::DarkButton(const PictureOutput& o, int w, int h, const QRectF& face, qreal radius, bool pressed)
{
    QImage img = o.NewImage(w, h);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    DarkButtonFace(p, face, radius, pressed);
    return img;
}

namespace {

// The keyboard switch: a small keyboard on the button.
QImage SetBoard(const PictureOutput& o, bool pressed)
{
    QImage img = art::PanelButton(o, pressed);
    QPainter p(&img);
    const qreal d = pressed ? 1 : 0;
    art::MiniKeyboard(p, QRectF(8 + d, 6 + d, 28, 12), 7, pressed ? art::GoldLight : art::kGold);
    return img;
}

// The about picture on the black about panel. It sits 3, 38 inside the panel, so the
// version label stands at 322, 24 of it and the contact and forum labels at 222, 135 and
// 222, 160: their captions are painted to the left of those places.
QImage AboutPicture(const PictureOutput& o)
{
    QImage img = o.NewImage(468, 310);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    // A faint warm glow behind the name, gone before the picture's top and left edges
    // so the picture melts into the panel's black.
    QRadialGradient glow(QPointF(150, 56), 170);
    glow.setColorAt(0.0, QColor(110, 30, 42, 120));
    glow.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(0, 0, 468, 310), glow);
    QLinearGradient top(0, 0, 0, 36);
    top.setColorAt(0.0, Qt::black);
    top.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(0, 0, 468, 36), top);
    QLinearGradient left(0, 0, 24, 0);
    left.setColorAt(0.0, Qt::black);
    left.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(0, 0, 24, 310), left);

    GoldText(p, 24, 52, Font(QStringLiteral("DejaVu Serif"), 38, true, true), QStringLiteral("Tavo"));
    GoldText(p, 136, 50, Font(QStringLiteral("AR PL UKai CN"), 24), QStringLiteral("电脑钢琴"));
    const QFont caption = Font(QStringLiteral("WenQuanYi Micro Hei"), 15);
    const QFontMetricsF fm(caption);
    const auto rightAligned = [&](qreal right, qreal baseline, const QString& text) {
        p.setPen(art::kGold);
        p.setFont(caption);
        p.drawText(QPointF(right - fm.horizontalAdvance(text), baseline), text);
    };
    rightAligned(314, 41, QStringLiteral("版本"));
    art::GoldRule(p, 80, 10, 458);

    // A small keyboard and a line of notes between the name and the contacts.
    art::MiniKeyboard(p, QRectF(24, 98, 150, 24), 14, art::kGold);
    p.setPen(QColor(255, 251, 240, 210));
    p.setFont(Font(QStringLiteral("AR PL UKai CN"), 17));
    p.drawText(QPointF(196, 117), QStringLiteral("用键盘弹奏，用简谱记录"));

    rightAligned(212, 147, QStringLiteral("联系"));
    rightAligned(212, 172, QStringLiteral("论坛"));
    art::GoldRule(p, 204, 10, 458, 0.7);
    p.setPen(QColor(214, 178, 108, 150));
    p.setFont(Font(QStringLiteral("DejaVu Sans"), 11));
    p.drawText(QPointF(24, 226), QStringLiteral("Tavo Piano"));
    return img;
}

// A white pointing hand with a black outline; the fingertip is at (10, 2).
QImage HandCursor(const PictureOutput& o)
{
    QImage img = o.NewImage(32, 32, true);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath hand;
    hand.setFillRule(Qt::WindingFill);
    hand.addRoundedRect(QRectF(7.5, 1.5, 5.5, 17), 2.75, 2.75);       // index finger
    hand.addRoundedRect(QRectF(13, 10.5, 4.8, 10), 2.4, 2.4);         // folded fingers
    hand.addRoundedRect(QRectF(17.6, 11.5, 4.8, 10), 2.4, 2.4);
    hand.addRoundedRect(QRectF(22.2, 13.5, 4.3, 9), 2.15, 2.15);
    hand.addRoundedRect(QRectF(7.5, 15, 19, 11), 3, 3);               // palm
    hand.addRoundedRect(QRectF(10, 22, 15, 7.5), 2, 2);               // wrist
    QPainterPath thumb;
    thumb.addRoundedRect(QRectF(-2.3, -6, 4.6, 12), 2.3, 2.3);
    hand.addPath(QTransform().translate(6.0, 18.8).rotate(-38).map(thumb));
    hand = hand.simplified();
    p.fillPath(hand, Qt::white);
    p.setPen(QPen(Qt::black, 1.1));
    p.drawPath(hand);
    p.setPen(QPen(QColor(0, 0, 0, 200), 1));
    p.drawLine(QPointF(13, 12.5), QPointF(13, 17));
    p.drawLine(QPointF(17.6, 13.5), QPointF(17.6, 17));
    p.drawLine(QPointF(22.2, 15.5), QPointF(22.2, 18));
    p.drawLine(QPointF(11, 26.5), QPointF(24, 26.5));   // cuff
    return img;
}

} // namespace

bool GeneratePictures(const PictureOutput& o)
{
    const QImage back = Background(o);
    bool ok = o.Save(back, QStringLiteral("pic/back.ppm"));
    ok &= o.Save(MenuButton(back, {32, 25}, QStringLiteral("弹奏"), Icon::Notes), QStringLiteral("pic/menu_play.png"));
    ok &= o.Save(MenuButton(back, {152, 25}, QStringLiteral("录入曲谱"), Icon::Pencil), QStringLiteral("pic/menu_write.png"));
    ok &= o.Save(MenuButton(back, {272, 25}, QStringLiteral("帮助"), Icon::Question), QStringLiteral("pic/menu_help.png"));
    ok &= o.Save(MenuButton(back, {392, 25}, QStringLiteral("关于"), Icon::Info), QStringLiteral("pic/menu_about.png"));
    ok &= o.Save(TitleIcon(back), QStringLiteral("pic/title.png"));
    ok &= o.Save(BottomPicture(o), QStringLiteral("pic/bottom.png"));
    ok &= o.Save(Sheet(o), QStringLiteral("pic/sheet.png"));
    ok &= o.Save(SetBoard(o, false), QStringLiteral("pic/setboard.png"));
    ok &= o.Save(SetBoard(o, true), QStringLiteral("pic/setboard_down.png"));
    ok &= o.Save(HandCursor(o), QStringLiteral("cursor/HAND.png"));
    ok &= o.Save(AboutPicture(o), QStringLiteral("pic/about.png"));
    ok &= GenerateKeyPictures(o);
    ok &= GenerateShareButtons(o);
    ok &= GeneratePracticeButtons(o);
    ok &= GenerateEntryPictures(o);
    return ok;
}
