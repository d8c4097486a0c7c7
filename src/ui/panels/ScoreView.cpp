// The score view: clearing both grids, drawing a page of a song, turning pages.
#include "core/Errors.h"
#include "ui/shell/Main.h"
#include "ui/widgets/ScoreGrid.h"
#include "ui/widgets/ClickLabel.h"
#include <QGroupBox>

namespace {
const QString kBlankGlyph = QStringLiteral("NOTE_9000");

// The menu is open while its first title shows; page turns then page the menu.
bool MenuOpen(const TFormPiano& f)
{
    return !f.LabOpMenu[0]->isHidden();
}
}

void TFormPiano::ResetEntryRecords()
{
    for (int i = 1; i < Score::EntryRecordCount; ++i)
        ResetToBlank(EntryTable[size_t(i)]);
}

void TFormPiano::ClearGrids(int first, int last)
{
    UpdatesHold hold{GBxShowOpern, GBxOpernWrite};
    first = std::max(first, 1);
    last = std::min(last, Score::CellsPerPage);
    for (int k = first; k <= last; ++k) {
        ShowGlyph(ImgOpShow[size_t(k - 1)], kBlankGlyph);
        ShowGlyph(ImgOper[size_t(k - 1)], kBlankGlyph);
    }
    for (size_t a = 0; a < size_t(Score::ArcsPerGrid); ++a) {
        ViewArcRecord[a] = 0;
        ImgTab1Conn[a]->hide();
        EntryArcRecord[a] = 0;
        ImgTab2Conn[a]->hide();
    }
    EntrySlurCounter = 0;
}

void TFormPiano::DrawPage(const QString& songNumber, int startCell)
{
    if (songNumber.isEmpty() || songNumber == QLatin1String("0"))
        return;
    bool ok = false;
    const int song = songNumber.toInt(&ok);
    if (!ok)
        Raise(QStringLiteral("'%1' 不是有效的整数值").arg(songNumber));

    UpdatesHold hold{GBxShowOpern, GBxOpernWrite};
    ClearGrids(1, Score::CellsPerPage);
    int cell = 1;   // cell number in the song
    int pos = 1;    // position on the page
    for (size_t r = 0; r < SongTable.size(); ++r) {
        const SongRecord& row = SongTable[r];
        if (row.SongID != song)
            continue;
        if (IsHeaderRow(row)) {
            SetCaption(LabSongName, row.SongName);
            ShownSongID = song;
            SetCaption(LabArt, QStringLiteral("演唱：") + row.SongNote);
            SetCaption(LabWord, QStringLiteral("作词：") + row.OpernLong);
            SetCaption(LabComposer, QStringLiteral("作曲：") + row.OpernHigh);
            if (row.Conn == 0)
                SetCaption(LabCadence1, QStringLiteral("2/4"));
            else if (row.Conn == 1)
                SetCaption(LabCadence1, QStringLiteral("4/4"));
            continue;
        }
        if (!IsCellRow(row))
            continue;
        if (IsBlankCell(row))
            break;   // a blank cell ends the song
        if (cell >= startCell) {
            ClickLabel* picture = ImgOpShow[size_t(pos - 1)];
            ShowGlyph(picture, ViewGlyphName(row));
            if (IsNoteRow(row) && row.Conn > 0) {
                for (size_t a = 0; a < ImgTab1Conn.size(); ++a) {
                    if (!ImgTab1Conn[a]->isHidden())
                        continue;
                    ViewArcRecord[a] = int(r);
                    PlaceArc(ImgTab1Conn[a], picture, row.Conn);
                    break;
                }
            }
            ++pos;
        }
        if (pos > Score::CellsPerPage)
            break;
        ++cell;
    }
    for (ClickLabel* label : LabOpMenu)
        label->hide();
}

void TFormPiano::LabNexPg_1Click()
{
    if (MenuOpen(*this)) {
        ShowMenuPage(MenuPage + 1);
        return;
    }
    const int page = ViewPage;
    if (page * Score::CellsPerPage + 1 > Score::ViewPageLimit * Score::CellsPerPage)
        return;
    ViewPage = page + 1;
    SetCaption(LabTab1PgId, PageCaption(ViewPage));
    DrawPage(QString::number(ShownSongID), page * Score::CellsPerPage + 1);
}

void TFormPiano::LabPrePg_1Click()
{
    if (MenuOpen(*this)) {
        if (MenuPage > 0)
            ShowMenuPage(MenuPage - 1);
        return;
    }
    const int page = ViewPage;
    if (page <= 1)
        return;
    ViewPage = page - 1;
    SetCaption(LabTab1PgId, PageCaption(ViewPage));
    DrawPage(QString::number(ShownSongID), (page - 2) * Score::CellsPerPage + 1);
}
