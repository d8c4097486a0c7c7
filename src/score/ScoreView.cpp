// TODO(score): score panel, entry grid, menu, view.
#include "app/Main.h"

void TFormPiano::BuildScorePanel() {}
void TFormPiano::BuildEntryPanel() {}
void TFormPiano::BuildControlTables() {}
void TFormPiano::ResetEntryRecords() {}
void TFormPiano::ClearGrids(int, int) {}
void TFormPiano::DrawPage(const QString&, int) {}
void TFormPiano::FillMenu(int) {}
void TFormPiano::ShowMenuPage(int) {}
void TFormPiano::ImgOpernShowClick() {}
void TFormPiano::LabNexPg_1Click() {}
void TFormPiano::LabPrePg_1Click() {}
void TFormPiano::LabOpMenuDblClick(int) {}
