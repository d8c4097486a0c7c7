// Compressed MusicXML: the reader unpacks a zip (its seeds all are) before reading the score.
#include "FuzzMelody.h"
#include "FuzzSupport.h"
#include "core/formats/MusicXml.h"

int Fuzz::Mxl(const uint8_t* data, size_t size)
{
    try {
        ConvertParts(ParseMusicXml(Bytes(data, size), QStringLiteral("fuzz.mxl")));
    } catch (const TavoError&) {
    }
    return 0;
}

TAVO_FUZZ_TARGET(Mxl)
