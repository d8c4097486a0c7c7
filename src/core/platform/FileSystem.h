#pragma once
// The file calls that differ between operating systems: opening without waiting on a pipe,
// and putting one file in place of another in one step.
#include <QString>

class QFile;

namespace Platform {
enum class OpenFault { None, Missing, NotRegular, Other };
// Opens path for reading only when it is a regular file (a link to one counts). A pipe, a
// device or a folder is refused without waiting for a writer. On success file is open,
// reading as usual, and *size holds the size the system gives. On failure *why says why in
// words for a message, and file stays closed.
OpenFault OpenRegularFile(const QString& path, QFile& file, qint64* size, QString* why);
// Puts from in the place of to at once: until then an old `to` stays whole. False, with *why,
// on failure (from is then left where it was).
bool ReplaceFile(const QString& from, const QString& to, QString* why);
// Makes a named pipe at path; false where the system has none.
bool MakeFifo(const QString& path);
}
