#pragma once
// The folders the program works in, worked out once by the start-up sequence.
#include <QString>

struct Folders {
    QString AppDir;    // the program folder, ending with "/"
    QString HomeDir;   // the user's home folder, as it comes
    QString TempDir;   // the user's private temporary folder, ending with "/"

    QString LibraryFile() const { return AppDir + QStringLiteral("dat/Opern.dat"); }
    QString TemplateDir() const { return AppDir + QStringLiteral("template/"); }
};

// appDir empty: the executable's folder.
Folders ResolveFolders(const QString& appDir);
