// Score glyphs: 16x31 cells of numbered notation, black on white, plus the slur arc.
// At 1x the digits come from hand-made bitmaps so every cell is crisp and pure black/white;
// at 2x there are enough pixels for a font's outline, fitted into the bitmap's box. Only
// the digits at 2x and the arc, which is stretched when shown, are antialiased.
#include "gen.h"
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>

namespace {

constexpr int CellW = 16;
constexpr int CellH = 31;
constexpr int DigitTop = 6;   // digits occupy rows 6..19
constexpr int DigitRows = 14;
constexpr int Underline1 = 22;
constexpr int Underline2 = 25;
constexpr int DotLeft = 7;   // 3x3 dots cover columns 7..9

// Bold jianpu numerals, one string per row, '#' is ink. Widths are 4 to 7.
const std::array<std::array<const char*, DigitRows>, 8> Digits = {{
    {"..###..", ".#####.", "##...##", "##...##", "##...##", "##...##", "##...##", "##...##", "##...##", "##...##",
     "##...##", "##...##", ".#####.", "..###.."},
    {"..##", ".###", "####", "..##", "..##", "..##", "..##", "..##", "..##", "..##", "..##", "..##", "..##", "..##"},
    {"..###..", ".#####.", "##...##", "##...##", ".....##", "....###", "...###.", "..###..", ".###...", "###....",
     "##.....", "##.....", "#######", "#######"},
    {"..###..", ".#####.", "##...##", ".....##", ".....##", "...###.", "...###.", ".....##", ".....##", ".....##",
     "##...##", "##...##", ".#####.", "..###.."},
    {"....##.", "...###.", "..####.", "..#.##.", ".##.##.", ".#..##.", "##..##.", "#...##.", "#######", "#######",
     "....##.", "....##.", "....##.", "....##."},
    {"#######", "#######", "##.....", "##.....", "##.###.", "#######", "##...##", ".....##", ".....##", ".....##",
     "##...##", "##...##", ".#####.", "..###.."},
    {"..####.", ".##..##", "##.....", "##.....", "##.###.", "#######", "###..##", "##...##", "##...##", "##...##",
     "##...##", "##...##", ".#####.", "..###.."},
    {"#######", "#######", ".....##", ".....##", "....##.", "....##.", "...##..", "...##..", "..##...", "..##...",
     "..##...", "..##...", "..##...", "..##..."},
}};

QImage NewCell(const PictureOutput& o, int width = CellW)
{
    QImage img(width * o.scale, CellH * o.scale, QImage::Format_RGB888);
    img.setDevicePixelRatio(o.scale);
    img.fill(Qt::white);
    return img;
}

// Inks the cell's pixel (x, y): a scale x scale block of the picture.
void Ink(QImage& img, int x, int y)
{
    const int s = int(img.devicePixelRatio());
    for (int dy = 0; dy < s; ++dy)
        for (int dx = 0; dx < s; ++dx) {
            const int px = x * s + dx, py = y * s + dy;
            if (px >= 0 && py >= 0 && px < img.width() && py < img.height())
                img.setPixel(px, py, qRgb(0, 0, 0));
        }
}

// The numeral's outline scaled into the bitmap's box: same top, height and centre.
void OutlineDigit(QImage& img, int d, int left, int w)
{
    QFont f(QStringLiteral("DejaVu Sans Condensed"));
    f.setBold(true);
    f.setPixelSize(40);
    QPainterPath path;
    path.addText(0, 0, f, QString::number(d));
    const QRectF b = path.boundingRect();
    const qreal k = DigitRows / b.height();
    const qreal cx = left + w / 2.0;
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(cx, DigitTop);
    // Narrowed to the bitmap's width, but never so far that the 1 loses its foot.
    p.scale(std::clamp(w / b.width(), 0.8 * k, k), k);
    p.translate(-b.center().x(), -b.top());
    p.fillPath(path, Qt::black);
}

void Digit(QImage& img, int d)
{
    const auto& rows = Digits[d];
    const int w = int(std::char_traits<char>::length(rows[0]));
    const int left = 8 - w / 2;   // centred on column 8
    if (img.devicePixelRatio() > 1) {
        OutlineDigit(img, d, left, w);
        return;
    }
    for (int r = 0; r < DigitRows; ++r)
        for (int c = 0; c < w; ++c)
            if (rows[r][c] == '#')
                Ink(img, left + c, DigitTop + r);
}

void Square(QImage& img, int top)
{
    for (int y = top; y < top + 3; ++y)
        for (int x = DotLeft; x < DotLeft + 3; ++x)
            Ink(img, x, y);
}

void Underlines(QImage& img, int count)
{
    for (int i = 0; i < count; ++i) {
        const int y = i == 0 ? Underline1 : Underline2;
        for (int x = 0; x < CellW; ++x)
            Ink(img, x, y);
    }
}

// Octave 0 puts the dot below the digit and below any underlines, 2 above it.
void OctaveDot(QImage& img, int octave, int underlines)
{
    if (octave == 2)
        Square(img, 0);
    else if (octave == 0)
        Square(img, underlines == 2 ? 28 : 25);
}

// The slur: a smooth bow from near the bottom corners to a flat top, thick in the
// middle and thin at the ends, so it still reads when squeezed to one cell or
// stretched to five.
QImage Arc(const PictureOutput& o)
{
    QImage img = NewCell(o, 96);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF l(2.0, 28.0), r(94.0, 28.0);
    QPainterPath outer(l);
    outer.cubicTo(QPointF(10.0, 1.5), QPointF(86.0, 1.5), r);
    QPainterPath inner(r);
    inner.cubicTo(QPointF(84.0, 5.0), QPointF(12.0, 5.0), l);
    QPainterPath bow = outer;
    bow.connectPath(inner);
    bow.closeSubpath();
    p.setPen(QPen(QColor(20, 20, 20), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(20, 20, 20));
    p.drawPath(bow);
    return img;
}

// Sharp, flat and natural before the digit: columns 0..3, rows 6..14, so even a 7-wide digit
// (columns 5..11) keeps a free column. Drawn alone on a transparent cell, to lay over one.
constexpr int SignRows = 9;
const std::array<std::array<const char*, SignRows>, 3> Signs = {{
    {".#.#", ".#.#", "####", ".#.#", ".#.#", ".#.#", "####", ".#.#", ".#.#"},
    {"#...", "#...", "#...", "#...", "###.", "#..#", "#..#", "#.#.", "##.."},
    {"#...", "#...", "#..#", "####", "#..#", "#..#", "####", "#..#", "...#"},
}};

QImage SignPicture(const PictureOutput& o, int sign)
{
    QImage img(CellW * o.scale, CellH * o.scale, QImage::Format_ARGB32);
    img.setDevicePixelRatio(o.scale);
    img.fill(Qt::transparent);
    for (int r = 0; r < SignRows; ++r)
        for (int c = 0; c < 4; ++c)
            if (Signs[size_t(sign)][size_t(r)][c] == '#')
                Ink(img, c, DigitTop + r);
    return img;
}

bool Save(const QImage& img, const PictureOutput& o, const QString& name)
{
    return o.Save(img, QStringLiteral("glyph/") + name + QStringLiteral(".png"));
}

// The picture a glyph name stands for: NOTE_<digit><underlines><octave dots> for rests and
// notes, NOTE_9<underlines>01 for a dot after a note, and the blank, bar, dash and arc.
QImage GlyphPicture(const PictureOutput& o, const QString& name)
{
    const QString code = name.mid(5);
    QImage img = NewCell(o);
    if (code.size() == 3) {
        const int d = code[0].digitValue(), l = code[1].digitValue(), h = code[2].digitValue();
        Digit(img, d);
        Underlines(img, l);
        if (d > 0)   // a rest never has an octave dot
            OctaveDot(img, h, l);
        return img;
    }
    switch (code.toInt()) {
    case 9000:
    case 9005:
        return img;
    case 9001:
    case 9101:
    case 9201:
        Square(img, 11);   // augmentation dot at digit height
        Underlines(img, code[1].digitValue());
        return img;
    case 9002:
        for (int y = 0; y < CellH; ++y)
            Ink(img, 7, y);
        return img;
    case 9003:
        for (int x = 4; x <= 10; ++x)
            Ink(img, x, 13);
        return img;
    case 9004:
        return Arc(o);
    }
    return QImage();
}

} // namespace

bool GenerateGlyphs(const PictureOutput& o)
{
    const QStringList names{
#include "glyph_names.inc"
    };
    bool ok = true;
    for (const QString& name : names) {
        const QImage img = GlyphPicture(o, name);
        ok &= !img.isNull() && Save(img, o, name);
    }
    const char* const signs[] = {"SIGN_SHARP", "SIGN_FLAT", "SIGN_NATURAL"};
    for (int i = 0; i < 3; ++i)
        ok &= Save(SignPicture(o, i), o, QLatin1String(signs[i]));
    return ok;
}
