#include "ui/widgets/WarmUp.h"
#include "ui/widgets/Resources.h"
#include <QFontDatabase>

void WarmUp::Start(bool fontList, const QStringList& pictures)
{
    Wait();
    m_worker = std::thread([fontList, pictures, scale = PictureScale()] {
        for (const QString& p : pictures)
            ResourceImage(p, scale);
        if (fontList)
            QFontDatabase::families();   // the font database is shared by every thread
    });
}

void WarmUp::Wait()
{
    if (m_worker.joinable())
        m_worker.join();
}
