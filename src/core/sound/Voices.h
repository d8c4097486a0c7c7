#pragma once
// Voice tables: each holds 48 sample names by semitone slot.
#include <QString>
#include <QStringList>
#include <array>

using VoiceTable = std::array<QString, 48>;

// The four voice sets, the current voice (a copy of set 4) and the list of every
// sample name, filled once by the start-up sequence.
struct VoiceBank {
    std::array<VoiceTable, 4> Sets;   // voice sets 1..4 at index 0..3
    VoiceTable Current;
    QStringList SoundNames;
    void Fill();
};

// Resource path of a sample by its name, e.g. ":/wave/VOIC_188727228.wav".
QString SoundResourcePath(const QString& name);
// The names of a voice that the 22 note names reach, each once.
QStringList PlayedSounds(const VoiceTable& voice);
// Slot of a note name in a VoiceTable ("F" 5 ... "f2" 41, and the sharps between: "F#" 6,
// "c#1" 25 ... "f#2" 42), or -1 for any other name.
int NoteSlot(const QString& name);
// The name of a slot from 5 to 42: a natural, or the sharp of the natural below it; empty
// for any other slot. A flat is the sharp of the note below it (d flat is "c#").
QString SlotNoteName(int slot);
// Slot 0 of a voice table is MIDI key 36, so c1 (slot 24) is key 60.
constexpr int FirstSlotKey = 36;
// The MIDI key of a note name (60 for "c1"), -1 for any other name.
int NoteKey(const QString& name);
// The note name of a MIDI key ("c1" for 60, "c#1" for 61), empty for keys no note name covers.
QString KeyNoteName(int key);
