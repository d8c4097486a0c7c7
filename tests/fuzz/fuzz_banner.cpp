// The banner file as start-up reads it: its links fill the list and one is picked to show.
#include "FuzzSupport.h"
#include "core/settings/Banner.h"
#include <QRandomGenerator>

int Fuzz::Banner(const uint8_t* data, size_t size)
{
    WriteInput(BannerFileName, data, size);
    const BannerLinkList links = LoadSettingsFiles(Scratch());
    QRandomGenerator rng(static_cast<quint32>(size));
    if (const auto choice = PickBanner(links, rng))
        (void)BannerScaleMode(choice->movie);
    return 0;
}

TAVO_FUZZ_TARGET(Banner)
