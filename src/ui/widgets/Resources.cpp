#include "ui/widgets/Resources.h"
#include <QDirIterator>
#include <QHash>
#include <QMutex>

QImage ResourceImage(const QString& path)
{
    // Many keys share a picture; decode each one once (QImage is shared, copies are cheap).
    static QMutex lock;
    static QHash<QString, QImage> decoded;
    {
        QMutexLocker hold(&lock);
        if (auto it = decoded.constFind(path); it != decoded.constEnd())
            return *it;
    }
    // Decoded outside the lock: the worker and the window never wait on each other's picture.
    const QImage image(QStringLiteral(":/") + path);
    QMutexLocker hold(&lock);
    return *decoded.insert(path, image);
}

QStringList PanelPictures()
{
    QStringList paths;
    for (const char* folder : {"glyph", "pic"})
        for (QDirIterator it(QStringLiteral(":/") + QLatin1String(folder)); it.hasNext();)
            paths << it.next().mid(2);
    return paths;
}

void PictureWarmer::Start(const QStringList& paths)
{
    Wait();
    m_worker = std::thread([paths] {
        for (const QString& p : paths)
            ResourceImage(p);
    });
}

void PictureWarmer::Wait()
{
    if (m_worker.joinable())
        m_worker.join();
}
