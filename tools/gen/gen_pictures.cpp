// TODO(resources-pictures): real artwork. Plain placeholders of the right sizes.
#include "gen.h"
#include <QImage>

static bool Save(const QString& outDir, const QString& name, int w, int h, QColor c)
{
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(c);
    return img.save(outDir + '/' + name);
}

bool GeneratePictures(const QString& o)
{
    bool ok = Save(o, "pic/back.png", 671, 650, QColor(40, 30, 30));
    for (QString k : {"cf", "dga", "eb"}) {
        ok &= Save(o, "pic/key_" + k + "_up.jpg", 65, 249, Qt::white);
        ok &= Save(o, "pic/key_" + k + "_down.jpg", 65, 249, Qt::lightGray);
    }
    for (QString m : {"play", "write", "help", "about"})
        ok &= Save(o, "pic/menu_" + m + ".png", 114, 63, Qt::darkRed);
    ok &= Save(o, "pic/title.png", 32, 20, Qt::yellow);
    ok &= Save(o, "pic/bottom.png", 670, 14, Qt::darkGray);
    ok &= Save(o, "pic/sheet.png", 620, 200, Qt::white);
    ok &= Save(o, "pic/setboard.png", 43, 34, Qt::gray);
    ok &= Save(o, "pic/setboard_down.png", 43, 34, Qt::darkGray);
    ok &= Save(o, "pic/kb2_back.png", 1087, 282, Qt::black);
    ok &= Save(o, "pic/kb2_white_up.jpg", 58, 249, Qt::white);
    ok &= Save(o, "pic/kb2_white_down.jpg", 58, 249, Qt::lightGray);
    ok &= Save(o, "pic/kb2_black.jpg", 59, 162, Qt::black);
    ok &= Save(o, "pic/kb2_black_down.jpg", 59, 162, Qt::darkGray);
    ok &= Save(o, "cursor/HAND.png", 32, 32, Qt::white);
    return ok;
}
