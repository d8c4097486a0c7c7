#pragma once
// A song as timed notes: what the demo plays and what follow mode waits for.
#include "core/score/Song.h"
#include <QString>
#include <vector>

struct TimelineEvent {
    int cell = 0;         // cell number of the note or rest (from 1)
    int lastCell = 0;     // last cell it holds: its dots, dashes and tied notes
    int degree = 0;       // 0 rest, 1..7 a degree; -1 a note cell that is no digit
    int octave = 1;       // 0 lower, 1 middle, 2 upper
    int pitch = -1;       // the MIDI key it sounds (key, degree, alteration, octave); -1 for a rest
    QString note;         // the player's note name; empty for a rest or a note with no sample
    double start = 0;     // in beats from the first event
    double length = 0;    // in beats

    bool IsRest() const { return degree == 0; }
    bool IsSounded() const { return !note.isEmpty(); }
    bool NoSample() const { return !IsRest() && note.isEmpty(); }
    double End() const { return start + length; }
};

struct Timeline {
    std::vector<TimelineEvent> events;   // in time order
    double beats = 0;                    // total length
    int unsounded = 0;                   // notes shown but not sounded (no sample)
    std::vector<double> bars;            // where the bar lines stand, in beats, in order
};

// The player's note name of a degree (1..7) in an octave code (0, 1, 2) in C, or "" when none
// of the 22 samples fits.
QString TimelineNoteName(int degree, int octave);
// The player's note name of a MIDI key: the letter, "#" for a black key, then the octave as
// the names have it (upper case below c, none for c..b, "1" from middle C, "2" above): "F#",
// "a#", "c#1", "f#2"; a flat is the sharp below. Empty outside F (41) .. f#2 (78), which no
// name reaches. The same names as the keys' (KeyNoteName).
QString PitchNoteName(int pitch);

// The song as timed notes, from cell startCell on. A note or rest is one
// beat, halved per underline; a dot adds half of what the note last gained; a dash holds the
// note one beat more; bar lines and spaces take no time; a blank cell ends the song, as it
// ends the view. An arc over two or more notes of one pitch ties them into one note; over
// different pitches it changes nothing. Cells the view never shows are left out. Pitches
// sound where `where` says.
Timeline BuildTimeline(const Song& song, Sounding where, int startCell = 1);

// Events [first, end) as a timeline of their own, timed from the first.
Timeline SliceTimeline(std::vector<TimelineEvent>::const_iterator first, std::vector<TimelineEvent>::const_iterator end);
