#pragma once
// What a MusicXML or MIDI file holds of a song, before it becomes numbered notation:
// parts of timed pitches on one tick grid. Readers fill it; the conversion reads it.
#include <QString>
#include <vector>

struct MelodyNote {
    int pitch = -1;          // MIDI pitch (60 = c1, the middle 1 in C); -1 a rest
    long long start = 0;     // in ticks from the song's start
    long long length = 0;    // in ticks
    bool tieToNext = false;  // tied to the next note of the same pitch
    int velocity = 0;        // 1..127 as played; 0 unknown
    int letter = -1;         // the written note name, 0 (C) .. 6 (B); -1 when the file has none (MIDI)
};

struct MelodyPart {
    QString name;
    std::vector<MelodyNote> notes;   // in time order, one line: chords already keep their top note
    int chordNotes = 0;              // lower notes of chords left out
    int NoteCount() const;
    double AveragePitch() const;     // of the sounded notes; 0 when none
};

struct MelodyKey {
    bool known = false;      // false: find it from the pitches
    int fifths = 0;          // -7..7, sharps positive
    bool minor = false;
};

struct MelodyTime {
    long long at = 0;        // tick where it starts
    int beats = 4;
    int beatType = 4;
};

struct Melody {
    QString title;
    QString composer;
    QString lyricist;
    int ticksPerQuarter = 480;
    bool played = false;                // recorded by hand (MIDI without a grid): quantise
    int quarterMicros = 500000;         // the first tempo: how long a quarter lasts
    std::vector<long long> keyChanges;   // ticks where another key signature starts
    MelodyKey key;
    std::vector<MelodyTime> times;      // in order; empty: 4/4 throughout
    std::vector<long long> barStarts;   // ticks where the file puts bar lines (after the first bar)
    std::vector<MelodyPart> parts;
};

// Ticks a note may sit off the written grid and still be on it (some programs start every note a tick late).
inline long long GridSlack(long long ticksPerQuarter) { return ticksPerQuarter / 96 > 1 ? ticksPerQuarter / 96 : 1; }

// Ticks of `ms` milliseconds at the melody's first tempo.
inline long long MidiTicks(const Melody& m, int ms)
{
    return (long long)ms * 1000 * m.ticksPerQuarter / (m.quarterMicros > 0 ? m.quarterMicros : 500000);
}

// The part a learner most likely wants: one note at a time, high, moving by steps, named
// like a melody, not mostly chords, and not much sparser than the others.
int LikelyMelodyPart(const Melody& m);

// Notes starting within `window` ticks of each other while the first still sounds are one
// chord (a strum): it keeps its top note, from the chord's first start. Returns the notes
// left out. `notes` must be in time order.
int KeepChordTops(std::vector<MelodyNote>& notes, long long window);
