#pragma once
// MusicXML in and out. Reading takes .musicxml/.xml text or a compressed .mxl; every size,
// count and depth is bounded, and a failure is one TavoError naming the file.
#include "core/formats/Melody.h"
#include "core/score/Song.h"
#include <QByteArray>
#include <QString>

namespace MusicXmlLimits {
inline constexpr qint64 FileBytes = 16 * 1024 * 1024;        // a file on disk, either kind
inline constexpr qint64 ScoreBytes = 32 * 1024 * 1024;       // the score inside an .mxl, unpacked
inline constexpr qint64 ContainerBytes = 64 * 1024;          // META-INF/container.xml
inline constexpr int ZipEntries = 1000;
inline constexpr int PackRatio = 200;                        // unpacked / packed, beyond any real score
inline constexpr int Depth = 48;
inline constexpr int TagAttributes = 64;                     // on one element
inline constexpr qint64 TagBytes = 64 * 1024;                // one start or end tag, its attributes included
inline constexpr int Elements = 2'000'000;
inline constexpr int Notes = 200'000;                        // in all parts together
inline constexpr int Parts = 64;
inline constexpr double Quarters = 200'000;                  // the longest song, in quarter notes
inline constexpr size_t KeyChanges = 10'000;                 // later key signatures kept
}

// Reads a MusicXML file; .mxl files are unpacked first.
Melody ReadMusicXml(const QString& path);
// Reads a MusicXML document held in memory (.mxl when it starts as a zip); fileName only
// names it in messages.
Melody ParseMusicXml(const QByteArray& bytes, const QString& fileName);

// The song as a MusicXML 4.0 partwise score, one part, in its key and meter with its signs.
QByteArray WriteMusicXml(const Song& song);
