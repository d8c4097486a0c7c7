#include "ui/widgets/WarmUp.h"
#include "ui/widgets/Resources.h"

void WarmUp::Start(const QStringList& pictures)
{
    Wait();
    // The font list is not read here: the window wants it within milliseconds, and waiting on
    // a worker for it measured slower than reading it on the window's thread.
    m_worker = std::thread([pictures, scale = PictureScale()] {
        for (const QString& p : pictures)
            ResourceImage(p, scale);
    });
}

void WarmUp::Wait()
{
    if (m_worker.joinable())
        m_worker.join();
}
