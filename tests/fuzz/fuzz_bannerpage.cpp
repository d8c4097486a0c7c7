// The maker's page as the exit step takes it (text up to its first zero byte), harvested
// into a fresh banner file, which the next start then reads.
#include "FuzzSupport.h"
#include "core/files/FileOps.h"
#include "core/settings/Banner.h"
#include <QFile>

int Fuzz::BannerPage(const uint8_t* data, size_t size)
{
    QByteArray body = Bytes(data, size);
    if (const qsizetype zero = body.indexOf('\0'); zero >= 0)
        body.truncate(zero);
    const QString page = DecodeText(body);
    const QString bannerFile = BannerFilePath(Scratch());
    QFile::remove(bannerFile);
    BannerRefresh(bannerFile, [&](const QString&) { return page; });
    (void)LoadSettingsFiles(Scratch());
    return 0;
}

TAVO_FUZZ_TARGET(BannerPage)
