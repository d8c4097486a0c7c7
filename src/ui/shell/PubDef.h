#pragma once
// Program-wide values still shared by the window classes.
#include "core/AppInfo.h"
#include "core/files/FileOps.h"
#include "core/library/Password.h"
#include <QString>
#include <QStringList>
#include <array>

extern QString AppDir;
extern QString HomeDir;
extern QString TempDir;
extern int KeyboardRoute;

using VoiceTable = std::array<QString, 48>;
extern std::array<VoiceTable, 4> VoiceSets;
extern VoiceTable CurrentVoice;
extern QStringList SoundNames;
extern int PlayerTurn;

void FillVoiceTables();
void ListSoundNames();
void ExtractSounds();
void PruneSounds();
QString SoundResourcePath(const QString& name);
