// Standard MIDI files as the import reads them, then converted as the import converts them.
#include "FuzzMelody.h"
#include "FuzzSupport.h"
#include "core/formats/MidiFile.h"

int Fuzz::Midi(const uint8_t* data, size_t size)
{
    try {
        ConvertParts(ParseMidi(Bytes(data, size)));
    } catch (const TavoError&) {
    }
    return 0;
}

TAVO_FUZZ_TARGET(Midi)
