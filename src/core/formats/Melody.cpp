#include "core/formats/Melody.h"
#include <QRegularExpression>
#include <algorithm>
#include <cstdlib>

int MelodyPart::NoteCount() const
{
    int n = 0;
    for (const MelodyNote& note : notes)
        n += note.pitch >= 0;
    return n;
}

double MelodyPart::AveragePitch() const
{
    long long sum = 0;
    int n = 0;
    for (const MelodyNote& note : notes)
        if (note.pitch >= 0) {
            sum += note.pitch;
            ++n;
        }
    return n ? double(sum) / n : 0.0;
}

int KeepChordTops(std::vector<MelodyNote>& notes, long long window)
{
    std::vector<MelodyNote> out;
    out.reserve(notes.size());
    int dropped = 0;
    for (const MelodyNote& n : notes) {
        if (!out.empty() && n.pitch >= 0 && out.back().pitch >= 0) {
            MelodyNote& prev = out.back();
            const long long prevEnd = prev.start + prev.length;
            if (n.start - prev.start < std::max(1LL, window) && n.start < prevEnd) {
                ++dropped;
                if (n.pitch > prev.pitch) {
                    prev.pitch = n.pitch;
                    prev.letter = n.letter;
                    prev.length = std::max(prevEnd, n.start + n.length) - prev.start;
                    prev.tieToNext = n.tieToNext;
                }
                prev.velocity = std::max(prev.velocity, n.velocity);
                continue;
            }
        }
        out.push_back(n);
    }
    notes = std::move(out);
    return dropped;
}

namespace {

bool NamedLikeMelody(const QString& name)
{
    static const QRegularExpression words(
        QStringLiteral("melod|voice|vocal|soprano|sopran|lead|solo|flute|violin|主旋律|旋律|人声|独唱|长笛|小提琴"),
        QRegularExpression::CaseInsensitiveOption);
    return words.match(name).hasMatch();
}

bool NamedLikeAccompaniment(const QString& name)
{
    static const QRegularExpression words(
        QStringLiteral("alto|tenor|bass|chord|guitar|accomp|harmony|piano|伴奏|和弦|低音|吉他"),
        QRegularExpression::CaseInsensitiveOption);
    return words.match(name).hasMatch();
}

// Higher is more like a tune: register, steps, one note at a time, a melody's name.
double MelodyScore(const MelodyPart& p, int mostNotes)
{
    const int n = p.NoteCount();
    if (n == 0)
        return -1e9;
    int steps = 0, moves = 0, prev = -1;
    for (const MelodyNote& note : p.notes) {
        if (note.pitch < 0)
            continue;
        if (prev >= 0) {
            ++moves;
            steps += std::abs(note.pitch - prev) <= 2;
        }
        prev = note.pitch;
    }
    double s = p.AveragePitch() / 6.0;   // an octave up is worth two
    s += moves ? 1.5 * steps / moves : 0.0;
    s -= 4.0 * p.chordNotes / double(n + p.chordNotes);     // mostly chords: accompaniment
    s += std::min(1.0, 2.0 * n / std::max(1, mostNotes));   // far sparser than the others
    if (NamedLikeMelody(p.name))
        s += 3.0;
    else if (NamedLikeAccompaniment(p.name))
        s -= 1.0;
    return s;
}

}

int LikelyMelodyPart(const Melody& m)
{
    int mostNotes = 0;
    for (const MelodyPart& p : m.parts)
        mostNotes = std::max(mostNotes, p.NoteCount());
    int best = -1;
    double bestScore = 0;
    for (int i = 0; i < int(m.parts.size()); ++i) {
        const double s = MelodyScore(m.parts[size_t(i)], mostNotes);
        if (best < 0 || s > bestScore + 1e-9) {
            best = i;
            bestScore = s;
        }
    }
    return best;
}
