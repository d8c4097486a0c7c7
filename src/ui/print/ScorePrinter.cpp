#include "ui/print/ScorePrinter.h"
#include "ui/widgets/SignedGlyph.h"
#include "core/Errors.h"
#include "core/files/FileOps.h"
#include "core/score/ScorePage.h"
#include "ui/widgets/ScoreGrid.h"
#include "ui/widgets/Styles.h"
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>

namespace {

// A sheet is laid out in the score view's pixels: 640 wide, A4 tall.
constexpr double SheetWidth = 640;
constexpr double SheetHeight = SheetWidth * 297 / 210;
constexpr int LinePitch = 90;                        // the view's 60, opened up for paper
constexpr int BlockHeight = 3 * LinePitch + 40;      // one view page and its caption
constexpr int BlocksPerSheet = 2;
constexpr int FirstBlockTop = 150, BlockTop = 60;    // under the title on the first sheet

std::vector<ScorePage> ViewPages(const Song& song)
{
    std::vector<ScorePage> pages;
    for (int p = 1; p <= Score::ViewPageLimit; ++p) {
        ScorePage page = BuildScorePage(song, FirstCellOfPage(p));
        if (p > 1 && page.glyphs[0].isEmpty())
            break;
        pages.push_back(std::move(page));
    }
    return pages;
}

const QPixmap& CellPicture(const QString& glyph, Accidental sign)
{
    switch (sign) {
    case Accidental::Sharp: return SignedGlyphPixmap(glyph, CellSign::Sharp, 2);
    case Accidental::Flat: return SignedGlyphPixmap(glyph, CellSign::Flat, 2);
    case Accidental::Natural: return SignedGlyphPixmap(glyph, CellSign::Natural, 2);
    default: return GlyphPixmap(glyph, 2);
    }
}

// One view page with its top at `top`: cells as the view places them, lines further apart.
void PaintViewPage(QPainter& p, const ScorePage& page, int number, int top)
{
    // The view's cells run from x 28 to 582; centred on the sheet. Paper has the pixels
    // for the 2x glyphs whatever the screen.
    p.save();
    p.translate(15, 0);
    const auto y = [&](int k) { return top + 27 + LineOfPosition(k) * LinePitch; };
    for (int k = 1; k <= Score::CellsPerPage; ++k)
        if (const QString& g = page.glyphs[size_t(k - 1)]; !g.isEmpty())
            p.drawPixmap(QRect(CellX(k), y(k), Score::CellWidth, Score::CellHeight),
                         CellPicture(g, page.signs[size_t(k - 1)]));
    const QPixmap& arc = GlyphPixmap(QStringLiteral("NOTE_9004"), 2);
    for (const PageArc& a : page.arcs)
        p.drawPixmap(QRect(CellX(a.position) + 8, y(a.position) - 27, a.length * Score::CellWidth, Score::CellHeight),
                     arc);
    p.setFont(PixelFont(QStringLiteral("宋体"), 14));
    p.restore();
    p.drawText(QRect(0, top + 3 * LinePitch + 5, int(SheetWidth), 24), Qt::AlignCenter, PageCaption(number));
}

void PaintHeader(QPainter& p, const SongHeader& h)
{
    p.setFont(PixelFont(QStringLiteral("微软雅黑"), 26, true));
    p.drawText(QRect(20, 30, int(SheetWidth) - 40, 40), Qt::AlignCenter | Qt::TextSingleLine, h.title);
    p.setFont(PixelFont(QStringLiteral("楷体"), 15));
    const QString credits = QStringLiteral("演唱：%1    作词：%2    作曲：%3").arg(h.performer, h.lyricist, h.composer);
    p.drawText(QRect(43, 80, int(SheetWidth) - 86, 24), Qt::AlignRight | Qt::TextSingleLine, credits);
    const QString cadence = HeaderMeterCaption(h);
    p.drawText(QRect(43, 80, 80, 24), Qt::AlignLeft | Qt::TextSingleLine, cadence.isEmpty() ? QStringLiteral("4/4") : cadence);
}

} // namespace

int ScorePrinter::Paint(QPagedPaintDevice& device, const Song& song)
{
    const std::vector<ScorePage> pages = ViewPages(song);
    const int first = (int(SheetHeight) - FirstBlockTop - 50) / BlockHeight;
    const int sheets = 1 + (std::max(0, int(pages.size()) - first) + BlocksPerSheet - 1) / BlocksPerSheet;
    QPainter p(&device);
    if (!p.isActive())
        return 0;
    const double scale = std::min(device.width() / SheetWidth, device.height() / SheetHeight);
    size_t next = 0;
    for (int s = 1; s <= sheets; ++s) {
        if (s > 1)
            device.newPage();
        p.resetTransform();
        p.scale(scale, scale);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.fillRect(QRectF(0, 0, SheetWidth, SheetHeight), Qt::white);
        p.setPen(Qt::black);
        int top = BlockTop;
        if (s == 1) {
            if (!pages.empty() && pages[0].header)
                PaintHeader(p, *pages[0].header);
            top = FirstBlockTop;
        }
        for (int b = 0; b < (s == 1 ? first : BlocksPerSheet) && next < pages.size(); ++b, ++next)
            PaintViewPage(p, pages[next], int(next) + 1, top + b * BlockHeight);
        p.setFont(PixelFont(QStringLiteral("宋体"), 13));
        p.drawText(QRectF(0, SheetHeight - 45, SheetWidth, 20), Qt::AlignCenter,
                   QStringLiteral("第 %1 页，共 %2 页").arg(s).arg(sheets));
    }
    return sheets;
}

int ScorePrinter::WritePdf(const QString& path, const Song& song)
{
    // Qt writes beside the target; the file takes the target's place only when whole.
    FileReplacement file(path);
    int sheets = 0;
    {
        QPdfWriter pdf(file.TempPath());
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(300);
        pdf.setCreator(QStringLiteral("Tavo电脑钢琴"));
        sheets = Paint(pdf, song);
    }
    if (sheets == 0)
        file.Fail(QStringLiteral("无法开始绘制"));
    // The writer does not say when the disk fills: a whole PDF ends with its end marker.
    QFile written(file.TempPath());
    if (!written.open(QIODevice::ReadOnly) || written.size() < 16 || !written.seek(written.size() - 16) ||
        !written.read(16).contains("%%EOF"))
        file.Fail(QStringLiteral("文件没有写完，磁盘可能已满"));
    written.close();
    file.Commit(-1);
    return sheets;
}

bool ScorePrinter::Print(QWidget* parent, const Song& song)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (Paint(printer, song) == 0)
        Raise(QStringLiteral("无法打印：打印机没有准备好。"));
    return true;
}
