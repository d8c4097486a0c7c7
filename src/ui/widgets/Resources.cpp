#include "ui/widgets/Resources.h"
#include <QDirIterator>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QWaitCondition>

QImage ResourceImage(const QString& path)
{
    // Many keys share a picture; decode each one once (QImage is shared, copies are cheap).
    static QMutex lock;
    static QWaitCondition done;
    static QHash<QString, QImage> decoded;
    static QSet<QString> decoding;
    QMutexLocker hold(&lock);
    while (decoding.contains(path))
        done.wait(&lock);
    if (auto it = decoded.constFind(path); it != decoded.constEnd())
        return *it;
    // Decoded outside the lock: a worker and the window decode different pictures at once.
    decoding.insert(path);
    hold.unlock();
    const QImage image(QStringLiteral(":/") + path);
    hold.relock();
    decoding.remove(path);
    done.wakeAll();
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
