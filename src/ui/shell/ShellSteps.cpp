// Start-up and exit steps of the settings files, the banner and the entry editor.
#include "ui/shell/Main.h"
#include <QLabel>

// Settings files and the banner list arrive with their own work; until then the
// banner list stays empty and nothing is refreshed at exit.
void TFormPiano::LoadSettingsFiles() {}
void TFormPiano::PickBanner() {}
void TFormPiano::BannerRefreshCheck() {}

void TFormPiano::ResetEntryState()
{
    EntryCursorPage = 0;
    EntryCursorCell = 1;
    if (LabTab2PgId)
        LabTab2PgId->setText(QStringLiteral("- %1 -").arg(EntryCursorPage + 1));
    EntryDuration = 0;
    EntryOctave = 1;
    EntrySlurCounter = 0;
    EntryTable.fill(SongRecord{});
}
