#include "core/formats/Melody.h"

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

int LikelyMelodyPart(const Melody& m)
{
    int best = -1;
    for (int i = 0; i < int(m.parts.size()); ++i) {
        if (best < 0) {
            best = i;
            continue;
        }
        const int n = m.parts[i].NoteCount(), bn = m.parts[best].NoteCount();
        if (n > bn || (n == bn && m.parts[i].AveragePitch() > m.parts[best].AveragePitch()))
            best = i;
    }
    return best;
}
