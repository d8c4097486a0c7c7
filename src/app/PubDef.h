#pragma once
// Program-wide values and small helpers shared by every part of the piano.
#include <QString>
#include <QStringList>
#include <array>

inline const QString AppTitle = QStringLiteral("Tavo电脑钢琴");
inline const QString AppVersion = QStringLiteral("1.16");

// Folder paths, set once by the start-up sequence. AppDir and TempDir end with "/";
// HomeDir is taken as it comes.
extern QString AppDir;
extern QString HomeDir;
extern QString TempDir;

// Where PC keys go: 0 the main window's keys, 1 the second keyboard form.
extern int KeyboardRoute;

// ---- Voices and sound files (src/sound) ----
using VoiceTable = std::array<QString, 48>;
extern std::array<VoiceTable, 4> VoiceSets;   // voice sets 1..4 at index 0..3
extern VoiceTable CurrentVoice;               // copy of voice set 4
extern QStringList SoundNames;
extern int PlayerTurn;                        // 0 at start, then 1..3

void FillVoiceTables();
void ListSoundNames();
void ExtractSounds();
void PruneSounds();
// Resource path of a sample by its name, e.g. ":/wave/VOIC_188727228.wav".
QString SoundResourcePath(const QString& name);

// ---- File helpers ----
QString IniReadString(const QString& file, const QString& section, const QString& key, const QString& def);
void IniWriteString(const QString& file, const QString& section, const QString& key, const QString& value);
bool CopyFiles(const QString& from, const QString& to);
bool DeleteFiles(const QString& path);

// ---- Password derivation (src/library) ----
extern const char PasswordSeed[];
extern const char DefaultEncodeKey[];
QString KeyedHexEncode(const QByteArray& source, const QByteArray& key);
QString DeriveDatabasePassword(const QByteArray& seed);
