#pragma once
#include <QString>

// Where the song library and the exchange template live.
// Run from a program folder that holds a writable dat/Opern.dat (the build folder, a portable
// copy), everything stays there. An installed program never writes into its installation: the
// user's library is dat/Opern.dat in the per-user data folder, first copied from the starter
// library in <bindir>/../share/tavopiano, and the template is read from there.
struct LibraryLocation {
    QString libraryFile;      // the library the program opens and writes
    QString templateDir;      // folder of ExpData.dat, ending with "/"
    QString starterLibrary;   // copied to libraryFile when that is missing; empty when not needed
};

// appDir: the executable's folder; userDataDir: QStandardPaths::AppDataLocation. Both with or
// without a trailing "/". Looks at the files, changes nothing.
LibraryLocation ChooseLibraryLocation(const QString& appDir, const QString& userDataDir);

// Makes the user's library from the starter library when it does not exist yet; an existing
// library is never touched. Throws with the file names and the reason when that fails.
void PrepareUserLibrary(const LibraryLocation& where);
