// TODO(resources-glyphs): glyphs drawn to the notation rules. White placeholders.
#include "gen.h"
#include <QImage>

static bool Blank(const QString& o, const QString& n, int w)
{
    QImage img(w, 31, QImage::Format_RGB888);
    img.fill(Qt::white);
    return img.save(o + "/glyph/" + n + ".png");
}

bool GenerateGlyphs(const QString& o)
{
    bool ok = Blank(o, "NOTE_000", 16) && Blank(o, "NOTE_010", 16) && Blank(o, "NOTE_020", 16);
    for (int d = 1; d <= 7; ++d)
        for (int l = 0; l <= 2; ++l)
            for (int h = 0; h <= 2; ++h)
                ok &= Blank(o, QString("NOTE_%1%2%3").arg(d).arg(l).arg(h), 16);
    for (QString s : {"9000", "9001", "9002", "9003", "9005", "9101", "9201"})
        ok &= Blank(o, "NOTE_" + s, 16);
    ok &= Blank(o, "NOTE_9004", 96);
    return ok;
}
