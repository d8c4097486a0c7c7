// results.txt from anywhere: read at start, looked up, and written again with a new best.
#include "FuzzSupport.h"
#include "core/practice/Results.h"

int Fuzz::Results(const uint8_t* data, size_t size)
{
    WriteInput(QStringLiteral("results.txt"), data, size);
    ::Results results(Scratch());
    const QString song = QStringLiteral("小星星");
    if (const auto best = results.BestFollow(song))
        (void)::Results::FollowText(*best);
    if (const auto best = results.BestRhythm(song))
        (void)::Results::RhythmText(*best);
    results.OfferFollow(song, ::Results::Follow{1, 0, 1000});
    return 0;
}

TAVO_FUZZ_TARGET(Results)
