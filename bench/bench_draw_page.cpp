// Time to draw one page of a song (105 cells, six slur arcs) into the score view.
#include "BenchDialogs.h"
#include "BenchSupport.h"
#include "ui/panels/ScorePanel.h"
#include "ui/shell/FormPiano.h"
#include "ui/shell/TavoApplication.h"
#include "ui/widgets/GlyphGrid.h"
#include <QElapsedTimer>
#include <QGroupBox>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
double P90(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() * 9 / 10];
}
}

int main(int argc, char** argv)
{
    QTemporaryDir tmp;
    qputenv("TMPDIR", tmp.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TavoApplication app(argc, argv);
    BenchDialogs dialogs;
    TFormPiano form(dialogs);
    SongTableType& table = form.Library().Table();
    SongRecord header;
    header.SongID = 1;
    header.SongName = QStringLiteral("测试");
    header.InfoType = QStringLiteral("0");
    table.push_back(header);
    for (int n = 1; n <= 210; ++n)
        table.push_back(PageRow(n));
    form.GBxShowOpern->show();

    int arcs = 0;
    form.GBxShowOpern->DrawPage(QStringLiteral("1"), 1);
    for (int a = 1; a <= int(form.GBxShowOpern->Grid->Arcs.size()); ++a)
        arcs += form.GBxShowOpern->Grid->ArcShown(a);

    constexpr int rounds = 400;
    std::vector<double> draw, drawPaint;
    QPixmap target(form.GBxShowOpern->size());
    QElapsedTimer t;
    for (int i = 0; i < rounds; ++i) {
        const int start = (i % 2) ? 1 : 106;   // alternate pages so every cell changes
        t.start();
        form.GBxShowOpern->DrawPage(QStringLiteral("1"), start);
        draw.push_back(t.nsecsElapsed() / 1e6);
    }
    for (int i = 0; i < rounds; ++i) {
        const int start = (i % 2) ? 1 : 106;
        t.start();
        form.GBxShowOpern->DrawPage(QStringLiteral("1"), start);
        form.GBxShowOpern->render(&target);
        drawPaint.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("arcs on page: %d\n", arcs);
    std::printf("DrawPage (105 cells, arcs):          median %.3f ms, p90 %.3f ms over %d\n", Median(draw), P90(draw),
                rounds);
    std::printf("DrawPage + paint of the score panel:  median %.3f ms, p90 %.3f ms over %d\n", Median(drawPaint),
                P90(drawPaint), rounds);
    return 0;
}
