#include "ui/widgets/Resources.h"
#include <QDirIterator>
#include <QGuiApplication>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QWaitCondition>

int PictureScale()
{
    return qGuiApp && qGuiApp->devicePixelRatio() > 1 ? 2 : 1;
}

QImage ReadResourceImage(const QString& path, int scale)
{
    if (scale > 1) {
        QString name = path;
        name.insert(path.lastIndexOf(QLatin1Char('.')), QStringLiteral("@2x"));
        QImage img(QStringLiteral(":/") + name);
        if (!img.isNull()) {
            img.setDevicePixelRatio(2);
            return img;
        }
    }
    return QImage(QStringLiteral(":/") + path);
}

QImage ResourceImage(const QString& path, int scale)
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
    const QImage image = ReadResourceImage(path, scale);
    hold.relock();
    decoding.remove(path);
    done.wakeAll();
    return *decoded.insert(path, image);
}

QImage ResourceImage(const QString& path)
{
    return ResourceImage(path, PictureScale());
}

namespace {
// The second keyboard and the about panel open in a few milliseconds from cold, and their
// pictures are large to keep in memory for a window that may never be opened.
bool OpensQuickly(const QString& path)
{
    return path.startsWith(QLatin1String("pic/kb2_")) || path.startsWith(QLatin1String("pic/about"));
}
}

QStringList PanelPictures()
{
    QStringList paths;
    for (const char* folder : {"glyph", "pic"})
        for (QDirIterator it(QStringLiteral(":/") + QLatin1String(folder)); it.hasNext();)
            if (const QString p = it.next().mid(2); !p.contains(QLatin1String("@2x")) && !OpensQuickly(p))
                paths << p;
    return paths;
}
