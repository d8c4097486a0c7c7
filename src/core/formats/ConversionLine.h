#pragma once
// The first stages of a conversion: a part's notes put on one line, cleaned of what
// numbered notation does not write (strums, grace notes, swing), and placed on the grid
// of 32nds it does write. Only Conversion.cpp uses these.
#include "core/formats/Melody.h"
#include <vector>

namespace ConversionDetail {

constexpr int UnitsPerQuarter = 8;   // the dot of a sixteenth is the smallest value written
constexpr int UnitsPerWhole = 4 * UnitsPerQuarter;

struct Counts {
    int folded = 0;
    int triplets = 0;
    int rounded = 0;
    int merged = 0;   // notes too short to write, joined to a neighbour
    int graces = 0;
    int droppedArcs = 0;
    bool swing = false;
};

struct Timed {
    int pitch = -1;   // -1 a rest
    long long start = 0;
    long long end = 0;
    bool tie = false;
    int velocity = 0;
    int letter = -1;   // the written note name, 0 (C) .. 6 (B); -1 unknown
};

inline long long Mod(long long a, long long m) { return ((a % m) + m) % m; }

// In ticks: chords keep their top note, ties are joined, grace notes leave, swing evens out.
std::vector<Timed> OneLine(const std::vector<MelodyNote>& notes, const Melody& m, Counts& counts);

// A tick in units of a 32nd (a place off the grid: the nearest sixteenth).
long long UnitsOf(long long tick, const Melody& m);

// From ticks to units of a 32nd; every note keeps at least a 32nd.
std::vector<Timed> Quantise(const std::vector<Timed>& line, const Melody& m, Counts& counts);

// No note or rest is left a lone 32nd: it is evened with a neighbour, or joined to one.
void NoLone32nds(std::vector<Timed>& line, Counts& counts);

// The length of a pickup bar in units (0: none): the shift that puts most long and
// accented notes on the first beat of a bar `barUnits` long.
long long Pickup(const std::vector<Timed>& line, long long barUnits, long long until);

}
