#pragma once
// Songs from other music programs: a MIDI or MusicXML file read, one part chosen,
// written as numbered notation and saved as every import is.
#include "core/Dialogs.h"
#include "core/library/SongImport.h"
#include <QDate>
#include <QString>

// The file dialog's filters for these files, each led by ";;".
QString MelodyFileFilters();
// Whether the path names a file of another music program that can be read.
bool IsMelodyFile(const QString& path);

// Reads path, asks for the part when there are several, shows what the conversion
// changed and saves it through the checks of every import. Any fault in the file is
// one message naming it; the library is then untouched.
ShareResult ImportMelodyFile(TADOConnection& library, IDialogs& dialogs, const QDate& today, const QString& path);
