#pragma once
// The folders the program works in, worked out once by the start-up sequence.
#include <QString>

// Where to look; an empty entry takes the system's own place (tests give temporary folders).
struct FolderOptions {
    QString appDir;       // the program folder; empty: the executable's folder
    QString configDir;    // the two settings files
    QString dataDir;      // the user's song library once the program is installed
    QString desktopDir;   // where exchange files are written
};

// Options naming the program folder alone.
inline FolderOptions AppFolderOptions(const QString& appDir)
{
    FolderOptions o;
    o.appDir = appDir;
    return o;
}

struct Folders {
    QString AppDir;       // the program folder, ending with "/"
    QString HomeDir;      // the user's home folder, as it comes
    QString TempDir;      // the user's private temporary folder, ending with "/"
    QString ConfigDir;    // the settings files
    QString DesktopDir;   // the user's desktop
    QString DataDir;      // the user's own data (practice results); the library may lie elsewhere
    QString LibraryFile;  // the song library the program opens and writes
    QString StarterLibrary;   // copied to LibraryFile on the first start when installed; else empty
    QString TemplateDir;  // folder of the exchange template, ending with "/"
};

// Where the song library is, as ResolveFolders works it out, without touching any folder.
QString LibraryFileOf(const FolderOptions& options);

Folders ResolveFolders(const FolderOptions& options);
