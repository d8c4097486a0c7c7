#pragma once
// The two settings files: the settings file, written once and never read, and the
// banner file, whose links fill the banner list at start-up.
#include <QString>
#include <array>

// Banner link list: slots 1..30, index 0 unused; the song loader fills 21..30 from notice rows.
inline constexpr int BannerSlotCount = 30;
using BannerLinkList = std::array<QString, BannerSlotCount + 1>;

inline const QString SettingsFileName = QStringLiteral("tavopiano.ini");
inline const QString BannerFileName = QStringLiteral("tavopianoinfo.ini");

// Where the two files live: the home folder on Windows; on other systems the
// per-user config folder, since a hidden attribute means nothing there.
QString SettingsFolder(const QString& homeDir);
QString SettingsFilePath(const QString& folder);
QString BannerFilePath(const QString& folder);

// Gives the file the hidden attribute alone (Windows); elsewhere nothing.
void MarkHidden(const QString& path);

// A file that exists but cannot be read (or is too large to): it is never written and
// counts as missing.
bool UnreadableFile(const QString& path);

// Start-up step: creates the settings file when it is missing and returns the links
// of the banner file's entries 1..30 that have both a caption and a link, packed
// from slot 1 in key order. A banner file that cannot be read (a pipe, too large) gives no
// links and a message in *problem.
BannerLinkList LoadSettingsFiles(const QString& folder, QString* problem = nullptr);
