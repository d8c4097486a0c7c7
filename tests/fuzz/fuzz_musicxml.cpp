// MusicXML text as the import reads it, then converted as the import converts it.
#include "FuzzMelody.h"
#include "FuzzSupport.h"
#include "core/formats/MusicXml.h"

int Fuzz::MusicXml(const uint8_t* data, size_t size)
{
    try {
        ConvertParts(ParseMusicXml(Bytes(data, size), QStringLiteral("fuzz.musicxml")));
    } catch (const TavoError&) {
    }
    return 0;
}

TAVO_FUZZ_TARGET(MusicXml)
