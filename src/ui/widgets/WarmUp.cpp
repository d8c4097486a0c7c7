#include "ui/widgets/WarmUp.h"
#include "ui/widgets/Resources.h"
#include <QFont>
#include <QFontMetrics>

void WarmUp::Start(const QStringList& pictures, const QStringList& fontFamilies)
{
    Wait();
    // The fonts this thread loads stay its own (each thread has its font cache); only the
    // list and the fallbacks are gained.
    m_worker = std::thread([pictures, fontFamilies, scale = PictureScale()] {
        for (const QString& p : pictures)
            ResourceImage(p, scale);
        for (const QString& family : fontFamilies)
            QFontMetrics(QFont(family)).horizontalAdvance(QLatin1Char('X'));
    });
}

void WarmUp::Wait()
{
    if (m_worker.joinable())
        m_worker.join();
}
