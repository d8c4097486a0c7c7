// The controls of the score panel and the grid part of the entry panel.
#include "ui/shell/Main.h"
#include "ui/widgets/ScoreGrid.h"
#include "ui/widgets/ClickLabel.h"
#include "ui/widgets/Styles.h"
#include <QGroupBox>

namespace {
const QString& kCreamText = CreamTextStyle;
const QString kBlackText = QStringLiteral("color: black; background: transparent;");
const QString kHighlightText = QStringLiteral("color: palette(highlight); background: transparent;");

template <class Label>
Label* TextLabel(QWidget* parent, const QString& name, const QString& caption, int x, int y, const QFont& font,
                 const QString& style)
{
    auto* l = new Label(caption, parent);
    l->setObjectName(name);
    l->setFont(font);
    l->setStyleSheet(style);
    l->move(x, y);
    l->adjustSize();   // captions size their labels
    return l;
}

QLabel* Sheet(QWidget* parent, const QString& name)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setGeometry(3, 66, 620, 200);
    l->setPixmap(QPixmap(QStringLiteral(":/pic/sheet.png")));
    return l;
}

// The 105 cell pictures of a grid, each showing the blank glyph.
void BuildCells(QWidget* parent, const QString& prefix, std::array<ClickLabel*, 105>& cells)
{
    const QPixmap& blank = GlyphPixmap(QStringLiteral("NOTE_9000"));
    for (int k = 1; k <= Score::CellsPerPage; ++k) {
        auto* c = new ClickLabel(parent);
        c->setObjectName(prefix + QString::number(k));
        c->setGeometry(CellX(k), CellY(k), Score::CellWidth, Score::CellHeight);
        c->setPixmap(blank);
        cells[k - 1] = c;
    }
}

// Six free arcs of a grid; arcs 2, 4 and 6 open the entry panel when clicked.
void BuildArcs(TFormPiano* form, QWidget* parent, const QString& prefix, std::array<ClickLabel*, 6>& arcs)
{
    const QPixmap& arc = GlyphPixmap(QStringLiteral("NOTE_9004"));
    for (int a = 1; a <= Score::ArcsPerGrid; ++a) {
        auto* l = new ClickLabel(parent);
        l->setObjectName(prefix + QString::number(a));
        l->setScaledContents(true);
        l->setPixmap(arc);
        l->setGeometry(0, 0, arc.isNull() ? 96 : arc.width(), Score::CellHeight);
        l->hide();
        if (a % 2 == 0)
            QObject::connect(l, &ClickLabel::clicked, form, &TFormPiano::ImgOpernWriteClick);
        arcs[a - 1] = l;
    }
}
}

void TFormPiano::BuildScorePanel()
{
    QWidget* p = GBxShowOpern;
    const QFont yahei = PixelFont(QStringLiteral("微软雅黑"), 21);
    const QFont kai = PixelFont(QStringLiteral("楷体"), 19);

    LabCadence1 = TextLabel<QLabel>(p, QStringLiteral("LabCadence1"), QStringLiteral("4/4"), 45, 20, yahei, kCreamText);
    LabSongName = TextLabel<QLabel>(p, QStringLiteral("LabSongName"), QStringLiteral("未选择歌曲"), 234, 7, yahei,
                                    kCreamText);
    LabArt = TextLabel<QLabel>(p, QStringLiteral("LabArt"), QStringLiteral("演唱： "), 250, 40, kai, kCreamText);
    LabWord = TextLabel<QLabel>(p, QStringLiteral("LabWord"), QStringLiteral("作词： "), 488, 16, kai, kCreamText);
    LabComposer = TextLabel<QLabel>(p, QStringLiteral("LabComposer"), QStringLiteral("作曲： "), 488, 40, kai,
                                    kCreamText);

    ImgOpern = Sheet(p, QStringLiteral("ImgOpern"));
    BuildCells(p, QStringLiteral("ImgOpShow_"), ImgOpShow);
    BuildArcs(this, p, QStringLiteral("ImgTab1Conn_"), ImgTab1Conn);

    LabTab1PgId = TextLabel<QLabel>(p, QStringLiteral("LabTab1PgId"), PageCaption(1), 288, 247,
                                    PixelFont(QStringLiteral("宋体"), 16), kBlackText);
    LabPrePg_1 = TextLabel<ClickLabel>(p, QStringLiteral("LabPrePg_1"), QStringLiteral("上一页"), 456, 269, kai,
                                       kCreamText);
    LabNexPg_1 = TextLabel<ClickLabel>(p, QStringLiteral("LabNexPg_1"), QStringLiteral("下一页"), 539, 269, kai,
                                       kCreamText);
    connect(LabPrePg_1, &ClickLabel::clicked, this, &TFormPiano::LabPrePg_1Click);
    connect(LabNexPg_1, &ClickLabel::clicked, this, &TFormPiano::LabNexPg_1Click);

    // Titles lie over the grid, two columns of four.
    for (int n = 1; n <= int(LabOpMenu.size()); ++n) {
        const int x = n <= 4 ? 35 : 295;
        const int y = 90 + 40 * ((n - 1) % 4);
        auto* l = TextLabel<ClickLabel>(p, QStringLiteral("LabOpMenu_") + QString::number(n), QString(), x, y, yahei,
                                        kHighlightText);
        l->hide();
        connect(l, &ClickLabel::doubleClicked, this, [this, n] { LabOpMenuDblClick(n); });
        LabOpMenu[n - 1] = l;
    }
}

void TFormPiano::BuildEntryPanel()
{
    QWidget* p = GBxOpernWrite;
    Image1 = Sheet(p, QStringLiteral("Image1"));
    BuildCells(p, QStringLiteral("ImgOper_"), ImgOper);
    // A click on an entry cell only brings the entry panel forward; it never moves the cursor.
    for (ClickLabel* c : ImgOper)
        connect(c, &ClickLabel::clicked, this, &TFormPiano::ImgOpernWriteClick);
    BuildArcs(this, p, QStringLiteral("ImgTab2Conn_"), ImgTab2Conn);

    LabTab2PgId = new QLabel(PageCaption(0), p);
    LabTab2PgId->setObjectName(QStringLiteral("LabTab2PgId"));
    LabTab2PgId->setFont(PixelFont(QStringLiteral("宋体"), 16));
    LabTab2PgId->setStyleSheet(kBlackText);
    LabTab2PgId->setGeometry(288, 247, 40, 16);
}

// The control tables are the member arrays, filled as the panels are built; what is left
// for start-up is the table of glyph pictures, decoded before the first page is drawn.
void TFormPiano::BuildControlTables()
{
    PreloadGlyphs();
}
