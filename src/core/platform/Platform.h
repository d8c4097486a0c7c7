#pragma once
#include <QString>

// The few calls that differ between operating systems live behind these.
namespace Platform {
// The user's home folder: %HOMEDRIVE%%HOMEPATH% on Windows, as it comes. Elsewhere HOME, or the
// account's home from the password database when HOME is unset or empty; throws when neither exists.
QString HomeDir();
// With HOME unset or empty, sets it to HomeDir(), so every folder worked out from it (the
// desktop, the settings, the data folder, the file dialogs) agrees with HomeDir() instead
// of taking "/". Called once at start, before any folder is worked out.
void ExportHomeDir();
// The choice behind HomeDir: the environment's value when not empty, else the account's; throws
// when both are empty.
QString ChooseHomeDir(const QString& fromEnvironment, const QString& fromAccount);
// The system's temporary folder without a trailing "/": TMPDIR when it names an existing absolute
// folder, else the system default, never the working folder.
QString TempBaseDir();
// The user's own temporary folder, ending with "/". On shared /tmp systems this is a
// private folder (0700, owned by the user), created when missing; throws when unsafe.
QString UserTempDir();
}
