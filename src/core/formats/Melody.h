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
};

struct MelodyPart {
    QString name;
    std::vector<MelodyNote> notes;   // in time order, one line: chords already keep their top note
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
    MelodyKey key;
    std::vector<MelodyTime> times;      // in order; empty: 4/4 throughout
    std::vector<long long> barStarts;   // ticks where the file puts bar lines (after the first bar)
    std::vector<MelodyPart> parts;
};

// The part a learner most likely wants: among those with the most notes, the highest on average.
int LikelyMelodyPart(const Melody& m);
