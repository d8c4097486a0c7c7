#pragma once
// Pieces of the sound-file handling that callers and tests reach directly.
#include <QString>

class QRandomGenerator;

// Slot of a note name in a VoiceTable ("F" 5 ... "f2" 41), or -1 for any other name.
int NoteSlot(const QString& name);

// One exit-time pick: a position in 0..190 (the last name, 191, is never picked).
int PickPrunePosition(QRandomGenerator& rng);
// The six picks and deletions of PruneSounds with a given generator.
void PruneSoundsWith(QRandomGenerator& rng);
