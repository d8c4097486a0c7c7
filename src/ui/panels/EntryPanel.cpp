#include "ui/panels/EntryPanel.h"
#include "core/score/SongRecord.h"
#include "ui/widgets/GlyphGrid.h"
#include "ui/widgets/Styles.h"
#include <QLabel>

EntryPanel::EntryPanel(QWidget* parent, IDialogs& dialogs)
    : TPanel(parent, dialogs, QStringLiteral("GBxOpernWrite"), 660, 295)
{
    Image1 = NewSheet(QStringLiteral("Image1"));
    Grid = new GlyphGrid(this, QStringLiteral("ImgOper_"), QStringLiteral("ImgTab2Conn_"));
    // A click on an entry cell only brings the entry panel forward; it never moves the cursor.
    connect(Grid, &GlyphGrid::cellClicked, this, &EntryPanel::showRequested);
    connect(Grid, &GlyphGrid::arcClicked, this, [this](int a) {
        if (a % 2 == 0)
            Q_EMIT showRequested();
    });

    LabTab2PgId = new QLabel(PageCaption(0), this);
    LabTab2PgId->setObjectName(QStringLiteral("LabTab2PgId"));
    LabTab2PgId->setFont(PixelFont(QStringLiteral("宋体"), 16));
    LabTab2PgId->setStyleSheet(QStringLiteral("color: black; background: transparent;"));
    LabTab2PgId->setGeometry(288, 247, 40, 16);
}

void EntryPanel::ResetEntry()
{
    LabTab2PgId->setText(PageCaption(1));
    m_slurCounter = 0;
}

void EntryPanel::ClearGrid(int first, int last)
{
    Grid->Clear(first, last);
    m_entryArcRecord.fill(0);
    m_slurCounter = 0;
}
