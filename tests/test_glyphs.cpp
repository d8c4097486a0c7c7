// The embedded pictures and score glyphs: sizes, glyph pixel layout, and the places where
// pictures must line up with each other (key seams, button patches, sheet and cells).
#include "TestSupport.h"
#include "core/score/SongRecord.h"
#include "ui/widgets/Resources.h"
#include "ui/widgets/ScoreGrid.h"
#include "ui/widgets/SignedGlyph.h"
#include <QDirIterator>
#include <QImage>
#include <QSet>
#include <algorithm>

namespace {

bool Ink(const QImage& img, int x, int y)
{
    return qGray(img.pixel(x, y)) < 128;
}

int Luma(const QImage& img, int x, int y)
{
    return qGray(img.pixel(x, y));
}

double MeanLuma(const QImage& img)
{
    double sum = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            sum += qGray(img.pixel(x, y));
    return sum / (img.width() * img.height());
}

// What a 16x31 glyph holds, derived from its name.
struct GlyphSpec {
    int digit = -1;        // -1: no numeral
    int underlines = 0;
    int octave = 1;        // 0 dot below, 1 none, 2 dot above
    bool augDot = false, bar = false, dash = false;
};


GlyphSpec SpecOf(const QString& name)
{
    const QString code = name.mid(5);
    GlyphSpec s;
    if (code.size() == 3) {
        s.digit = code[0].digitValue();
        s.underlines = code[1].digitValue();
        s.octave = code[2].digitValue();
        if (s.digit == 0)
            s.octave = 1;
        return s;
    }
    s.underlines = code[1].digitValue();
    const QString sym = code.mid(2);
    s.augDot = sym == QLatin1String("01");
    s.bar = sym == QLatin1String("02");
    s.dash = sym == QLatin1String("03");
    return s;
}

// Every pixel a glyph must ink outside the digit box (rows 6..19), from the drawing rules.
QVector<QVector<bool>> ExpectedMarks(const GlyphSpec& s)
{
    QVector<QVector<bool>> m(31, QVector<bool>(16, false));
    auto square = [&m](int top) {
        for (int y = top; y < top + 3; ++y)
            for (int x = 7; x <= 9; ++x)
                m[y][x] = true;
    };
    if (s.underlines >= 1)
        m[22].fill(true);
    if (s.underlines >= 2)
        m[25].fill(true);
    if (s.digit > 0 && s.octave == 2)
        square(0);
    if (s.digit > 0 && s.octave == 0)
        square(s.underlines == 2 ? 28 : 25);
    if (s.augDot)
        square(11);
    if (s.bar)
        for (int y = 0; y < 31; ++y)
            m[y][7] = true;
    if (s.dash)
        for (int x = 4; x <= 10; ++x)
            m[13][x] = true;
    return m;
}

} // namespace

