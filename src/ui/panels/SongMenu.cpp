// The song menu: up to eight titles laid over the blank score grid.
#include "ui/shell/Main.h"
#include "ui/widgets/ShockwaveFlash.h"
#include "ui/widgets/ScoreGrid.h"
#include "ui/widgets/ClickLabel.h"
#include <QGroupBox>

void TFormPiano::ImgOpernShowClick()
{
    ViewPage = 1;
    SetCaption(LabTab1PgId, PageCaption(1));
    ClearGrids(1, Score::CellsPerPage);
    ShowPanel(GBxShowOpern, 5, 95);
    ShowMenuPage(0);
}

void TFormPiano::FillMenu(int startIndex)
{
    if (startIndex < 0 || startIndex >= int(SongTable.size()))
        return;
    size_t filled = 0;
    for (size_t i = size_t(startIndex); i < SongTable.size() && filled < LabOpMenu.size(); ++i) {
        if (MySWF)
            MySWF->ResetBackground();
        const SongRecord& row = SongTable[i];
        if (!IsHeaderRow(row))
            continue;
        ClickLabel* label = LabOpMenu[filled];
        SetCaption(label, row.SongName);
        MenuSongIDs[filled] = row.SongID;
        label->show();
        ++filled;
    }
}

// Titles beyond the eighth are reached by paging the menu eight at a time.
void TFormPiano::ShowMenuPage(int page)
{
    const int perPage = int(LabOpMenu.size());
    const int start = page == 0 ? 0 : IndexOfHeader(SongTable, page * perPage);
    if (page < 0 || start < 0)
        return;
    MenuPage = page;
    // Labels a short page does not reach must not keep another page's titles.
    for (size_t n = 0; n < LabOpMenu.size(); ++n) {
        LabOpMenu[n]->hide();
        MenuSongIDs[n] = 0;
    }
    FillMenu(start);
    SetCaption(LabTab1PgId, PageCaption(page + 1));
}

void TFormPiano::LabOpMenuDblClick(int n)
{
    if (n < 1 || n > int(LabOpMenu.size()) || LabOpMenu[n - 1]->isHidden())
        return;
    const int song = MenuSongIDs[n - 1];
    if (song == 0)
        return;
    // The label may show a later menu page; the song always opens on its page 1.
    ViewPage = 1;
    SetCaption(LabTab1PgId, PageCaption(1));
    DrawPage(QString::number(song), 1);
}
