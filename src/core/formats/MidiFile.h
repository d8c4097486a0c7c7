#pragma once
// Standard MIDI Files: read into a melody (each track, or each channel of a track, a
// part) and written from a song's timeline as one track of type 0.
#include "core/formats/Melody.h"
#include "core/score/Song.h"
#include <QByteArray>
#include <QString>

// Files larger than this are refused before they are read.
inline constexpr qint64 MidiFileLimit = 4 * 1024 * 1024;

// Reads a file; any fault raises a TavoError that names the file and the problem.
Melody ReadMidiFile(const QString& path);
// The same from bytes; the TavoError says only the problem.
Melody ParseMidi(const QByteArray& bytes);

// Song `song` of the table as it plays in the demo, at tempo quarters a minute, with
// the title as the track's name.
QByteArray MidiBytes(const Song& song, int tempo, const QString& title);
// Writes them to path; a fault raises a TavoError naming the file.
void WriteMidiFile(const QString& path, const Song& song, int tempo, const QString& title);
