#pragma once
// After a MIDI or MusicXML file is read, the import lists its parts and converts one:
// the same steps here, on up to a few parts, so the conversion meets whatever a reader lets through.
#include "core/Errors.h"
#include "core/formats/Conversion.h"
#include <QStringLiteral>
#include <algorithm>

namespace Fuzz {

inline void ConvertParts(const Melody& melody)
{
    (void)MelodyPartLabels(melody);
    const int likely = LikelyMelodyPart(melody);
    const int parts = std::min(int(melody.parts.size()), 3);
    for (int part = -1; part < parts; ++part) {
        try {
            ConvertedSong song = ConvertMelody(melody, part < 0 ? likely : part, QStringLiteral("fuzz"),
                                               QStringLiteral("20260101"));
            if (song.Cells() > ConvertedCellLimit)
                KeepFirstBars(song);
        } catch (const TavoError&) {
        }
    }
}

} // namespace Fuzz
