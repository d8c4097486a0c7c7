// TODO(sound): voice tables, sound files, file helpers.
#include "app/PubDef.h"

std::array<VoiceTable, 4> VoiceSets;
VoiceTable CurrentVoice;
QStringList SoundNames;

void FillVoiceTables() {}
void ListSoundNames() {}
void ExtractSounds() {}
void PruneSounds() {}
QString SoundResourcePath(const QString& name) { return QStringLiteral(":/wave/") + name + QStringLiteral(".wav"); }
QString IniReadString(const QString&, const QString&, const QString&, const QString& def) { return def; }
void IniWriteString(const QString&, const QString&, const QString&, const QString&) {}
bool CopyFiles(const QString&, const QString&) { return false; }
bool DeleteFiles(const QString&) { return false; }