class TestGlyphs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pictureSizes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        const QList<std::pair<const char*, QSize>> pics = {
            {"pic/back.ppm", {671, 650}},        {"pic/key_cf_up.jpg", {65, 249}},
            {"pic/key_cf_down.jpg", {65, 249}},  {"pic/key_dga_up.jpg", {65, 249}},
            {"pic/key_dga_down.jpg", {65, 249}}, {"pic/key_eb_up.jpg", {65, 249}},
            {"pic/key_eb_down.jpg", {65, 249}},  {"pic/menu_play.png", {114, 63}},
            {"pic/menu_write.png", {114, 63}},   {"pic/menu_help.png", {114, 63}},
            {"pic/menu_about.png", {114, 63}},   {"pic/title.png", {32, 20}},
            {"pic/bottom.png", {670, 14}},       {"pic/sheet.png", {620, 200}},
            {"pic/setboard.png", {43, 34}},      {"pic/setboard_down.png", {43, 34}},
            {"pic/kb2_back.png", {1087, 282}},   {"pic/kb2_white_up.jpg", {58, 249}},
            {"pic/kb2_white_down.jpg", {58, 249}}, {"pic/kb2_black.png", {59, 162}},
            {"pic/kb2_black_down.png", {59, 162}}, {"cursor/HAND.png", {32, 32}},
        };
        for (const auto& [path, size] : pics)
            QTest::newRow(path) << QString::fromLatin1(path) << size;
        for (const QString& g : GlyphNames())
            QTest::newRow(qPrintable(g)) << QStringLiteral("glyph/") + g + QStringLiteral(".png")
                                         << (g == QLatin1String("NOTE_9004") ? QSize(96, 31) : QSize(16, 31));
    }
    void pictureSizes()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        const QImage img = ResourceImage(path);
        QVERIFY2(!img.isNull(), qPrintable(path));
        QCOMPARE(img.size(), size);
    }

    // Every picture has its 2x twin, read with ratio 2 so it shows at the 1x size, and
    // drawn in the same place: halved, it looks like the 1x picture.
    void doubleSizePictures()
    {
        int ones = 0, twos = 0;
        for (const char* dir : {"pic", "glyph", "cursor"})
            for (QDirIterator it(QStringLiteral(":/") + QLatin1String(dir)); it.hasNext();) {
                const QString rel = it.next().mid(2);
                if (rel.contains(QLatin1String("@2x."))) {
                    ++twos;
                    continue;
                }
                ++ones;
                const QImage one = ResourceImage(rel), two = ReadResourceImage(rel, 2);
                QCOMPARE(two.devicePixelRatio(), 2.0);
                QCOMPARE(two.size(), one.size() * 2);
                QCOMPARE(two.deviceIndependentSize(), QSizeF(one.size()));
                const QImage half = two.scaled(one.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                double diff = 0;
                for (int y = 0; y < one.height(); ++y)
                    for (int x = 0; x < one.width(); ++x)
                        diff += std::abs(Luma(half, x, y) - Luma(one, x, y));
                diff /= one.width() * one.height();
                // The 2x numerals are a font's outline, not the 1x bitmap: they may differ more.
                QVERIFY2(diff < (rel.startsWith(QLatin1String("glyph/")) ? 20 : 3), qPrintable(QStringLiteral("%1 differs by %2").arg(rel).arg(diff)));
            }
        QVERIFY(ones >= 130);
        QCOMPARE(twos, ones);
    }

    // Exactly the 74 glyphs are embedded: a missing one leaves cells empty, a stray one
    // means a name was misspelt.
    void glyphSetIsComplete()
    {
        QSet<QString> embedded;
        for (QDirIterator it(QStringLiteral(":/glyph")); it.hasNext();)
            if (const QString n = QFileInfo(it.next()).completeBaseName();
                n.startsWith(QLatin1String("NOTE_")) && !n.endsWith(QLatin1String("@2x")))
                embedded << n;
        const QStringList names = GlyphNames();
        QCOMPARE(names.size(), 74);
        QCOMPARE(embedded, QSet<QString>(names.begin(), names.end()));
    }

    // A sign laid over a note cell changes only its box before the digit (columns 0..3,
    // rows 6..14), and there it does draw, at both scales.
    void signOverACellStaysBeforeTheDigit_data()
    {
        QTest::addColumn<int>("sign");
        QTest::addColumn<QString>("glyph");
        QTest::addColumn<int>("scale");
        for (int scale : {1, 2})
            for (const char* glyph : {"NOTE_100", "NOTE_412", "NOTE_720", "NOTE_000"})
                for (int sign : {int(CellSign::Sharp), int(CellSign::Flat), int(CellSign::Natural)})
                    QTest::addRow("%s sign %d at %dx", glyph, sign, scale) << sign << QString(glyph) << scale;
    }
    void signOverACellStaysBeforeTheDigit()
    {
        QFETCH(int, sign);
        QFETCH(QString, glyph);
        QFETCH(int, scale);
        const QImage plain = GlyphPixmap(glyph, scale).toImage();
        const QImage signed_ = SignedGlyphPixmap(glyph, CellSign(sign), scale).toImage();
        QCOMPARE(signed_.size(), plain.size());
        QCOMPARE(signed_.devicePixelRatio(), double(scale));
        const QRect box(0, 6 * scale, 4 * scale, 9 * scale);
        int changed = 0;
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x) {
                const QRgb a = plain.pixel(x, y) & 0xFFFFFF, b = signed_.pixel(x, y) & 0xFFFFFF;
                if (a == b)
                    continue;
                QVERIFY2(box.contains(x, y), qPrintable(QStringLiteral("changed at %1,%2").arg(x).arg(y)));
                QCOMPARE(b, QRgb(0));   // crisp: black on white, no grey
                ++changed;
            }
        QVERIFY(changed >= 12 * scale * scale);
        // The three signs differ from each other.
        const CellSign other = CellSign((sign + 1) % 3);
        QVERIFY(SignedGlyphPixmap(glyph, other, scale).toImage() != signed_);
    }

    void glyphLayout_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString& g : GlyphNames())
            if (g != QLatin1String("NOTE_9004"))
                QTest::newRow(qPrintable(g)) << g;
    }
    void glyphLayout()
    {
        QFETCH(QString, name);
        const QString path = QStringLiteral(":/glyph/") + name + QStringLiteral(".png");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray png = file.readAll();
        // IHDR: 8 bits per channel, colour type 2 (RGB, no alpha, no palette).
        QVERIFY(png.size() > 26 && png.mid(12, 4) == "IHDR");
        QCOMPARE(int(png[24]), 8);
        QCOMPARE(int(png[25]), 2);

        const QImage img(path);
        const GlyphSpec spec = SpecOf(name);
        const auto marks = ExpectedMarks(spec);
        int inkTop = 99, inkBottom = -1, inkLeft = 99, inkRight = -1;
        for (int y = 0; y < 31; ++y)
            for (int x = 0; x < 16; ++x) {
                const QRgb c = img.pixel(x, y) & 0xFFFFFF;
                QVERIFY2(c == 0 || c == 0xFFFFFF, qPrintable(QStringLiteral("grey at %1,%2").arg(x).arg(y)));
                const bool ink = c == 0;
                if (marks[y][x]) {
                    QVERIFY2(ink, qPrintable(QStringLiteral("missing ink at %1,%2").arg(x).arg(y)));
                } else if (ink) {
                    // Anything else must be the numeral, inside its box.
                    QVERIFY2(spec.digit >= 0, qPrintable(QStringLiteral("stray ink at %1,%2").arg(x).arg(y)));
                    QVERIFY2(y >= 6 && y <= 19, qPrintable(QStringLiteral("digit ink at row %1").arg(y)));
                    inkTop = std::min(inkTop, y);
                    inkBottom = std::max(inkBottom, y);
                    inkLeft = std::min(inkLeft, x);
                    inkRight = std::max(inkRight, x);
                }
            }
        if (spec.digit >= 0) {
            QCOMPARE(inkTop, 6);
            QCOMPARE(inkBottom, 19);
            const int width = inkRight - inkLeft + 1;
            QVERIFY2(width >= 4 && width <= 7, qPrintable(QString::number(width)));
            QVERIFY(inkLeft <= 8 && inkRight >= 8);   // centred on column 8
        }
    }

    // The same numeral in every duration and octave, and eight different numerals.
    void digitsAreConsistentAndDistinct()
    {
        QHash<int, QImage> first;
        for (const QString& g : GlyphNames()) {
            const GlyphSpec s = SpecOf(g);
            if (s.digit < 0)
                continue;
            const QImage box = QImage(QStringLiteral(":/glyph/") + g + QStringLiteral(".png")).copy(0, 6, 16, 14);
            if (!first.contains(s.digit))
                first.insert(s.digit, box);
            else
                QVERIFY2(first[s.digit] == box, qPrintable(g));
        }
        QCOMPARE(first.size(), 8);
        for (int a = 0; a < 8; ++a)
            for (int b = a + 1; b < 8; ++b)
                QVERIFY2(first[a] != first[b], qPrintable(QStringLiteral("%1 and %2 look alike").arg(a).arg(b)));
    }

    void slurArc()
    {
        const QImage arc = ResourceImage(QStringLiteral("glyph/NOTE_9004.png"));
        QCOMPARE(arc.size(), QSize(96, 31));
        auto inkRows = [&arc](int x) {
            QVector<int> rows;
            for (int y = 0; y < arc.height(); ++y)
                if (Ink(arc, x, y))
                    rows << y;
            return rows;
        };
        // Flat top in the middle, at least two pixels thick there.
        const QVector<int> mid = inkRows(48);
        QVERIFY(mid.size() >= 2);
        QVERIFY(mid.first() >= 6 && mid.last() <= 14);
        // Ends low near both corners, and the bow is symmetric.
        auto lowInk = [&arc](int x0, int x1) {
            for (int x = x0; x <= x1; ++x)
                for (int y = 24; y < 31; ++y)
                    if (Ink(arc, x, y))
                        return true;
            return false;
        };
        QVERIFY(lowInk(0, 7));
        QVERIFY(lowInk(88, 95));
        const QVector<int> left = inkRows(20), right = inkRows(75);
        QVERIFY(!left.isEmpty() && !right.isEmpty());
        QVERIFY(std::abs(left.first() - right.first()) <= 1);
        QVERIFY(left.first() > mid.first());
        // A curve, not a filled shape: the space under the bow is white.
        for (int y = 18; y < 31; ++y)
            for (int x = 24; x < 72; ++x)
                QVERIFY2(Luma(arc, x, y) > 240, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        // Squeezed to a single cell it still shows a dark top.
        const QImage narrow = arc.scaled(16, 31, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        int darkest = 255;
        for (int y = 4; y < 16; ++y)
            darkest = std::min(darkest, Luma(narrow, 8, y));
        QVERIFY(darkest < 110);
    }

    // The ten main keys side by side: where a black key sits between two keys, both
    // halves must be drawn at the seam, and nowhere else.
    void mainKeysJoinAtSeams()
    {
        const QStringList shapes = {QStringLiteral("cf"), QStringLiteral("dga"), QStringLiteral("eb"),
                                    QStringLiteral("cf"), QStringLiteral("dga"), QStringLiteral("dga"),
                                    QStringLiteral("eb"), QStringLiteral("cf"), QStringLiteral("dga"),
                                    QStringLiteral("eb")};
        const QList<bool> blackAfter = {true, true, false, true, true, true, false, true, true};
        for (const QString& state : {QStringLiteral("up"), QStringLiteral("down")}) {
            QVector<QImage> keys;
            for (const QString& s : shapes)
                keys << ResourceImage(QStringLiteral("pic/key_") + s + QLatin1Char('_') + state + QStringLiteral(".jpg"));
            for (int i = 0; i < 10; ++i) {
                QVERIFY(Luma(keys[i], 32, 80) > 200);     // ivory in the middle of the upper part
                for (int x = 3; x < 62; x += 4)
                    QVERIFY(Luma(keys[i], x, 215) > 180);   // full width below the black keys
            }
            for (int i = 0; i < 9; ++i) {
                const bool leftDark = Luma(keys[i], 61, 80) < 80;
                const bool rightDark = Luma(keys[i + 1], 3, 80) < 80;
                QCOMPARE(leftDark, blackAfter[i]);
                QCOMPARE(rightDark, blackAfter[i]);
            }
        }
        // Outer ends of the keyboard have no black key.
        QVERIFY(Luma(ResourceImage(QStringLiteral("pic/key_cf_up.jpg")), 3, 80) > 200);
        QVERIFY(Luma(ResourceImage(QStringLiteral("pic/key_eb_up.jpg")), 61, 80) > 200);
    }

    void pressedKeysLookPushed_data()
    {
        QTest::addColumn<QString>("up");
        QTest::addColumn<QString>("down");
        for (const char* k : {"key_cf", "key_dga", "key_eb", "kb2_white"})
            QTest::newRow(k) << QStringLiteral("pic/%1_up.jpg").arg(QLatin1String(k))
                             << QStringLiteral("pic/%1_down.jpg").arg(QLatin1String(k));
        QTest::newRow("kb2_black") << QStringLiteral("pic/kb2_black.png") << QStringLiteral("pic/kb2_black_down.png");
        QTest::newRow("setboard") << QStringLiteral("pic/setboard.png") << QStringLiteral("pic/setboard_down.png");
    }
    void pressedKeysLookPushed()
    {
        QFETCH(QString, up);
        QFETCH(QString, down);
        const QImage u = ResourceImage(up), d = ResourceImage(down);
        QCOMPARE(u.size(), d.size());
        QVERIFY(u != d);
        if (up.contains(QLatin1String("white")) || up.contains(QLatin1String("key_")))
            QVERIFY(MeanLuma(d) < MeanLuma(u) - 2);
    }

    void wideKeys()
    {
        const QImage white = ResourceImage(QStringLiteral("pic/kb2_white_up.jpg"));
        for (int x = 3; x < 55; x += 3)
            QVERIFY(Luma(white, x, 60) > 200);   // no notches: black keys are separate controls
        const QImage black = ResourceImage(QStringLiteral("pic/kb2_black.png"));
        QVERIFY(Luma(black, 29, 60) < 70);
        QVERIFY(black.hasAlphaChannel());
        QCOMPARE(black.pixelColor(1, 60).alpha(), 0);    // white keys show beside the key
        QCOMPARE(black.pixelColor(57, 60).alpha(), 0);
        QCOMPARE(black.pixelColor(29, 60).alpha(), 255);
        const QImage back = ResourceImage(QStringLiteral("pic/kb2_back.png"));
        QVERIFY(MeanLuma(back.copy(21, 30, 1044, 240)) < 20);   // black where the keys go
    }

    // Pictures painted on a patch of the background must match it exactly at their edges.
    void patchesMatchBackground_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QPoint>("at");
        QTest::newRow("play") << QStringLiteral("pic/menu_play.png") << QPoint(32, 25);
        QTest::newRow("write") << QStringLiteral("pic/menu_write.png") << QPoint(152, 25);
        QTest::newRow("help") << QStringLiteral("pic/menu_help.png") << QPoint(272, 25);
        QTest::newRow("about") << QStringLiteral("pic/menu_about.png") << QPoint(392, 25);
        QTest::newRow("title") << QStringLiteral("pic/title.png") << QPoint(6, 3);
    }
    void patchesMatchBackground()
    {
        QFETCH(QString, path);
        QFETCH(QPoint, at);
        for (int scale : {1, 2}) {
            const QImage back = ReadResourceImage(QStringLiteral("pic/back.ppm"), scale);
            const QImage pic = ReadResourceImage(path, scale);
            QVERIFY(!pic.hasAlphaChannel());
            for (const QPoint& c : {QPoint(0, 0), QPoint(pic.width() - 1, 0), QPoint(0, pic.height() - 1),
                                    QPoint(pic.width() - 1, pic.height() - 1)})
                QCOMPARE(pic.pixel(c) & 0xFFFFFF, back.pixel(at * scale + c) & 0xFFFFFF);
            // ...and differ from it in the middle, where the button or icon is.
            const QPoint mid(pic.width() / 2, pic.height() / 2);
            QVERIFY(pic.pixel(mid) != back.pixel(at * scale + mid));
        }
    }

    void backgroundBands()
    {
        const QImage back = ResourceImage(QStringLiteral("pic/back.ppm"));
        // Plain under the keys, so nothing shows through the gaps between them.
        const QRgb under = back.pixel(12, 400);
        for (int y = 400; y < 630; y += 7)
            for (int x = 12; x < 658; x += 11)
                QCOMPARE(back.pixel(x, y), under);
        QVERIFY(qGray(under) < 30);
        // A dark window overall, with the cream product label readable on the title strip.
        QVERIFY(MeanLuma(back.copy(255, 3, 125, 17)) < 40);
        QVERIFY(MeanLuma(back) < 50);
    }

    // The cells are pure white; the sheet under them must be too, with a darker edge.
    void sheetUnderCells()
    {
        const QImage sheet = ResourceImage(QStringLiteral("pic/sheet.png"));
        for (int y = 10; y < 170; ++y)
            for (int x = 22; x < 588; ++x)
                QVERIFY2((sheet.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        QVERIFY(Luma(sheet, 0, 100) < 160);
        QVERIFY(Luma(sheet, 619, 100) < 160);
    }

    void handCursor()
    {
        const QImage hand = ResourceImage(QStringLiteral("cursor/HAND.png"));
        QVERIFY(hand.hasAlphaChannel());
        QCOMPARE(qAlpha(hand.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(hand.pixel(31, 0)), 0);
        // The fingertip: the topmost opaque pixels lie close to the hot spot (10, 2).
        int top = -1;
        QVector<int> xs;
        for (int y = 0; y < 32 && top < 0; ++y)
            for (int x = 0; x < 32; ++x)
                if (qAlpha(hand.pixel(x, y)) > 128) {
                    top = y;
                    xs << x;
                }
        QVERIFY(top >= 0 && top <= 3);
        QVERIFY(!xs.isEmpty() && xs.first() >= 7 && xs.last() <= 13);
        QVERIFY(qAlpha(hand.pixel(10, 3)) > 200);
    }
};

TAVO_TEST_MAIN(TestGlyphs)
#include "test_glyphs.moc"
