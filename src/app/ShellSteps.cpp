// Start-up and exit steps of the settings files and banner; filled in by their own work.
#include "app/Main.h"

void TFormPiano::LoadSettingsFiles() {}
void TFormPiano::PickBanner() {}
void TFormPiano::BannerRefreshCheck() {}
void TFormPiano::ResetEntryState() {}
